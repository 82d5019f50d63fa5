#pragma once
#include "engine/engine_hooks.h"

#include <string>
#include <vector>

namespace pulvan::test {

// The engine's own hook table with every configuring call written to `calls`
// ("offsets 0,0", "config", "enabled 1", "tracksOff 0b1010", ...) before it
// reaches the engine. One table at a time.
KezVst3EngineHooks recordingHooks(void* engine);
std::vector<std::string>& recordedCalls();

}  // namespace pulvan::test
