// A second program for the tests between processes. It plays another
// program's part on the MIDI system and reports on stdout, one line each:
//   destination <port> <ms>   a destination named <port>; prints received messages
//   source <port> <ms>        a source named <port>; plays a note-on every 20 ms
//   listen-shared-source <ms> finds the shared virtual sources through the MIDI
//                             layer, connects to them and prints received messages
// A message line is "message <hex bytes> <monotonic ns>".
#include <signal.h>
#include <unistd.h>

#include <RtMidi.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/virtual_source.h"

namespace {

using namespace std::chrono_literals;
constexpr char kPeerName[] = "Pulvan Test Peer";

// A peer killed with its JACK clients open stalls the server's graph for
// everyone else until the server gives up on it: stop cleanly instead.
volatile sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

void runUntil(std::chrono::steady_clock::time_point end) {
    while (!stopRequested && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(5ms);
}

RtMidi::Api sameApiAsTheLayer() { return ::access("/dev/snd/seq", R_OK | W_OK) == 0 ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK; }

void printMessage(const unsigned char* bytes, std::size_t length, pulvan::midi::Timestamp at) {
    std::string hex;
    char byte[4];
    for (std::size_t i = 0; i < length; ++i) {
        std::snprintf(byte, sizeof byte, "%02X", bytes[i]);
        hex += byte;
    }
    std::printf("message %s %llu\n", hex.c_str(), static_cast<unsigned long long>(at));
    std::fflush(stdout);
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Messages arrive on the JACK process thread; printing there could make the cycle overrun.
struct Arrivals {
    std::mutex mutex;
    std::vector<std::pair<std::vector<unsigned char>, pulvan::midi::Timestamp>> pending;
};

int runDestination(const std::string& port, std::chrono::milliseconds duration) {
    Arrivals arrivals;
    arrivals.pending.reserve(1024);
    RtMidiIn in(sameApiAsTheLayer(), kPeerName);
    in.ignoreTypes(false, false, false);
    in.setCallback(
        [](double, std::vector<unsigned char>* message, void* self) {
            auto& arrivals = *static_cast<Arrivals*>(self);
            std::lock_guard lock(arrivals.mutex);
            arrivals.pending.emplace_back(*message, pulvan::midi::now());
        },
        &arrivals);
    in.openVirtualPort(port);
    say("ready");
    const auto end = std::chrono::steady_clock::now() + duration;
    while (!stopRequested && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(2ms);
        std::lock_guard lock(arrivals.mutex);
        for (const auto& [bytes, at] : arrivals.pending) printMessage(bytes.data(), bytes.size(), at);
        arrivals.pending.clear();
    }
    return 0;
}

int runSource(const std::string& port, std::chrono::milliseconds duration) {
    RtMidiOut out(sameApiAsTheLayer(), kPeerName);
    out.openVirtualPort(port);
    say("ready");
    const auto end = std::chrono::steady_clock::now() + duration;
    for (unsigned char velocity = 1; !stopRequested && std::chrono::steady_clock::now() < end;
         velocity = velocity % 127 + 1) {
        const unsigned char note[] = {0x90, 0x3C, velocity};
        out.sendMessage(note, 3);
        std::this_thread::sleep_for(20ms);
    }
    return 0;
}

int runSharedSourceListener(std::chrono::milliseconds duration) {
    using namespace pulvan::midi;
    const auto end = std::chrono::steady_clock::now() + duration;
    Client client(kPeerName);
    InputPort input(client, "Listener", [](std::span<const std::uint8_t> bytes, Timestamp at) {
        printMessage(bytes.data(), bytes.size(), at);
    });
    // Every program that runs the plug-in has its own; connect to all of them.
    while (!stopRequested && std::chrono::steady_clock::now() < end) {
        bool found = false;
        for (const Endpoint& source : sources()) {
            if (source.uniqueId != kVirtualSourceUniqueId) continue;
            say("found " + source.name + "|" + source.displayName + "|" + std::to_string(source.uniqueId));
            if (!input.connectSource(source)) return 1;
            found = true;
        }
        if (found) {
            say("ready");
            runUntil(end);
            return 0;
        }
        std::this_thread::sleep_for(10ms);
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    ::signal(SIGTERM, requestStop);
    const std::string mode = argc > 1 ? argv[1] : "";
    const auto duration = std::chrono::milliseconds(std::atoi(argv[argc - 1]));
    if (mode == "destination" && argc == 4) return runDestination(argv[2], duration);
    if (mode == "source" && argc == 4) return runSource(argv[2], duration);
    if (mode == "listen-shared-source" && argc == 3) return runSharedSourceListener(duration);
    std::fprintf(stderr, "usage: %s destination|source <port> <ms> | listen-shared-source <ms>\n", argv[0]);
    return 2;
}
