// MIDI through PipeWire's libjack, as most desktops run it: a private PipeWire session (the pipewire
// fixture), which is stopped and started again as `systemctl --user restart pipewire` does.
#include <gtest/gtest.h>

#include "platform/midi/backend.h"
#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/jack_library.h"
#include "platform/midi/sounding_notes.h"
#include "platform/midi/virtual_source.h"
#include "tests/platform/midi/jack_program.h"
#include "tests/platform/midi/message_recorder.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

// PipeWire's libjack keeps what it allocated for every port it registered, closed or not, where
// LeakSanitizer does not see it; no call of ours changes that.
extern "C" const char* __lsan_default_suppressions() { return "leak:pipewire-0.3/jack/libjack.so\n"; }

namespace pulvan::midi {
namespace {

using namespace std::chrono_literals;
using test::JackProgram;

template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// The libjack this process loads, as the library names itself.
std::string loadedLibjack() {
    void* library = ::dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return "";
    const auto version = reinterpret_cast<const char* (*)()>(::dlsym(library, "jack_get_version_string"));
    return version ? version() : "";
}

bool restartPipeWire() {
    return std::system((std::string(PULVAN_PIPEWIRE_SCRIPT) + " restart " + PULVAN_TEST_PIPEWIRE + " >/dev/null").c_str()) == 0;
}

// A program of the session, which starts again with it: a synthesizer, a keyboard, or a patchbay's view.
std::unique_ptr<JackProgram> reopen(const std::string& name, JackProgram::Kind kind) {
    std::unique_ptr<JackProgram> program;
    eventually([&] { return (program = JackProgram::open(name, "midi", kind)) != nullptr; }, 10s);
    return program;
}

// Whether the port is on the server, as another program lists it.
bool listed(const JackProgram& looker, const std::string& port) {
    const char** ports = jack_get_ports(looker.client(), port.c_str(), JACK_DEFAULT_MIDI_TYPE, 0);
    const bool found = ports != nullptr;
    jack_free(ports);
    return found;
}

class PipeWireTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (!runtime || ::access((std::string(runtime) + "/pipewire-0").c_str(), F_OK) != 0)
            GTEST_SKIP() << "no PipeWire session runs for the tests (pipewire or wireplumber not installed?)";
        if (loadedLibjack().find("PipeWire") == std::string::npos)
            GTEST_SKIP() << "PipeWire's libjack is not on the library path (pipewire-jack not installed?)";
        forgetMachineBackend();
    }
    void TearDown() override { forgetMachineBackend(); }
};

TEST_F(PipeWireTest, ItsLibjackIsTakenForJackAndNotForJack2) {
    EXPECT_TRUE(jackLibraryPresent());
    EXPECT_FALSE(jackLibraryIsJack2());
}

struct RestartCase {
    const char* name;
    bool playing;  // notes go out all through the restart
};

void PrintTo(const RestartCase& c, std::ostream* os) { *os << c.name; }

class PipeWireRestartTest : public PipeWireTest, public ::testing::WithParamInterface<RestartCase> {};

// The application's ports and a plug-in's shared source come back by themselves, and notes flow
// again both ways; a note played across the restart leaves none hanging.
TEST_P(PipeWireRestartTest, AfterPipeWireRestartsMIDIComesBack) {
    Client sender("PulvanStandaloneMIDIClient");
    OutputPort output(sender, "PulvanStandaloneMIDIPort");
    Client receiver("PulvanStandaloneMIDIInClient");
    test::MessageRecorder heard;
    InputPort input(receiver, "PulvanStandaloneMIDIInPort", heard.handler());
    SharedVirtualSource shared;
    const std::string ownPorts[] = {"PulvanStandaloneMIDIClient:PulvanStandaloneMIDIPort",
                                    "PulvanStandaloneMIDIInClient:PulvanStandaloneMIDIInPort",
                                    std::string(kVirtualSourceName) + ":" + kVirtualSourceName};
    for (int round = 0; round < 2; ++round) {
        auto synth = reopen("Synth", JackProgram::Kind::destination);
        auto keys = reopen("Keys", JackProgram::Kind::source);
        ASSERT_TRUE(synth && keys) << "round " << round << ": the session does not take programs";
        for (const std::string& port : ownPorts)
            ASSERT_TRUE(eventually([&] { return listed(*synth, port); }, 10s)) << "round " << round << ": " << port << " is not there";
        const Endpoint destination{synth->portName(), "midi", "Synth midi"};
        const Endpoint source{keys->portName(), "midi", "Keys midi"};
        ASSERT_TRUE(eventually([&] { return input.connectSource(source); }, 10s));
        ASSERT_TRUE(eventually([&] { return keys->connectedTo("PulvanStandaloneMIDIInClient:PulvanStandaloneMIDIInPort"); }, 10s));
        const std::size_t heardBefore = heard.waitFor(0, 0ms).size();
        keys->play({0x90, 61, 100});
        EXPECT_EQ(heard.waitFor(heardBefore + 1, 10s).size(), heardBefore + 1) << "round " << round << ": nothing is heard";

        // Notes on and off, a sixteenth apart, for as long as it plays.
        std::atomic<bool> playing{true};
        std::thread player([&] {
            const std::uint8_t on[] = {0x90, 60, 100};
            const std::uint8_t off[] = {0x80, 60, 0};
            do {
                output.send(destination, on);
                std::this_thread::sleep_for(60ms);
                output.send(destination, off);
                std::this_thread::sleep_for(60ms);
            } while (playing.load() && GetParam().playing);
        });
        const auto arrived = [&] { return !synth->arrivals().empty(); };
        EXPECT_TRUE(eventually(arrived, 10s)) << "round " << round << ": nothing the output sends arrives";
        if (round == 0) {
            ASSERT_TRUE(restartPipeWire()) << "PipeWire did not start again";
            // The programs of the old session went with it; playing goes on into the new one for a while.
            std::this_thread::sleep_for(GetParam().playing ? 500ms : 0ms);
        }
        playing.store(false);
        player.join();
        if (round == 1) {
            SoundingNotes left;
            ASSERT_TRUE(eventually([&] { return synth->arrivals().size() >= 2; }, 10s));
            for (const auto& arrival : synth->arrivals()) left.deliver(arrival.bytes);
            EXPECT_TRUE(left.notes() == NoteSet{}) << "a note hangs after the restart";
        }
        input.disconnectEverySource();
    }
}

INSTANTIATE_TEST_SUITE_P(States, PipeWireRestartTest, ::testing::Values(RestartCase{"stopped", false}, RestartCase{"playing", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::midi
