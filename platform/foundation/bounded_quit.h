#pragma once
#include <chrono>
#include <functional>

namespace pulvan::foundation {

// Runs `close` (what quitting takes down: the playing, the MIDI clients) and, should it
// not have returned within `limit`, ends the process at once with status 0. A MIDI
// server that stopped answering one of our clients (the process was paused while it
// wrote to it) never answers its closing either; the server drops a client whose
// socket closes with the process, and the notes were ended before the clients close.
void closeWithin(std::chrono::milliseconds limit, const std::function<void()>& close);

}  // namespace pulvan::foundation
