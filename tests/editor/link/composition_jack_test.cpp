// The standalone MIDI sender on a real JACK server with a "Session 1" program listening: the standalone
// application opens it and sends through it; a plug-in's editor side, whose MIDI leaves through its host,
// opens no port and sends nothing there, not even while it starts up.
#include <gtest/gtest.h>

#include "editor/link/editor_composition.h"
#include "editor/model/preset.h"
#include "tests/editor/link/link_fixture.h"
#include "tests/editor/link/standalone/host_rig.h"
#include "tests/platform/midi/jack_program.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace pulvan::test {
namespace {

using namespace std::chrono_literals;

// The sender's ports as a patchbay lists them.
std::vector<std::string> senderPorts(jack_client_t* asker) {
    std::vector<std::string> found;
    if (const char** names = jack_get_ports(asker, link::StandaloneMIDISender::kPortName, JACK_DEFAULT_MIDI_TYPE, 0)) {
        for (const char** name = names; *name; ++name) found.emplace_back(*name);
        jack_free(names);
    }
    return found;
}

struct SettingCase {
    const char* name;
    bool standaloneApplication;
};

class CompositionOnJack : public LinkTest {
protected:
    void SetUp() override {
        if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
        ::setenv("JACK_NO_START_SERVER", "1", 1);
    }
};

TEST_F(CompositionOnJack, OnlyTheStandaloneApplicationOpensTheSenderAndSendsToSessionOne) {
    const SettingCase cases[] = {{"standalone application", true}, {"plug-in", false}};
    for (const SettingCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto session = midi::test::JackProgram::open("Session 1", "in", midi::test::JackProgram::Kind::destination);
        ASSERT_NE(session, nullptr) << "no JACK server";
        LiveEngine live;
        // Both send every track's live CC A and CC B as they start, and again for a whole new preset.
        auto composition = c.standaloneApplication ? link::EditorComposition::standalone(main.queue(), link::test::sequencerRegistry())
                                                   : link::EditorComposition::hosted(live.hooks, main.queue());
        composition->link().applyPreset(model::defaultPreset());
        const auto controlChangesAtSession = [&] {
            const auto arrivals = session->arrivals();
            return std::count_if(arrivals.begin(), arrivals.end(),
                                 [](const midi::test::JackArrival& a) { return (a.bytes[0] & 0xF0) == 0xB0; });
        };
        if (c.standaloneApplication) {
            EXPECT_TRUE(link::test::eventually([&] { return senderPorts(session->client()).size() == 1; })) << "the sender opened no port";
            EXPECT_TRUE(link::test::eventually([&] { return controlChangesAtSession() > 0; })) << "nothing reached Session 1";
        } else {
            std::this_thread::sleep_for(300ms);  // what would arrive has by now
            EXPECT_TRUE(senderPorts(session->client()).empty()) << senderPorts(session->client()).front();
            EXPECT_EQ(controlChangesAtSession(), 0) << "the plug-in sent to another program";
            std::uint8_t status = 0, data1 = 0, data2 = 0;
            EXPECT_TRUE(live.engine->outgoingMIDI.pop(status, data1, data2)) << "the live values went nowhere";
            EXPECT_EQ(status & 0xF0, 0xB0);
        }
        composition.reset();
    }
}

}  // namespace
}  // namespace pulvan::test
