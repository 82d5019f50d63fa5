#include "tests/editor/link/link_fixture.h"

#include <array>
#include <cstdint>
#include <thread>

namespace pulvan::test {
namespace {

// A source of incoming MIDI larger than the engine's ring: `remaining` note-ons.
int remainingIncoming = 0;
int32_t popFromSource(void*, uint8_t* status, uint8_t* data1, uint8_t* data2) {
    if (remainingIncoming == 0) return 0;
    --remainingIncoming;
    *status = 0x91;
    *data1 = 60;
    *data2 = 100;
    return 1;
}

class HostedPollTest : public BridgeTest {
protected:
    int handledNotes = 0;
    void countNotes(std::function<void()> each = {}) {
        store().hooks.incomingMIDINoteEventHandler = [this, each](int, bool) {
            ++handledNotes;
            if (each) each();
        };
    }
};

TEST_F(HostedPollTest, ADrainTakesAt256MessagesAndLeavesTheRestForTheNextPoll) {
    live.hooks.popIncomingMIDI = popFromSource;
    remainingIncoming = 300;
    start();
    countNotes();
    bridge->drainIncomingMIDI();
    EXPECT_EQ(handledNotes, 256);
    EXPECT_EQ(remainingIncoming, 44);
    bridge->drainIncomingMIDI();
    EXPECT_EQ(handledNotes, 300);
}

TEST_F(HostedPollTest, ADrainStopsOnceFiveMillisecondsHavePassed) {
    live.hooks.popIncomingMIDI = popFromSource;
    remainingIncoming = 100;
    start();
    countNotes([this] { main.clock().advanceNanoseconds(1'000'000); });
    bridge->drainIncomingMIDI();
    EXPECT_EQ(handledNotes, 6) << "popped at 0...5 ms, the deadline passed before the seventh";
}

struct IncomingCase {
    std::uint8_t status;
    std::uint8_t data1;
    std::uint8_t data2;
    std::vector<int> poolAfter;
};

TEST_F(HostedPollTest, IncomingMessagesReachTheMIDIInPoolByKind) {
    const IncomingCase cases[] = {
        {0x93, 60, 90, {60}}, {0x90, 60 + 128, 90, {60}},  // the note is masked to 7 bits
        {0x85, 60, 0, {60}},                               // one of two held notes released
        {0x90, 60, 0, {}},                                 // velocity 0 releases
        {0xE0, 64, 64, {}},                                // pitch bend is not ours
    };
    start();
    store().preset.modify([](model::Preset& p) { p.notesPoolInput = model::NotesPoolInput::midiIn; });
    for (const auto& c : cases) {
        live.engine->incomingMIDI.push(c.status, c.data1, c.data2);
        bridge->drainIncomingMIDI();
        EXPECT_EQ(store().preset->notesPool, c.poolAfter) << std::hex << int(c.status) << " " << std::dec << int(c.data1);
    }
}

TEST_F(HostedPollTest, AMovingTickShowsStepsAndSoundingNotes) {
    start();
    store().beginTransaction("Paint gate");
    store().preset.modify([](model::Preset& p) { p.tracks[0].patterns[0].lane(model::LaneKind::gate).steps[0] = 1; });
    store().endTransaction();
    live.render(0.0, 0.125);  // the note sounds past the block's end
    bridge->link().pollHostedEngineState();
    const auto id = store().preset->tracks[0].id;
    EXPECT_EQ(store().playhead.globalStepByTrackID.get(), (std::map<foundation::Uuid, int>{{id, 0}}));
    EXPECT_EQ(store().playhead.activeTrackNotes.get(), std::set<int>{60});
    EXPECT_EQ(store().playhead.noteActiveTrackIDs.get(), std::set<foundation::Uuid>{id});

    store().hooks.hostedAppPlayActiveNotesMask = nullptr;
    bridge->link().pollHostedEngineState();
    EXPECT_TRUE(store().playhead.activeTrackNotes->empty());
    EXPECT_TRUE(store().playhead.noteActiveTrackIDs->empty());
}

TEST_F(HostedPollTest, TheTimerPollsEvery33MillisecondsWhileHosted) {
    start();
    live.render(0.0, 0.25);
    main.advanceNanoseconds(1);
    EXPECT_FALSE(store().playhead.globalStepByTrackID->empty());
    live.render(0.25, 0.25);
    main.advanceNanoseconds(32'000'000);
    EXPECT_EQ(store().playhead.globalStepByTrackID->begin()->second, 0) << "no tick before 33 ms";
    main.advanceNanoseconds(1'000'000);
    EXPECT_EQ(store().playhead.globalStepByTrackID->begin()->second, 1);
    bridge->stop();
    EXPECT_FALSE(store().hostedPlayheadTimer.isActive());
    EXPECT_TRUE(store().playhead.globalStepByTrackID->empty());
}

class IncomingNotesTest : public StoreLinkTest {
protected:
    void SetUp() override {
        store->preset.modify([](model::Preset& p) {
            p.notesPoolInput = model::NotesPoolInput::midiIn;
            p.notesPool.clear();
        });
    }
    void play(std::initializer_list<std::pair<int, bool>> events) {
        for (const auto& [note, on] : events) link->handleIncomingMIDINote(note, on);
    }
};

TEST_F(IncomingNotesTest, WithLatchANewChordStartsOnlyOnceAllNotesAreReleased) {
    store->notesPoolMIDILatchEnabled.set(true);
    play({{60, true}, {64, true}, {67, true}, {60, false}, {64, false}, {67, false}, {62, true}});
    EXPECT_EQ(store->preset->notesPool, std::vector<int>{62});
    play({{62, false}, {60, true}, {64, true}, {67, true}, {60, false}, {64, false}, {62, true}});
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{60, 62, 64, 67}));
}

TEST_F(IncomingNotesTest, ANoteFromAnotherThreadWaitsForTheStoresThread) {
    std::thread([this] { link->handleIncomingMIDINote(61, true); }).join();
    EXPECT_TRUE(store->preset->notesPool.empty());
    main.drain();
    EXPECT_EQ(store->preset->notesPool, std::vector<int>{61});
}

// After a flood the input's held keys replace what the store counted, each key once per channel holding it
// (listed once per channel).
struct HeldKeysCase {
    const char* name;
    bool latch;
    std::vector<std::pair<int, bool>> played;
    std::vector<int> held;
    std::vector<int> pool;
    std::vector<std::pair<int, bool>> events;  // handed to the view, releases first
};

class HeldKeysTest : public IncomingNotesTest, public ::testing::WithParamInterface<HeldKeysCase> {};

TEST_P(HeldKeysTest, ThePoolShowsTheKeysHeldAndEachReleasesWithOneNoteOff) {
    const HeldKeysCase& c = GetParam();
    store->notesPoolMIDILatchEnabled.set(c.latch);
    for (const auto& [note, on] : c.played) link->handleIncomingMIDINote(note, on);
    std::vector<std::pair<int, bool>> events;
    store->hooks.incomingMIDINoteEventHandler = [&](int note, bool on) { events.emplace_back(note, on); };
    std::array<std::uint8_t, 128> held{};
    for (int note : c.held) ++held[static_cast<std::size_t>(note)];
    link->matchIncomingMIDIHeldNotes(held);
    EXPECT_EQ(store->preset->notesPool, c.pool);
    EXPECT_EQ(events, c.events);
    for (std::size_t i = 0; i < c.held.size(); ++i) {
        EXPECT_TRUE(store->incomingMIDINoteCountByNote.contains(c.held[i])) << c.held[i] << " freed before its last release";
        link->handleIncomingMIDINote(c.held[i], false);
    }
    EXPECT_TRUE(store->incomingMIDINoteCountByNote.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Floods, HeldKeysTest,
    ::testing::Values(
        HeldKeysCase{"AKeyCountedTwiceIsHeldOnce",
                     false,
                     {{60, true}, {60, true}, {62, true}},
                     {60, 64},
                     {60, 64},
                     {{60, false}, {62, false}, {64, true}}},
        HeldKeysCase{"AKeyHeldOnTwoChannelsTakesBothReleases", false, {{62, true}}, {60, 60, 62}, {60, 62}, {{60, true}, {60, true}}},
        HeldKeysCase{"AKeyCountedOnceAndHeldOnTwoChannelsGainsOnePress", false, {{60, true}}, {60, 60}, {60}, {{60, true}}},
        HeldKeysCase{"AKeyCountedTwiceAndHeldByNoneLosesBothCounts", false, {{60, true}, {60, true}}, {}, {}, {{60, false}, {60, false}}},
        HeldKeysCase{"ALatchedChordStartsAnewFromTheKeysHeld",
                     true,
                     {{60, true}, {62, true}, {60, false}, {62, false}},
                     {65, 67},
                     {65, 67},
                     {{65, true}, {67, true}}},
        HeldKeysCase{"ALatchedChordStaysWhenEveryKeyIsReleased", true, {{60, true}, {62, true}}, {}, {60, 62}, {{60, false}, {62, false}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::test
