#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <vector>

#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/virtual_source.h"

namespace pulvan::midi {
namespace {

// The machine's MIDI system with no ALSA sequencer and no JACK server to reach.
class AbsentSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access("/dev/snd/seq", F_OK) == 0) GTEST_SKIP() << "this machine has an ALSA sequencer";
        ::setenv("JACK_DEFAULT_SERVER", "pulvan-no-such-server", 1);
        ::setenv("JACK_NO_START_SERVER", "1", 1);
    }
};

TEST_F(AbsentSystemTest, EndpointsAreAbsentAndNothingFails) {
    EXPECT_TRUE(sources().empty());
    EXPECT_TRUE(destinations().empty());

    Client client("PulvanStandaloneMIDIClient", [] {});
    OutputPort output(client, "PulvanStandaloneMIDIPort");
    EXPECT_TRUE(output.send(Endpoint{"Synth:In", "In", "Synth In", 7}, std::vector<std::uint8_t>{0x90, 60, 100}));
    InputPort input(client, "PulvanStandaloneMIDIInPort", [](std::span<const std::uint8_t>, Timestamp) {});
    EXPECT_FALSE(input.connectSource(Endpoint{"Keyboard:Keys", "Keys", "Keyboard Keys", 8}));
}

TEST_F(AbsentSystemTest, TheSharedSourceStaysClosedAndRefusesMessages) {
    SharedVirtualSource first;
    SharedVirtualSource second;
    EXPECT_FALSE(first.isOpen());
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(SharedVirtualSource::holderCount(), 0u);
    const std::uint8_t note[] = {0x90, 60, 100};
    EXPECT_FALSE(first.send(note, 3));
}

}  // namespace
}  // namespace pulvan::midi
