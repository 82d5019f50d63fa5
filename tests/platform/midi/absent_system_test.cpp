#include <gtest/gtest.h>

#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/virtual_source.h"

#include <stdlib.h>
#include <unistd.h>

#include <vector>

namespace pulvan::midi {
namespace {

// The machine's own MIDI system with no ALSA sequencer and no JACK server to reach.
TEST(AbsentMidiSystem, EndpointsAreAbsentAndNothingFails) {
    if (::access("/dev/snd/seq", F_OK) == 0) GTEST_SKIP() << "this machine has an ALSA sequencer";
    ::setenv("JACK_DEFAULT_SERVER", "pulvan-no-such-server", 1);
    ::setenv("JACK_NO_START_SERVER", "1", 1);

    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(sources().empty());
    EXPECT_TRUE(destinations().empty());
    Client client("PulvanStandaloneMIDIClient", [] {});
    OutputPort output(client, "PulvanStandaloneMIDIPort");
    EXPECT_FALSE(output.send(Endpoint{"Synth:In", "In", "Synth In", 7}, std::vector<std::uint8_t>{0x90, 60, 100}));
    InputPort input(client, "PulvanStandaloneMIDIInPort", [](std::span<const std::uint8_t>, Timestamp) {});
    EXPECT_FALSE(input.connectSource(Endpoint{"Keyboard:Keys", "Keys", "Keyboard Keys", 8}));

    SharedVirtualSource source;
    EXPECT_FALSE(source.isOpen());
    EXPECT_EQ(SharedVirtualSource::holderCount(), 0u);
    const std::uint8_t note[] = {0x90, 60, 100};
    EXPECT_FALSE(source.send(note, 3));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "looking for a MIDI system is quiet";
}

}  // namespace
}  // namespace pulvan::midi
