// A second program for the tests between processes. It plays another
// program's part for <ms> milliseconds and reports on stdout, a line each:
//   source <client> <port> <ms>  a source named <client>:<port>, which plays
//                                note 60 on and off every 100 ms
//   listen-shared-source <ms>    finds the shared virtual sources through the
//                                MIDI layer by their identifier and connects to them
//   churn <pause ms> <ms>        opens a client and closes it again and again, <pause>
//                                apart, as a patchbay that polls the server does; it
//                                ends as soon as nobody reads its output
// It prints "ready" when set up, then "message <hex bytes> <monotonic ns>" for
// every message it receives.
#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/virtual_source.h"
#include "tests/platform/midi/jack_program.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using pulvan::midi::Timestamp;

void ready() {
    std::printf("ready\n");
    std::fflush(stdout);
}

int runSource(const std::string& client, const std::string& port, std::chrono::steady_clock::time_point end) {
    using pulvan::midi::test::JackProgram;
    auto program = JackProgram::open(client, port, JackProgram::Kind::source);
    if (!program) return 1;
    ready();
    while (std::chrono::steady_clock::now() < end) {
        program->play({0x90, 0x3C, 0x64});
        std::this_thread::sleep_for(50ms);
        program->play({0x80, 0x3C, 0x00});
        std::this_thread::sleep_for(50ms);
    }
    return 0;
}

int runSharedSourceListener(std::chrono::steady_clock::time_point end) {
    using namespace pulvan::midi;
    std::mutex mutex;
    std::vector<std::string> lines;
    Client client("Pulvan Test Peer");
    InputPort input(client, "Listener", [&](std::span<const std::uint8_t> bytes, Timestamp at) {
        std::string line = "message ";
        char hex[3];
        for (std::uint8_t b : bytes) {
            std::snprintf(hex, sizeof hex, "%02X", b);
            line += hex;
        }
        std::lock_guard lock(mutex);
        lines.push_back(line + " " + std::to_string(at));
    });
    // Every program that runs the plug-in has its own; listen to all of them.
    for (bool found = false; !found && std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(10ms)) {
        for (const Endpoint& source : sources()) {
            if (source.uniqueId == kVirtualSourceUniqueId && input.connectSource(source)) found = true;
        }
    }
    ready();
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(2ms);
        std::lock_guard lock(mutex);
        for (const auto& line : lines) std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        lines.clear();
    }
    return 0;
}

int runChurn(std::chrono::milliseconds pause, std::chrono::steady_clock::time_point end) {
    // Ends as soon as nobody reads, even from inside a libjack call that never returns: closing
    // clients this fast now and then leaves libjack's closing waiting on its own thread.
    std::thread([] {
        pollfd out{STDOUT_FILENO, 0, 0};
        while (::poll(&out, 1, -1) < 0 || !(out.revents & (POLLERR | POLLHUP))) {
        }
        std::_Exit(0);
    }).detach();
    ready();
    while (std::chrono::steady_clock::now() < end) {
        pulvan::midi::JackClient::open("Churn");  // closed as soon as it opened
        std::this_thread::sleep_for(pause);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::atoi(argv[argc - 1]));
    if (mode == "source" && argc == 5) return runSource(argv[2], argv[3], end);
    if (mode == "listen-shared-source" && argc == 3) return runSharedSourceListener(end);
    if (mode == "churn" && argc == 4) return runChurn(std::chrono::milliseconds(std::atoi(argv[2])), end);
    std::fprintf(stderr, "usage: %s source <client> <port> <ms> | listen-shared-source <ms> | churn <pause ms> <ms>\n", argv[0]);
    return 2;
}
