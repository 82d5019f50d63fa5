#include "editor/link/standalone/standalone_engine_host.h"

#include <gtest/gtest.h>

#include "editor/link/standalone/app_play_arguments.h"
#include "editor/link/standalone/render_clock.h"
#include "editor/link/standalone/slice_renderer.h"
#include "platform/midi/loopback_backend.h"
#include "tests/editor/link/standalone/demo_payload.h"
#include "tests/editor/link/standalone/host_rig.h"
#include "tests/platform/midi/message_recorder.h"
#include "tests/support/allocation_counter.h"

#include <sched.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace pulvan::link {
namespace {

using midi::test::MessageRecorder;
using midi::test::RecordedMessage;
using test::eventually;

constexpr std::int64_t kSecond = 1'000'000'000;
// How long after its start frame 0 of a run is due.
const std::int64_t kLead = render_clock::nanosecondsFor(render_clock::kLookAheadFrames);

bool isNoteOff(const RecordedMessage& m) { return (m.bytes[0] & 0xF0) == 0x80 || ((m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] == 0); }

class StandaloneEngineHostTest : public ::testing::Test {
protected:
    std::shared_ptr<midi::LoopbackBackend> backend = std::make_shared<midi::LoopbackBackend>();
    midi::ScopedBackend installed{backend};
    MessageRecorder session;
    std::string sessionAddress = backend->addDestination("Session 1", "Session 1", session.handler());
    StandaloneMIDISender sender;
};

TEST_F(StandaloneEngineHostTest, CreationFailsWithoutTheAudioUnit) {
    au::ComponentRegistry empty;
    EXPECT_EQ(StandaloneEngineHost::create(sender, empty), nullptr);
}

TEST_F(StandaloneEngineHostTest, StartAndStopAreIdempotentAndRestartAtFrameZero) {
    foundation::ManualClock clock(kSecond);
    auto host = test::makeDemoHost(sender, clock);
    ASSERT_NE(host, nullptr);
    host->stop();
    EXPECT_EQ(host->renderedFrames(), 0) << "a stop while stopped renders nothing";
    host->start();
    ASSERT_TRUE(eventually([&] { return host->renderedFrames() == 1024; }));
    // Frame 0 is due one look-ahead after the start.
    EXPECT_EQ(host->anchorHostTime(), kSecond + kLead);
    clock.advanceNanoseconds(kLead);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(host->renderedFrames(), 1024) << "rendered more than a look-ahead before frame 0";
    clock.advanceNanoseconds(render_clock::nanosecondsFor(256) + 1);
    ASSERT_TRUE(eventually([&] { return host->renderedFrames() == 1280; }));
    host->start();
    EXPECT_EQ(host->anchorHostTime(), kSecond + kLead) << "a start while running changes nothing";
    host->stop();
    EXPECT_EQ(host->renderedFrames(), 1280 + 512) << "stop renders exactly two more slices";
    EXPECT_EQ(host->anchorHostTime(), 0);
    EXPECT_FALSE(host->isRunning());
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(host->renderedFrames(), 1280 + 512) << "no tick after stop";

    clock.advanceSeconds(3.0);
    const std::int64_t restart = clock.nowNanoseconds();
    host->start();
    ASSERT_TRUE(eventually([&] { return host->renderedFrames() == 1024; }));
    EXPECT_EQ(host->anchorHostTime(), restart + kLead);
    // The unit saw beat positions from 0 again: its last slice began at frame 768.
    EXPECT_DOUBLE_EQ(host->audioUnit().currentAppPlayBeatPosition(), 768.0 / 44100.0 * 2.0);
}

TEST_F(StandaloneEngineHostTest, AStallReanchorsInsteadOfRenderingEveryMissedSlice) {
    foundation::ManualClock clock(kSecond);
    auto host = test::makeDemoHost(sender, clock);
    host->start();
    ASSERT_TRUE(eventually([&] { return host->renderedFrames() == 1024; }));
    clock.advanceSeconds(10.0);
    ASSERT_TRUE(eventually([&] { return host->renderedFrames() >= 2048; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(host->renderedFrames(), 2048) << "ten seconds of missed slices were rendered at once";
    // Frame 1024 now falls on the present, so what follows is timed from now on, not in the past.
    EXPECT_EQ(host->anchorHostTime(), 11 * kSecond - render_clock::nanosecondsFor(1024));
    host->stop();
}

// Stopping, or the host going away while it plays, releases the held note through the stopped transport.
class HeldNoteTest : public StandaloneEngineHostTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HeldNoteTest, EndsWhenPlayEnds) {
    const bool destroy = GetParam();
    foundation::ManualClock clock(kSecond);
    auto host = test::makeDemoHost(sender, clock);
    host->start();
    // The first slices hold the note-on of 48; its note-off (0.3 beats, frame 6615) is far ahead.
    ASSERT_TRUE(eventually([&] { return host->renderedFrames() == 1024 && !session.waitFor(0).empty(); }));
    if (destroy) {
        host.reset();
    } else {
        host->stop();
    }
    const auto messages = session.waitFor(2);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].bytes, (std::vector<std::uint8_t>{0x90, 48, 110}));
    EXPECT_TRUE(isNoteOff(messages[1]));
    EXPECT_EQ(messages[1].bytes[1], 48);
}

INSTANTIATE_TEST_SUITE_P(StopOrDestroy, HeldNoteTest, ::testing::Bool());

// An edit that releases notes while playing, as the configuration hand-over sends it.
struct ReleaseCase {
    const char* name;
    std::function<void(au::AppPlayAudioUnit&)> release;
};

void PrintTo(const ReleaseCase& c, std::ostream* os) { *os << c.name; }

// The demo with its notes a semitone higher, as "shift notes up" hands it over.
store::HostedAppPlayPayload shiftedUp() {
    store::HostedAppPlayPayload payload = test::demoPayload();
    for (int& note : payload.notePool) ++note;
    return payload;
}

class ReleaseWhileRenderedAheadTest : public StandaloneEngineHostTest, public ::testing::WithParamInterface<ReleaseCase> {};

// A release comes while the note it ends is rendered but not yet due: it must reach the
// port behind that note-on, or the note sounds on after its release.
TEST_P(ReleaseWhileRenderedAheadTest, LeavesNoNoteSounding) {
    // The host's clock runs ahead of the MIDI system's, so that what the host times waits to be delivered.
    constexpr std::int64_t kAheadOfDelivery = 300'000'000;
    foundation::ManualClock clock(foundation::systemClock().nowNanoseconds() + kAheadOfDelivery);
    auto host = test::makeDemoHost(sender, clock);
    host->start();
    // Frames 0 to 1023 hold the note-on of 48 at frame 0; its own note-off (frame 6615) is not rendered yet.
    ASSERT_TRUE(eventually([&] { return host->renderedFrames() == 1024; }));
    GetParam().release(host->audioUnit());
    clock.advanceNanoseconds(kLead + render_clock::nanosecondsFor(256) + 1);
    ASSERT_TRUE(eventually([&] { return host->renderedFrames() == 1280; }));

    const auto messages = session.waitFor(2);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].bytes, (std::vector<std::uint8_t>{0x90, 48, 110})) << "the release overtook the note it ends";
    EXPECT_TRUE(isNoteOff(messages[1]));
    EXPECT_EQ(messages[1].bytes[1], 48);
    host->stop();
}

INSTANTIATE_TEST_SUITE_P(Releases, ReleaseWhileRenderedAheadTest,
                         ::testing::Values(ReleaseCase{"Track",
                                                       [](au::AppPlayAudioUnit& unit) {
                                                           const std::int32_t track[] = {0};
                                                           unit.requestAppPlayNotesOffForTracks(track);
                                                           configureStandaloneAppPlay(unit, shiftedUp(), {0});
                                                       }},
                                           ReleaseCase{"AllNotes",
                                                       [](au::AppPlayAudioUnit& unit) {
                                                           unit.requestAppPlayNotesOff();
                                                           configureStandaloneAppPlay(unit, shiftedUp(), {0});
                                                       }},
                                           // The unit releases by itself what a track's new channel or output offset would strand.
                                           ReleaseCase{"ChannelChange",
                                                       [](au::AppPlayAudioUnit& unit) {
                                                           store::HostedAppPlayPayload payload = test::demoPayload();
                                                           payload.channels = {2};
                                                           configureStandaloneAppPlay(unit, payload, {0});
                                                       }},
                                           ReleaseCase{"OutputOffsetChange",
                                                       [](au::AppPlayAudioUnit& unit) {
                                                           configureStandaloneAppPlay(unit, test::demoPayload(), {10});
                                                       }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StandaloneEngineHostTest, RendersOnWithoutAnyDestination) {
    backend->removeEndpoint(sessionAddress);
    foundation::ManualClock clock(kSecond);
    auto host = test::makeDemoHost(sender, clock);
    host->start();
    // Until the first tick has rendered, a moved clock would look like a stall.
    ASSERT_TRUE(eventually([&] { return host->renderedFrames() == 1024; }));
    clock.advanceNanoseconds(kLead + render_clock::nanosecondsFor(1024));
    ASSERT_TRUE(eventually([&] { return host->renderedFrames() == 2048; }));
    host->stop();
    EXPECT_TRUE(session.waitFor(0).empty());
}

// The thread that renders what a user is waiting to hear runs ahead of ordinary threads.
TEST_F(StandaloneEngineHostTest, TheRenderThreadIsScheduledAheadOfOrdinaryThreads) {
    if (geteuid() != 0 || std::system("chrt -f 5 true 2>/dev/null") != 0) GTEST_SKIP() << "this machine gives nobody real-time scheduling";
    auto host = test::makeDemoHost(sender);
    ASSERT_NE(host, nullptr);
    // Thread names keep the last 15 characters of the queue's label.
    const std::string label = StandaloneEngineHost::kRenderQueueLabel;
    const std::string name = label.substr(label.size() - 15) + "\n";
    const auto renderThreadPolicy = [&] {
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
            std::ifstream comm(task.path() / "comm");
            const std::string seen((std::istreambuf_iterator<char>(comm)), std::istreambuf_iterator<char>());
            if (seen == name) return sched_getscheduler(std::stoi(task.path().filename().string()));
        }
        return -1;
    };
    EXPECT_TRUE(eventually([&] { return renderThreadPolicy() == SCHED_FIFO; })) << "policy " << renderThreadPolicy();
}

TEST(SliceRenderer, RendersWithoutAllocatingAndSeesTheTransport) {
    au::InstantiationResult instance = test::sequencerRegistry().instantiate({}, 0);
    auto& unit = dynamic_cast<au::AppPlayAudioUnit&>(*instance.unit);
    const store::HostedAppPlayPayload payload = test::demoPayload();
    configureStandaloneAppPlay(unit, payload, {0});
    unit.setAppPlayEnabled(true);
    SliceRenderer renderer(*instance.unit, [] {});
    renderer.prepare();
    renderer.setMoving(true);
    renderer.renderSlice();  // the first slice takes the configuration
    std::size_t noteOns = 0;
    {
        pulvan::test::ScopedAllocationCount counter;
        for (int slice = 0; slice < 400; ++slice) {  // 2.3 s: a bar and more
            renderer.renderSlice();
            for (const auto& m : renderer.messages()) noteOns += (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0;
            renderer.clearMessages();
        }
        EXPECT_EQ(counter.count(), 0u);
    }
    EXPECT_GE(noteOns, 7u);
    EXPECT_TRUE(unit.isAppPlayTransportMoving());
    EXPECT_DOUBLE_EQ(unit.currentAppPlayBeatPosition(), 400 * 256 / 44100.0 * 2.0);
    renderer.setMoving(false);
    renderer.renderSlice();
    EXPECT_FALSE(unit.isAppPlayTransportMoving());
    ASSERT_EQ(renderer.messages().size(), 1u) << "the held note ends when the transport stops";
    EXPECT_EQ(renderer.messages()[0].bytes[0] & 0xF0, 0x80);
    EXPECT_EQ(renderer.messages()[0].sampleTime, 401 * 256) << "the release is not timed with the slice that served it";
}

}  // namespace
}  // namespace pulvan::link
