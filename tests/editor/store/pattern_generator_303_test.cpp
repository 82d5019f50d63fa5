#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

using model::LaneKind;
using store::KezModal;
using store::PatternGenerator303PitchStep;
using store::PatternGenerator303State;

namespace {

std::vector<int> firstSteps(const model::Lane& lane, std::size_t count) { return {lane.steps.begin(), lane.steps.begin() + static_cast<std::ptrdiff_t>(count)}; }

class Generator303 : public StoreTest {
protected:
    // The first track's pattern 0 with its gate lane `gateLast` long.
    std::unique_ptr<store::SequencerStore> makeGeneratorStore(int gateLast) {
        model::Preset preset = threeTrackPreset();
        preset.tracks[0].patterns[0].lane(LaneKind::gate).lastStep = gateLast;
        return makeStore(preset);
    }

    void program(store::SequencerStore& store, std::vector<int> time, std::vector<PatternGenerator303PitchStep> pitch) {
        PatternGenerator303State state = store.patternGenerator303.get();
        for (std::size_t i = 0; i < time.size(); ++i) state.time[i] = time[i];
        for (std::size_t i = 0; i < pitch.size(); ++i) state.pitch[i] = pitch[i];
        store.patternGenerator303.set(state);
        store.applyPatternGenerator303();
    }

    const model::Pattern& pattern(const store::SequencerStore& store) { return store.preset->tracks[0].patterns[0]; }
};

PatternGenerator303PitchStep key(int pitch, bool slide = false, int octave = 0, bool accent = false) { return {pitch, octave, accent, slide}; }

}  // namespace

TEST_F(Generator303, TheStepLimitFollowsTheGateLaneWithinOneToSixteen) {
    for (auto [gateLast, limit] : std::vector<std::pair<int, int>>{{20, 16}, {0, 1}, {7, 7}, {-3, 1}}) {
        auto store = makeGeneratorStore(gateLast);
        EXPECT_EQ(store->patternGenerator303StepLimit(), limit) << gateLast;
        store->patternGenerator303StepForward();
        store->patternGenerator303StepForward();
        EXPECT_EQ(store->patternGenerator303->stepIndex, std::min(2, limit - 1));
    }
}

TEST_F(Generator303, PitchEntryStoresTheKeyAndAdvancesUpToTheLastStep) {
    auto store = makeGeneratorStore(4);
    store->patternGenerator303.modify([](PatternGenerator303State& s) { s.stepIndex = 3; });
    store->setPatternGenerator303Pitch(15, true);
    EXPECT_EQ(store->patternGenerator303->pitch[3].pitch, 72);
    EXPECT_EQ(store->patternGenerator303->stepIndex, 3);
    store->patternGenerator303.modify([](PatternGenerator303State& s) { s.stepIndex = 40; });
    store->setPatternGenerator303Time(9, true);
    EXPECT_EQ(store->patternGenerator303->time[3], 2) << "the cursor is read within the step limit";
}

TEST_F(Generator303, TiesAndSlidesBecomeGateAndHoldSteps) {
    struct Case {
        std::vector<int> time;
        std::vector<PatternGenerator303PitchStep> pitch;
        std::vector<int> gate, hold, notes, octave;
    };
    const std::vector<Case> cases{
        {{1, 2, 2, 1}, {key(60, true), key(72)}, {1, 0, 0, 1}, {2, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 1}},
        {{1, 1, 0, 0}, {key(62), key(65)}, {1, 1, 0, 0}, {0, 0, 0, 0}, {2, 5, 5, 5}, {0, 0, 0, 0}},
        {{1, 1, 0, 0}, {key(62, true), key(65)}, {1, 1, 0, 0}, {2, 0, 0, 0}, {2, 5, 5, 5}, {0, 0, 0, 0}},
        {{1, 2, 1, 1}, {key(61), key(63, false, -1), key(75)}, {1, 0, 1, 1}, {1, 0, 0, 0}, {1, 1, 3, 0}, {0, 0, -1, 1}},
    };
    for (const Case& c : cases) {
        auto store = makeGeneratorStore(4);
        program(*store, c.time, c.pitch);
        const model::Pattern& p = pattern(*store);
        EXPECT_EQ(firstSteps(p.lane(LaneKind::gate), 4), c.gate);
        EXPECT_EQ(firstSteps(p.lane(LaneKind::tie), 4), c.hold);
        EXPECT_EQ(firstSteps(p.lane(LaneKind::notes), 4), c.notes);
        EXPECT_EQ(firstSteps(p.lane(LaneKind::octave), 4), c.octave);
        EXPECT_EQ(firstSteps(p.lane(LaneKind::fix), 4), (std::vector<int>{1, 1, 1, 1}));
        EXPECT_EQ(p.lane(LaneKind::notes).chordNotes(1), (model::Chord{c.notes[1]})) << "the step's chord is dropped";
        EXPECT_EQ(p.lane(LaneKind::gate).steps[4], 1) << "steps from the limit on keep their values";
    }
}

TEST_F(Generator303, AccentsPickTheirVelocityAndWriteToTheEngineAtOnce) {
    auto store = makeGeneratorStore(16);
    store->setPatternGenerator303AccentVelocity(300);
    EXPECT_EQ(store->patternGenerator303->accentVelocity, 127);
    store->setPatternGenerator303NoAccentVelocity(90);
    program(*store, {1, 1}, {key(60, false, 0, true), key(60)});
    const auto& velocity = pattern(*store).lane(LaneKind::velocity);
    EXPECT_EQ(firstSteps(velocity, 3), (std::vector<int>{127, 90, 90}));
    EXPECT_FALSE(refreshes.empty());
    EXPECT_EQ(store->history().count(), 1) << "outside the modal the writes record nothing themselves";
}

TEST_F(Generator303, MoreNotesThanPitchEventsRepeatTheLastEvent) {
    auto store = makeGeneratorStore(16);
    PatternGenerator303State state = store->patternGenerator303.get();
    state.time.assign(16, 1);
    state.pitch = {key(60), key(67)};
    store->patternGenerator303.set(state);
    store->applyPatternGenerator303();
    std::vector<int> expected(16, 7);
    expected[0] = 0;
    EXPECT_EQ(firstSteps(pattern(*store).lane(LaneKind::notes), 16), expected);
}

TEST_F(Generator303, LoadingReadsNotesTiesAndAccentsBack) {
    model::Preset preset = threeTrackPreset();
    model::Pattern& p = preset.tracks[0].patterns[0];
    p.lane(LaneKind::gate).lastStep = 5;
    setSteps(p.lane(LaneKind::gate), {1, 0, 0, 1, 1});
    setSteps(p.lane(LaneKind::tie), {2, 0, 0, 0, 1});
    setSteps(p.lane(LaneKind::notes), {4, 9, 9, 15, 0});
    setSteps(p.lane(LaneKind::octave), {0, 0, 0, -2, 3});
    setSteps(p.lane(LaneKind::velocity), {113, 0, 0, 114, 127});
    auto store = makeStore(preset);
    store->togglePatternGenerator303Modal();
    const PatternGenerator303State& s = store->patternGenerator303.get();
    EXPECT_EQ(std::vector<int>(s.time.begin(), s.time.begin() + 6), (std::vector<int>{1, 2, 2, 1, 1, 0}));
    EXPECT_EQ(s.pitch[0], key(64, true, 0, false)) << "113 lies nearer 100";
    EXPECT_EQ(s.pitch[1], key(71, false, -1, true)) << "114 lies nearer 127";
    EXPECT_EQ(s.pitch[2], key(60, false, 1, true));
    EXPECT_EQ(s.pitch[3], key(60));
    EXPECT_EQ(s.stepIndex, 0);
}

TEST_F(Generator303, EditsWhileTheModalIsOpenUndoAsOne) {
    auto store = makeGeneratorStore(16);
    const model::Preset before = store->preset.get();
    store->togglePatternGenerator303Modal();
    store->setPatternGenerator303Mode(store::PatternGenerator303Mode::time);
    for (int i = 0; i < 5; ++i) store->setPatternGenerator303Time(1, true);
    store->togglePatternGenerator303Slide();
    store->updatePatternGenerator303State([&](PatternGenerator303State& s) { store->togglePatternGenerator303OctaveUp(s); });
    EXPECT_EQ(store->patternGenerator303->pitch[5].octave, 1);
    store->updatePatternGenerator303State([&](PatternGenerator303State& s) { store->togglePatternGenerator303OctaveUp(s); });
    EXPECT_EQ(store->patternGenerator303->pitch[5].octave, 0);
    store->closePatternGenerator303Modal();
    ASSERT_EQ(store->history().count(), 2);
    EXPECT_EQ(store->history().label(1), "303 pattern generator");
    store->undo();
    EXPECT_EQ(store->preset.get(), before);
}

TEST_F(Generator303, ClearingKeepsTheModeAndVelocities) {
    auto store = makeGeneratorStore(16);
    store->setPatternGenerator303Mode(store::PatternGenerator303Mode::time);
    store->setPatternGenerator303NoAccentVelocity(80);
    store->setPatternGenerator303Time(1, true);
    store->clearPatternGenerator303();
    PatternGenerator303State expected;
    expected.mode = store::PatternGenerator303Mode::time;
    expected.noAccentVelocity = 80;
    EXPECT_EQ(store->patternGenerator303.get(), expected);
    EXPECT_EQ(pattern(*store).lane(LaneKind::gate).steps[0], 0);
}

TEST_F(Generator303, AuditionPlaysNothingWhileTheTransportMoves) {
    auto store = makeGeneratorStore(16);
    store->preset.modify([](model::Preset& p) { p.tracks[0].midiOutputChannel = 3; });
    store->patternGenerator303.modify([](PatternGenerator303State& s) { s.pitch[0] = key(62, false, 1); });
    store->auditionPatternGenerator303Key(12);
    store->auditionPatternGenerator303Step();
    EXPECT_EQ(sentMIDI, (std::vector<std::array<int, 3>>{{0x92, 84, 100}, {0x82, 84, 0}, {0x92, 74, 100}}));

    store->appPlayRunning.set(true);
    store->auditionPatternGenerator303Key(0);
    EXPECT_EQ(sentMIDI.size(), 3u);
    store->appPlayRunning.set(false);

    std::vector<std::array<int, 3>> hosted;
    store->hooks.hostedSendImmediateMIDI = [&](std::uint8_t s, std::uint8_t a, std::uint8_t b) { hosted.push_back({s, a, b}); };
    bool moving = true;
    store->hooks.hostedAppPlayState = [&](int) { return std::pair<int, bool>{0, moving}; };
    store->isHostedUI.set(true);
    store->auditionPatternGenerator303Key(1);
    moving = false;
    main.advanceSeconds(0.1);
    store->auditionPatternGenerator303Key(1);
    EXPECT_TRUE(hosted.empty()) << "0.1 s after the transport moved";
    main.advanceSeconds(0.2);
    store->auditionPatternGenerator303Key(1);
    EXPECT_EQ(hosted, (std::vector<std::array<int, 3>>{{0x82, 74, 0}, {0x92, 73, 100}})) << "the sounding key ends first";
}

TEST_F(Generator303, AMissingPatternIsNeitherReadNorWritten) {
    auto store = makeGeneratorStore(16);
    store->selections.modify([&](auto& map) { map[store->preset->tracks[0].id].pattern = 9; });
    const model::Preset before = store->preset.get();
    store->loadPatternGenerator303FromTrack();
    store->setPatternGenerator303Time(1, false);
    EXPECT_EQ(store->preset.get(), before);
    EXPECT_TRUE(refreshes.empty());
}

TEST_F(Generator303, ShortLanesAreWrittenOnlyWhereTheyHaveSteps) {
    model::Preset preset = threeTrackPreset();
    model::Pattern& p = preset.tracks[0].patterns[0];
    p.lane(LaneKind::gate).lastStep = 16;
    p.lane(LaneKind::velocity).steps.resize(2);
    p.lanes.erase(LaneKind::octave);
    auto store = makeStore(preset);
    program(*store, {1, 1, 1, 1}, {key(61)});
    EXPECT_EQ(pattern(*store).lane(LaneKind::velocity).steps.size(), 2u);
    EXPECT_EQ(pattern(*store).lanes.count(LaneKind::octave), 1u) << "a missing lane is written from its defaults";
    store->togglePatternGenerator303Modal();
    EXPECT_FALSE(store->patternGenerator303->pitch[2].accent) << "a velocity beyond the stored steps reads as 100";
}

}  // namespace pulvan::test
