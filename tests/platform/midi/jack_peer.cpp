// A second program for the tests between processes. It plays another
// program's part for <ms> milliseconds and reports on stdout, a line each:
//   destination <port> <ms>    a destination named <port>
//   listen-shared-source <ms>  finds the shared virtual sources through the
//                              MIDI layer by their identifier and connects to them
// It prints "ready" when set up, then "message <hex bytes> <monotonic ns>" for
// every message it receives.
#include <unistd.h>

#include <RtMidi.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/virtual_source.h"

namespace {

using namespace std::chrono_literals;
using pulvan::midi::Timestamp;

// Messages may arrive on the JACK process thread; printing there could make the cycle overrun.
class Arrivals {
public:
    void add(const unsigned char* bytes, std::size_t length, Timestamp at) {
        std::lock_guard lock(mutex_);
        std::string line = "message ";
        char hex[3];
        for (std::size_t i = 0; i < length; ++i) {
            std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
            line += hex;
        }
        pending_.push_back(line + " " + std::to_string(at));
    }

    void printUntil(std::chrono::steady_clock::time_point end) {
        while (std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(2ms);
            std::lock_guard lock(mutex_);
            for (const auto& line : pending_) std::printf("%s\n", line.c_str());
            std::fflush(stdout);
            pending_.clear();
        }
    }

private:
    std::mutex mutex_;
    std::vector<std::string> pending_;
};

void ready() {
    std::printf("ready\n");
    std::fflush(stdout);
}

int runDestination(const std::string& port, std::chrono::steady_clock::time_point end) {
    Arrivals arrivals;
    // The layer's choice: the ALSA sequencer when there is one, else JACK.
    RtMidiIn in(::access("/dev/snd/seq", R_OK | W_OK) == 0 ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK, "Pulvan Test Peer");
    in.setCallback(
        [](double, std::vector<unsigned char>* message, void* arrivals) {
            static_cast<Arrivals*>(arrivals)->add(message->data(), message->size(), pulvan::midi::now());
        },
        &arrivals);
    in.openVirtualPort(port);
    ready();
    arrivals.printUntil(end);
    return 0;
}

int runSharedSourceListener(std::chrono::steady_clock::time_point end) {
    using namespace pulvan::midi;
    Arrivals arrivals;
    Client client("Pulvan Test Peer");
    InputPort input(client, "Listener", [&](std::span<const std::uint8_t> bytes, Timestamp at) {
        arrivals.add(bytes.data(), bytes.size(), at);
    });
    // Every program that runs the plug-in has its own; listen to all of them.
    for (bool found = false; !found && std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(10ms)) {
        for (const Endpoint& source : sources()) {
            if (source.uniqueId == kVirtualSourceUniqueId && input.connectSource(source)) found = true;
        }
    }
    ready();
    arrivals.printUntil(end);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::atoi(argv[argc - 1]));
    if (mode == "destination" && argc == 4) return runDestination(argv[2], end);
    if (mode == "listen-shared-source" && argc == 3) return runSharedSourceListener(end);
    std::fprintf(stderr, "usage: %s destination <port> <ms> | listen-shared-source <ms>\n", argv[0]);
    return 2;
}
