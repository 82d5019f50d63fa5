#include "editor/link/track_configs.h"
#include "engine/config_buffer.h"
#include "tests/editor/link/link_fixture.h"
#include "tests/editor/link/recording_hooks.h"

#include <algorithm>

namespace pulvan::test {
namespace {

namespace layout = engine::config_layout;

std::vector<engine::EngineEvent> noteOns(const std::vector<engine::EngineEvent>& events) {
    std::vector<engine::EngineEvent> out;
    std::copy_if(events.begin(), events.end(), std::back_inserter(out), [](const auto& e) { return e.kind == engine::kEventNoteOn; });
    return out;
}

class ConfigurationRefreshTest : public BridgeTest {
protected:
    void editTrack0(const std::function<void(model::Track&)>& change) {
        store().beginTransaction("Edit");
        store().preset.modify([&](model::Preset& p) { change(p.tracks[0]); });
        store().endTransaction();
    }
    void withSixTracks() {
        store().preset.modify([](model::Preset& p) {
            while (p.tracks.size() < 6) {
                model::Track t = p.tracks.front();
                t.id = foundation::Uuid::random();
                p.tracks.push_back(t);
            }
        });
    }
};

TEST_F(ConfigurationRefreshTest, AStoreEditReachesTheEngineAndSoundsAtTheNextBlock) {
    start();
    EXPECT_TRUE(noteOns(live.render(0.0, 4.0)).empty()) << "the default pattern has no step on";

    editTrack0([](model::Track& t) { t.patterns[0].lane(model::LaneKind::gate).steps[0] = 1; });
    const auto raw = engine::copyRawConfig(*live.engine);
    ASSERT_EQ(raw.size(), static_cast<std::size_t>(layout::kWordCount));
    EXPECT_EQ(raw[layout::kGateSteps], 1);
    engine::beginBlock(*live.engine);
    EXPECT_EQ(engine::stagedSnapshot(*live.engine).tracks[0].gate[0], 1);

    auto ons = noteOns(live.render(4.0, 0.25));
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_DOUBLE_EQ(ons[0].time, 4.0);
    EXPECT_EQ(ons[0].channel, 0);
    EXPECT_EQ(ons[0].data1, 60) << "pool index 0 of the first scene's chord";

    editTrack0([](model::Track& t) { t.midiOutputChannel = 5; });
    ons = noteOns(live.render(8.0, 0.25));
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_EQ(ons[0].channel, 4);
}

// A slot tap that moves the selection onto a pattern equal to what the tap would write commits
// nothing; the engine must still play the newly selected slot, its notes released first.
TEST_F(ConfigurationRefreshTest, ASlotTapThatChangesOnlyTheSelectionReachesTheEngine) {
    using Store = store::SequencerStore;
    const struct {
        const char* name;
        std::function<void(Store&)> prepare;
        std::function<bool(Store&)> tap;
        std::vector<int> playedGates;
    } cases[] = {
        {"Copy armed on slot 0, then slot 0 edited; slot 5 holds slot 0 as it was armed",
         [](Store& s) {
             s.armPatternCopy();
             s.beginTransaction("Paint gate");
             s.setLaneStepValue(model::LaneKind::gate, 3, 0);
             s.endTransaction();
         },
         [](Store& s) { return s.pastePattern(0, 5, true); },
         {1, 0, 1, 1}},
        {"Swap armed on slot 0; slot 6 holds an equal pattern", [](Store&) {}, [](Store& s) { return s.swapPatterns(6); }, {1, 0, 1, 1}},
    };
    live.hooks = recordingHooks(live.engine.get());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bridge.reset();
        start();
        editTrack0([](model::Track& t) {
            for (std::size_t slot : {0, 5, 6}) {
                auto& gate = t.patterns[slot].lane(model::LaneKind::gate).steps;
                gate[0] = gate[2] = gate[3] = 1;
            }
        });
        c.prepare(store());
        const int entries = store().history().count();
        recordedCalls().clear();
        ASSERT_TRUE(c.tap(store()));
        EXPECT_EQ(store().history().count(), entries) << "nothing to commit";
        std::vector<std::string> calls;
        std::copy_if(recordedCalls().begin(), recordedCalls().end(), std::back_inserter(calls),
                     [](const auto& call) { return call != "blob"; });
        EXPECT_EQ(calls, (std::vector<std::string>{"tracksOff 0b000001", "offsets 0", "config", "enabled 1"}));
        const auto raw = engine::copyRawConfig(*live.engine);
        EXPECT_EQ(std::vector<int>(raw.begin() + layout::kGateSteps, raw.begin() + layout::kGateSteps + 4), c.playedGates);
    }
}

TEST_F(ConfigurationRefreshTest, QueuedReleasesAreMergedSortedAndSentBeforeTheConfiguration) {
    live.hooks = recordingHooks(live.engine.get());
    start();
    withSixTracks();
    recordedCalls().clear();
    store().queueNoteRelease(3);
    store().queueNoteRelease(1);
    store().refreshAppPlayConfiguration(false, {1, 7});
    EXPECT_EQ(recordedCalls(), (std::vector<std::string>{"tracksOff 0b001010", "offsets 0,0,0,0,0,0", "config", "enabled 1"}));
    EXPECT_TRUE(store().pendingAppPlayTrackNoteReleaseIndices.empty());
}

TEST_F(ConfigurationRefreshTest, AGlobalReleaseFollowsTrackReleasesAndIsConsumed) {
    live.hooks = recordingHooks(live.engine.get());
    start();
    recordedCalls().clear();
    store().queueNoteRelease(0);
    store().queueNoteRelease(std::nullopt);
    store().refreshAppPlayConfiguration(false, {});
    store().refreshAppPlayConfiguration(false, {});
    EXPECT_EQ(recordedCalls(), (std::vector<std::string>{"tracksOff 0b000001", "allOff", "offsets 0", "config", "enabled 1", "offsets 0",
                                                         "config", "enabled 1"}));
}

TEST_F(ConfigurationRefreshTest, ReleasedNotesEndAtTheNextBlockBeforeTheNewConfigurationPlays) {
    start();
    editTrack0([](model::Track& t) {
        t.patterns[0].lane(model::LaneKind::gate).steps[0] = 1;
        t.patterns[0].lane(model::LaneKind::length).steps[0] = 100;
        t.patterns[0].lane(model::LaneKind::tie).steps[0] = 1;  // held past its step
    });
    ASSERT_EQ(noteOns(live.render(0.0, 0.25)).size(), 1u);
    store().queueNoteRelease(0);
    editTrack0([](model::Track& t) { t.patterns[0].lane(model::LaneKind::gate).steps[0] = 0; });
    const auto events = live.render(0.25, 0.25);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().kind, engine::kEventNoteOff);
    EXPECT_EQ(live.engine->activeNotesLow[0].load(), 0u);
}

}  // namespace
}  // namespace pulvan::test
