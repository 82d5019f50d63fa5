#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

using model::LaneKind;
using store::KezModal;
using store::PatternGenerator303PitchStep;
using store::PatternGenerator303State;

namespace {

PatternGenerator303PitchStep key(int pitch, bool slide = false, int octave = 0, bool accent = false) {
    return {pitch, octave, accent, slide};
}

class Generator303 : public StoreTest {
protected:
    std::unique_ptr<store::SequencerStore> makeGeneratorStore(int gateLast) {
        model::Preset preset = threeTrackPreset();
        preset.tracks[0].patterns[0].lane(LaneKind::gate).lastStep = gateLast;
        return makeStore(preset);
    }

    static void program(store::SequencerStore& store, std::vector<int> time, std::vector<PatternGenerator303PitchStep> pitch) {
        PatternGenerator303State state = store.patternGenerator303.get();
        std::copy(time.begin(), time.end(), state.time.begin());
        std::copy(pitch.begin(), pitch.end(), state.pitch.begin());
        store.patternGenerator303.set(state);
        store.applyPatternGenerator303();
    }
};

}  // namespace

TEST_F(Generator303, TheCursorStaysWithinTheGateLanesFirstSixteenSteps) {
    for (auto [gateLast, limit] : std::vector<std::pair<int, int>>{{20, 16}, {0, 1}, {7, 7}}) {
        auto store = makeGeneratorStore(gateLast);
        EXPECT_EQ(store->patternGenerator303StepLimit(), limit) << gateLast;
        const int last = limit - 1;
        store->patternGenerator303.modify([last](PatternGenerator303State& s) { s.stepIndex = last; });
        store->setPatternGenerator303Pitch(15, true);
        EXPECT_EQ(store->patternGenerator303->pitch[static_cast<std::size_t>(limit - 1)].pitch, 72);
        EXPECT_EQ(store->patternGenerator303->stepIndex, limit - 1);
        store->patternGenerator303.modify([](PatternGenerator303State& s) { s.stepIndex = 40; });
        store->setPatternGenerator303Time(9, false);
        EXPECT_EQ(store->patternGenerator303->time[static_cast<std::size_t>(limit - 1)], 2);
    }
}

TEST_F(Generator303, TimesAndPitchesBecomeTheSixLanes) {
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
        const model::Pattern& p = activePattern(*store);
        EXPECT_EQ(first(p.lane(LaneKind::gate), 5), (std::vector<int>{c.gate[0], c.gate[1], c.gate[2], c.gate[3], 1})) << "step 4 is kept";
        EXPECT_EQ(first(p.lane(LaneKind::tie), 4), c.hold);
        EXPECT_EQ(first(p.lane(LaneKind::notes), 4), c.notes);
        EXPECT_EQ(first(p.lane(LaneKind::octave), 4), c.octave);
        EXPECT_EQ(first(p.lane(LaneKind::fix), 4), (std::vector<int>{1, 1, 1, 1}));
        EXPECT_EQ(p.lane(LaneKind::notes).chordNotes(1), (model::Chord{c.notes[1]})) << "the step's chord is dropped";
    }
}

TEST_F(Generator303, AccentsPickTheirVelocityAndTheLastPitchRepeats) {
    auto store = makeGeneratorStore(16);
    store->setPatternGenerator303AccentVelocity(300);
    store->setPatternGenerator303NoAccentVelocity(90);
    PatternGenerator303State state = store->patternGenerator303.get();
    state.time.assign(16, 1);
    state.pitch = {key(60, false, 0, true), key(67)};
    store->patternGenerator303.set(state);
    store->applyPatternGenerator303();
    EXPECT_EQ(first(activePattern(*store).lane(LaneKind::velocity), 3), (std::vector<int>{127, 90, 90}));
    EXPECT_EQ(first(activePattern(*store).lane(LaneKind::notes), 4), (std::vector<int>{0, 7, 7, 7}));
    EXPECT_FALSE(refreshes.empty()) << "the engine hears each edit at once";
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
    p.lane(LaneKind::velocity).steps.resize(4);  // beyond its steps a velocity reads as 100
    auto store = makeStore(preset);
    store->togglePatternGenerator303Modal();
    const PatternGenerator303State& s = store->patternGenerator303.get();
    EXPECT_EQ(std::vector<int>(s.time.begin(), s.time.begin() + 6), (std::vector<int>{1, 2, 2, 1, 1, 0}));
    EXPECT_EQ(s.pitch[0], key(64, true, 0, false)) << "113 lies nearer 100";
    EXPECT_EQ(s.pitch[1], key(71, false, -1, true)) << "114 lies nearer 127";
    EXPECT_EQ(s.pitch[2], key(60, false, 1, false));
}

TEST_F(Generator303, ASessionRecordsOneEntryOnlyWhenThePresetChangedAndUndoesAsOne) {
    auto store = makeGeneratorStore(16);
    const model::Preset before = store->preset.get();
    store->togglePatternGenerator303Modal();
    store->closePatternGenerator303Modal();
    EXPECT_EQ(store->history().count(), 1) << "opened and closed untouched";

    store->togglePatternGenerator303Modal();
    store->preset.modify([](model::Preset& p) { p.tracks[0].patterns[0].direction = model::PatternDirection::backward; });
    store->preset.modify([](model::Preset& p) { p.tracks[0].patterns[0].direction = model::PatternDirection::forward; });
    store->patternGenerator303UndoSessionHasChanges = true;
    store->closePatternGenerator303Modal();
    EXPECT_EQ(store->history().count(), 1) << "touched and restored";

    store->togglePatternGenerator303Modal();
    store->setPatternGenerator303Mode(store::PatternGenerator303Mode::time);
    for (int i = 0; i < 5; ++i) store->setPatternGenerator303Time(1, true);
    store->togglePatternGenerator303Slide();
    store->updatePatternGenerator303State([&](PatternGenerator303State& s) { store->togglePatternGenerator303OctaveUp(s); });
    EXPECT_EQ(store->patternGenerator303->pitch[5].octave, 1);
    store->updatePatternGenerator303State([&](PatternGenerator303State& s) { store->togglePatternGenerator303OctaveUp(s); });
    EXPECT_EQ(store->patternGenerator303->pitch[5].octave, 0);
    store->closePatternGenerator303Modal();
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "303 pattern generator"}));
    EXPECT_FALSE(store->patternGenerator303UndoSessionBaselinePresetData.has_value());
    EXPECT_FALSE(store->patternGenerator303UndoSessionHasChanges);
    store->undo();
    EXPECT_EQ(store->preset.get(), before) << "every edit of the session undoes as one";
    store->clearPatternGenerator303();
    PatternGenerator303State cleared;
    cleared.mode = store::PatternGenerator303Mode::time;
    EXPECT_EQ(store->patternGenerator303.get(), cleared) << "the mode is kept";
}

TEST_F(Generator303, AuditionIsSilentWhileTheTransportMovesAndEndsWithTheModal) {
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
    store->setActiveModal(KezModal::patternGenerator303);
    store->togglePatternGenerator303Modal();
    EXPECT_EQ(sentMIDI.back(), (std::array<int, 3>{0x82, 74, 0}));
    EXPECT_EQ(store->history().count(), 1) << "nothing was edited";
}

TEST_F(Generator303, AMissingPatternIsNeitherReadNorWrittenAndShortLanesKeepTheirSize) {
    auto store = makeGeneratorStore(16);
    selectPattern(*store, 0, 9);
    const model::Preset before = store->preset.get();
    store->loadPatternGenerator303FromTrack();
    store->setPatternGenerator303Time(1, false);
    EXPECT_EQ(store->preset.get(), before);

    model::Preset preset = threeTrackPreset();
    preset.tracks[0].patterns[0].lane(LaneKind::velocity).steps.resize(2);
    preset.tracks[0].patterns[0].lanes.erase(LaneKind::octave);
    auto shortLanes = makeStore(preset);
    program(*shortLanes, {1, 1, 1, 1}, {key(61)});
    EXPECT_EQ(activePattern(*shortLanes).lane(LaneKind::velocity).steps.size(), 2u);
    EXPECT_EQ(activePattern(*shortLanes).lanes.count(LaneKind::octave), 1u) << "a missing lane is written from its defaults";
}

}  // namespace pulvan::test
