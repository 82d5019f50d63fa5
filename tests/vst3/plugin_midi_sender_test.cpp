// The plug-in in a host on a real JACK server where a "Session 1" program listens: its MIDI leaves only
// through the host's track and the shared virtual source, so no instance opens the standalone
// application's sender or sends anything to another program, not even while its editor side starts.
#include <gtest/gtest.h>

#include "editor/link/standalone/standalone_midi_sender.h"
#include "tests/platform/midi/jack_program.h"
#include "tests/vst3/plugin_instance.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using pulvan::midi::test::JackProgram;

namespace kez::test {
namespace {

// The ports of the JACK server whose names contain `part`, as a patchbay lists them.
std::vector<std::string> portsNamed(jack_client_t* asker, const char* part) {
    std::vector<std::string> found;
    if (const char** names = jack_get_ports(asker, part, JACK_DEFAULT_MIDI_TYPE, 0)) {
        for (const char** name = names; *name; ++name) found.emplace_back(*name);
        jack_free(names);
    }
    return found;
}

TEST(PluginOnJack, InstancesOpenNoStandaloneSenderAndSendNothingToSessionOne) {
    if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
    ::setenv("JACK_NO_START_SERVER", "1", 1);
    auto session = JackProgram::open("Session 1", "in", JackProgram::Kind::destination);
    ASSERT_NE(session, nullptr) << "no JACK server";
    LoadedBundle bundle(PULVAN_VST3_BUNDLE_PATH);
    ASSERT_TRUE(bundle.loaded()) << bundle.error();
    auto host = makeHostContext();
    Steinberg::IPluginFactory* factory = bundle.factory();
    // Each starts its editor side, which sends every track's live controller values as it starts.
    std::vector<std::unique_ptr<PluginInstance>> instances;
    for (int i = 0; i < 2; ++i) {
        instances.push_back(std::make_unique<PluginInstance>(factory, host.get(), EditorSide::connected));
        ASSERT_TRUE(instances.back()->ready());
    }
    factory->release();
    // The instances are on the server by now: the shared source is listed.
    for (int i = 0; i < 200 && portsNamed(session->client(), "Kez Virtual Port").empty(); ++i) std::this_thread::sleep_for(10ms);
    ASSERT_EQ(portsNamed(session->client(), "Kez Virtual Port").size(), 1u);
    std::this_thread::sleep_for(300ms);  // what would arrive has by now

    const auto senders = portsNamed(session->client(), pulvan::link::StandaloneMIDISender::kPortName);
    EXPECT_TRUE(senders.empty()) << senders.front();
    EXPECT_TRUE(session->arrivals().empty()) << session->arrivals().size() << " messages reached Session 1";
    instances.clear();
}

}  // namespace
}  // namespace kez::test
