#include "editor/link/standalone/standalone_app_play.h"

#include <gtest/gtest.h>

#include "editor/link/standalone/render_clock.h"
#include "editor/link/store_link.h"
#include "editor/model/preset.h"
#include "editor/store/sequencer_store.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/pasteboard.h"
#include "platform/midi/loopback_backend.h"
#include "tests/editor/link/standalone/host_rig.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/midi/message_recorder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace pulvan::link {
namespace {

using namespace std::chrono_literals;
using midi::test::MessageRecorder;
using midi::test::RecordedMessage;

bool isNoteOn(const RecordedMessage& m) { return (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0; }
bool isNoteOff(const RecordedMessage& m) { return (m.bytes[0] & 0xF0) == 0x80 || ((m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] == 0); }

// Two tracks; the first plays its scene's chord notes on every sixteenth.
model::Preset playingPreset() {
    model::Preset preset = model::defaultPreset();
    preset.tracks.push_back(preset.tracks.front());
    preset.tracks[1].id = foundation::Uuid::random();
    preset.tracks[1].name = "Track 2";
    preset.tracks[1].patterns[0].lane(model::LaneKind::gate).steps.assign(64, 0);
    preset.tracks[0].patterns[0].lane(model::LaneKind::gate).steps.assign(64, 1);
    return preset;
}

// A store with its link and app play on a manual main queue; the MIDI system is a
// loopback with one destination, "Session 1"; the engine host runs on the real clock.
class StandaloneAppPlayTest : public ::testing::Test {
protected:
    std::shared_ptr<midi::LoopbackBackend> backend = std::make_shared<midi::LoopbackBackend>();
    midi::ScopedBackend installed{backend};
    MessageRecorder session;
    std::string sessionAddress = backend->addDestination("Session 1", "Session 1", session.handler());
    pulvan::test::TempFolder home;
    pulvan::test::ScopedEnvironment dataHome{"XDG_DATA_HOME", (home.path() / "data").string()};
    pulvan::test::ScopedEnvironment configHome{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    foundation::ManualMainQueue main;
    foundation::MemoryPasteboard pasteboard;
    StandaloneMIDISender sender;
    std::unique_ptr<store::SequencerStore> store = std::make_unique<store::SequencerStore>(
        store::StoreServices{main.queue(), pasteboard, foundation::UserDefaults::standard(),
                             [this](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { sender.send(s, d1, d2); }},
        playingPreset());
    std::unique_ptr<StoreLink> link = std::make_unique<StoreLink>(*store);
    std::unique_ptr<StandaloneAppPlay> appPlay = std::make_unique<StandaloneAppPlay>(*link, sender, test::sequencerRegistry());

    void TearDown() override {
        appPlay.reset();
        link.reset();
        store.reset();
    }

    const foundation::Uuid& trackID(int index) const { return store->preset->tracks[static_cast<std::size_t>(index)].id; }

    // Runs the main queue in step with the real clock, so that the 33 ms timer ticks.
    bool runMainUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 3s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(5ms);
            main.advanceNanoseconds(5'000'000);
        }
        return true;
    }

    std::vector<RecordedMessage> noteOns() {
        std::vector<RecordedMessage> ons;
        for (const auto& m : session.waitFor(0)) {
            if (isNoteOn(m)) ons.push_back(m);
        }
        return ons;
    }

    void expectNothingSounding() {
        std::map<int, int> sounding;
        for (const auto& m : session.waitFor(0)) {
            if (isNoteOn(m)) ++sounding[m.bytes[1]];
            if (isNoteOff(m)) --sounding[m.bytes[1]];
        }
        for (const auto& [note, count] : sounding) EXPECT_EQ(count, 0) << "note " << note << " left sounding";
    }
};

TEST_F(StandaloneAppPlayTest, StartsOnceAndReusesTheHostOnTheNextStart) {
    appPlay->startAppPlay();
    ASSERT_TRUE(store->appPlayRunning.get());
    StandaloneEngineHost* host = appPlay->standaloneEngineHost();
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(host->isRunning());
    ASSERT_NE(link->standaloneEngine, nullptr);
    const std::int64_t anchor = host->anchorHostTime();
    appPlay->startAppPlay();
    EXPECT_EQ(host->anchorHostTime(), anchor) << "a second start restarted the clock";

    appPlay->stopAppPlay();
    EXPECT_FALSE(store->appPlayRunning.get());
    EXPECT_FALSE(host->isRunning());
    EXPECT_EQ(link->standaloneEngine, nullptr);
    EXPECT_FALSE(store->standalonePlayheadTimer.isActive());
    au::AppPlayAudioUnit* unit = &host->audioUnit();
    appPlay->startAppPlay();
    EXPECT_EQ(appPlay->standaloneEngineHost(), host);
    EXPECT_EQ(&appPlay->standaloneEngineHost()->audioUnit(), unit);
    appPlay->stopAppPlay();
}

// Keys played by hand into the application's input each reach the notes pool on "MIDI in".
TEST_F(StandaloneAppPlayTest, EachKeyPlayedIntoTheInputReachesTheMIDIInPool) {
    store->preset.modify([](model::Preset& p) { p.notesPoolInput = model::NotesPoolInput::midiIn; });
    // There before the input opens, so that it hears the first key.
    appPlay.reset();
    const std::string keyboard = backend->addSource("Keyboard", "Out");
    appPlay = std::make_unique<StandaloneAppPlay>(*link, sender, test::sequencerRegistry());
    const struct {
        std::vector<std::uint8_t> bytes;
        std::vector<int> pool;
    } keys[] = {{{0x90, 60, 100}, {60}}, {{0x90, 64, 100}, {60, 64}}, {{0x80, 60, 0}, {64}}, {{0x90, 67, 90}, {64, 67}}};
    for (const auto& key : keys) {
        backend->sendFromSource(keyboard, key.bytes);
        EXPECT_TRUE(runMainUntil([&] { return store->preset->notesPool == key.pool; })) << "after key " << int{key.bytes[1]};
    }
}

TEST_F(StandaloneAppPlayTest, WithoutTheAudioUnitPlayStaysStopped) {
    au::ComponentRegistry empty;
    appPlay = std::make_unique<StandaloneAppPlay>(*link, sender, empty);
    appPlay->startAppPlay();
    EXPECT_FALSE(store->appPlayRunning.get());
    EXPECT_EQ(appPlay->standaloneEngineHost(), nullptr);
    EXPECT_FALSE(store->standalonePlayheadTimer.isActive());
}

TEST_F(StandaloneAppPlayTest, PlayheadTimerShowsTheEnginesStepsAndSoundingNotes) {
    appPlay->startAppPlay();
    ASSERT_TRUE(store->standalonePlayheadTimer.isActive());
    ASSERT_TRUE(runMainUntil(
        [&] { return store->playhead.globalStepByTrackID->contains(trackID(0)) && !store->playhead.activeTrackNotes->empty(); }));
    EXPECT_EQ(store->playhead.noteActiveTrackIDs.get(), std::set<foundation::Uuid>{trackID(0)});
    appPlay->stopAppPlay();
    EXPECT_TRUE(store->playhead.globalStepByTrackID->empty());
    EXPECT_TRUE(store->playhead.activeTrackNotes->empty());
    EXPECT_TRUE(store->playhead.noteActiveTrackIDs->empty());
}

TEST_F(StandaloneAppPlayTest, ATrackTheEngineDoesNotPlayShowsNoPlayhead) {
    store->preset.modify([](model::Preset& p) {
        while (p.tracks.size() < 7) {
            p.tracks.push_back(p.tracks.back());
            p.tracks.back().id = foundation::Uuid::random();
        }
    });
    appPlay->startAppPlay();
    ASSERT_TRUE(runMainUntil([&] { return store->playhead.globalStepByTrackID->contains(trackID(5)); }));
    EXPECT_FALSE(store->playhead.globalStepByTrackID->contains(trackID(6))) << "only six tracks play";
    appPlay->stopAppPlay();
}

TEST_F(StandaloneAppPlayTest, StopAppliesPendingLaunchesAtOnceAndClearsTheDisplay) {
    appPlay->startAppPlay();
    store->pendingSceneSelectionIndex = 2;
    store->pendingSceneSelectionTargetSixteenthStep = 1000;
    store->pendingPatternSelectionTrackID = trackID(1);
    store->pendingPatternSelectionPatternIndex = 3;
    store->pendingPatternSelectionTargetSixteenthStep = 1000;
    store->resyncModeActive.set(true);
    store->playhead.resyncMeasureProgress.set(0.5);
    store->playhead.sceneSelectionProgress.set(0.5);
    appPlay->stopAppPlay();

    EXPECT_EQ(store->activeSceneIndex.get(), 2);
    EXPECT_EQ(store->selections->at(trackID(1)).pattern, 3);
    EXPECT_FALSE(store->pendingSceneSelectionIndex.has_value());
    EXPECT_FALSE(store->pendingSceneSelectionTargetSixteenthStep.has_value());
    EXPECT_FALSE(store->pendingPatternSelectionTrackID.has_value());
    EXPECT_FALSE(store->pendingPatternSelectionPatternIndex.has_value());
    EXPECT_EQ(store->playhead.sceneSelectionProgress.get(), 0.0);
    EXPECT_FALSE(store->resyncModeActive.get());
    EXPECT_EQ(store->playhead.resyncMeasureProgress.get(), 0.0);
    EXPECT_EQ(store->hostedMIDIRecordMode.get(), store::HostedMIDIRecordMode::idle);
}

TEST_F(StandaloneAppPlayTest, AnEditWhilePlayingReachesTheEngineReleasesFirst) {
    appPlay->startAppPlay();
    ASSERT_TRUE(runMainUntil([&] { return noteOns().size() >= 2; }));
    store->beginTransaction("Mute");
    store->preset.modify([](model::Preset& p) { p.tracks[0].mute = true; });
    store->queueNoteRelease(0);
    store->endTransaction();
    const auto edited = midi::now();
    std::this_thread::sleep_for(300ms);
    for (const auto& on : noteOns()) {
        // What was rendered ahead (1024 frames, 23 ms) may still sound; nothing after it.
        EXPECT_LT(on.receivedAt, edited + 60'000'000) << "a muted track went on playing";
    }
    expectNothingSounding();
    appPlay->stopAppPlay();
}

TEST_F(StandaloneAppPlayTest, SwitchingToHostedModeStopsTheStandaloneEngine) {
    appPlay->startAppPlay();
    ASSERT_TRUE(runMainUntil([&] { return noteOns().size() >= 2; }));
    store->isHostedUI.set(false);  // the same mode: play goes on
    EXPECT_TRUE(store->appPlayRunning.get());
    link->setHostedUI(true);
    EXPECT_FALSE(store->appPlayRunning.get());
    EXPECT_FALSE(appPlay->standaloneEngineHost()->isRunning());
    EXPECT_FALSE(store->standalonePlayheadTimer.isActive());
    std::this_thread::sleep_for(60ms);
    expectNothingSounding();
}

TEST_F(StandaloneAppPlayTest, ARefreshWhileStoppedSendsNothingAndDropsTheReleases) {
    store->queueNoteRelease(0);
    store->queueNoteRelease(std::nullopt);
    store->refreshAppPlayConfiguration(false, {1});
    EXPECT_TRUE(store->pendingAppPlayTrackNoteReleaseIndices.empty());
    EXPECT_FALSE(store->pendingAppPlayGlobalNoteRelease);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(session.waitFor(0).empty());
}

TEST_F(StandaloneAppPlayTest, GoingAwayWhilePlayingLeavesNoNoteSounding) {
    appPlay->startAppPlay();
    ASSERT_TRUE(runMainUntil([&] { return noteOns().size() >= 2; }));
    appPlay.reset();
    EXPECT_EQ(link->standaloneEngine, nullptr);
    EXPECT_FALSE(store->standalonePlayheadTimer.isActive());
    std::this_thread::sleep_for(60ms);
    expectNothingSounding();
}

// The engine host renders 1024 frames (about 23 ms) ahead of its clock, here a manual one, so
// every slice and every poll lands where the test puts it.
class LaunchRig : public StandaloneAppPlayTest {
protected:
    static constexpr int kOld = 48;
    static constexpr int kNew = 55;
    foundation::ManualClock clock{1'000'000'000};

    // Track 0 plays a note on every beat: pool note 0 in pattern 0, pool note 1 in pattern 1.
    // Scene 0 holds both notes, scene 1 only the new one.
    void SetUp() override {
        appPlay = std::make_unique<StandaloneAppPlay>(*link, sender, test::sequencerRegistry(), clock);
        store->preset.modify([](model::Preset& p) {
            auto& patterns = p.tracks[0].patterns;
            auto& gates = patterns[0].lane(model::LaneKind::gate).steps;
            gates.assign(64, 0);
            for (int step : {0, 4, 8, 12}) gates[static_cast<std::size_t>(step)] = 1;
            patterns[1] = patterns[0];
            for (int step = 0; step < 64; ++step) patterns[1].lane(model::LaneKind::notes).setChord({1}, step);
            p.chordPresets[0].chord = {kOld, kNew};
            p.chordPresets[1].chord = {kNew};
            p.notesPool = {kOld, kNew};
        });
    }

    void setLaunchResolution(int resolution) {
        store->preset.modify([&](model::Preset& p) {
            p.sceneLaunchResolution = resolution;
            p.patternLaunchResolution = resolution;
        });
    }

    // Starts play and renders until the last slice starts in sixteenth 7, a little before the second beat.
    void playToJustBeforeTheSecondBeat() {
        appPlay->startAppPlay();
        ASSERT_NO_FATAL_FAILURE(renderTo(162 * render_clock::kSliceFrames));
        ASSERT_EQ(std::floor(link->currentSixteenthPosition().value_or(0.0)), 7.0);
    }

    // Lets the host render up to `frames` (and the rest of that slice), a look-ahead at a time
    // as its clock moves on, with a playhead poll after each step as the timer would make.
    void renderTo(std::int64_t frames) {
        StandaloneEngineHost& host = *appPlay->standaloneEngineHost();
        while (host.renderedFrames() < frames) {
            const std::int64_t next = std::min(frames, host.renderedFrames() + render_clock::kLookAheadFrames);
            clock.setNanoseconds(host.anchorHostTime() + render_clock::nanosecondsFor(next - render_clock::kLookAheadFrames));
            ASSERT_TRUE(test::eventually([&] { return host.renderedFrames() >= next; }));
            appPlay->pollStandaloneEngineState();
        }
    }
    void renderToBeat(double beat) { renderTo(static_cast<std::int64_t>(beat * 0.5 * render_clock::kSampleRate)); }

    // Note-on (note, velocity) pairs as the monitor received them.
    std::vector<std::pair<int, int>> playedNotes() {
        std::vector<std::pair<int, int>> notes;
        for (const auto& on : noteOns()) notes.emplace_back(on.bytes[1], on.bytes[2]);
        return notes;
    }
};

struct LaunchLineCase {
    const char* name;
    bool scene;
    int resolution;
    int lineBeat;  // the launch's line, tapped in the sixteenth before the second beat
};

void PrintTo(const LaunchLineCase& c, std::ostream* os) { *os << c.name; }

class LaunchLineTest : public LaunchRig, public ::testing::WithParamInterface<LaunchLineCase> {};

TEST_P(LaunchLineTest, TheFirstNoteOnTheLineIsTheLaunchedOnes) {
    const LaunchLineCase& c = GetParam();
    setLaunchResolution(c.resolution);
    ASSERT_NO_FATAL_FAILURE(playToJustBeforeTheSecondBeat());
    if (c.scene) {
        store->selectScene(1);
        ASSERT_EQ(store->pendingSceneSelectionTargetSixteenthStep, c.lineBeat * 4);
    } else {
        store->launchPattern(1);
        ASSERT_EQ(store->pendingPatternSelectionTargetSixteenthStep, c.lineBeat * 4);
    }
    ASSERT_NO_FATAL_FAILURE(renderToBeat(c.lineBeat + 2.5));

    std::vector<std::pair<int, int>> expected(static_cast<std::size_t>(c.lineBeat), {kOld, 100});
    expected.insert(expected.end(), 3, {kNew, 100});
    EXPECT_EQ(playedNotes(), expected) << "one note a beat from beat 0; the new one from beat " << c.lineBeat;
    EXPECT_FALSE(store->pendingSceneSelectionIndex.has_value());
    EXPECT_FALSE(store->pendingPatternSelectionTrackID.has_value());
    if (c.scene) {
        EXPECT_EQ(store->preset->notesPool, std::vector<int>{kNew}) << "the store follows the switch";
    } else {
        EXPECT_EQ(store->selections->at(trackID(0)).pattern, 1) << "the store follows the switch";
    }
    appPlay->stopAppPlay();
}

INSTANTIATE_TEST_SUITE_P(EachResolution, LaunchLineTest,
                         ::testing::Values(LaunchLineCase{"PatternSixteenth", false, 16, 2}, LaunchLineCase{"PatternEighth", false, 8, 2},
                                           LaunchLineCase{"PatternBeat", false, 4, 2}, LaunchLineCase{"PatternBar", false, 1, 4},
                                           LaunchLineCase{"SceneSixteenth", true, 16, 2}, LaunchLineCase{"SceneEighth", true, 8, 2},
                                           LaunchLineCase{"SceneBeat", true, 4, 2}, LaunchLineCase{"SceneBar", true, 1, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LaunchRig, AWithdrawnPatternLaunchNeverSwitches) {
    setLaunchResolution(1);
    ASSERT_NO_FATAL_FAILURE(playToJustBeforeTheSecondBeat());
    store->launchPattern(1);
    store->launchPattern(0);  // the selected slot again
    ASSERT_FALSE(store->pendingPatternSelectionTrackID.has_value());
    ASSERT_NO_FATAL_FAILURE(renderToBeat(6.5));
    EXPECT_EQ(playedNotes(), (std::vector<std::pair<int, int>>(7, {kOld, 100})));
    appPlay->stopAppPlay();
}

TEST_F(LaunchRig, AnEditWhileAPatternLaunchWaitsPlaysFromItsLine) {
    setLaunchResolution(1);
    ASSERT_NO_FATAL_FAILURE(playToJustBeforeTheSecondBeat());
    store->launchPattern(1);
    store->beginTransaction("Velocity");
    store->preset.modify([](model::Preset& p) { p.tracks[0].patterns[1].lane(model::LaneKind::velocity).steps.assign(64, 90); });
    store->endTransaction();
    ASSERT_NO_FATAL_FAILURE(renderToBeat(5.5));
    std::vector<std::pair<int, int>> expected(4, {kOld, 100});
    expected.insert(expected.end(), 2, {kNew, 90});
    EXPECT_EQ(playedNotes(), expected);
    appPlay->stopAppPlay();
}

TEST_F(LaunchRig, ASceneLaunchDroppedByUndoNeverSwitches) {
    setLaunchResolution(1);
    store->resetHistory();  // the set-up is where undo stops
    store->beginTransaction("Rename track");
    store->preset.modify([](model::Preset& p) { p.tracks[0].name = "Lead"; });
    store->endTransaction();
    ASSERT_NO_FATAL_FAILURE(playToJustBeforeTheSecondBeat());
    store->selectScene(1);
    store->undo();
    ASSERT_FALSE(store->pendingSceneSelectionIndex.has_value());
    ASSERT_NO_FATAL_FAILURE(renderToBeat(5.5));
    EXPECT_EQ(playedNotes(), (std::vector<std::pair<int, int>>(6, {kOld, 100}))) << "the engine plays what the store shows";
    appPlay->stopAppPlay();
}

// The hosted setting reaches its engine only through the store's hook closures.
class HostedAppPlayTest : public StandaloneAppPlayTest {
protected:
    std::vector<std::string> calls;

    void installHooks(bool configure, bool setEnabled) {
        store->isHostedUI.set(true);
        auto record = [this](std::string name) { return [this, name](bool value) { calls.push_back(name + (value ? " on" : " off")); }; };
        if (configure) store->hooks.hostedAppPlayConfigure = [this](const store::HostedAppPlayPayload&) { calls.push_back("configure"); };
        if (setEnabled) store->hooks.hostedAppPlaySetEnabled = record("enabled");
        store->hooks.hostedAppPlaySetResyncArmed = record("resync");
        store->hooks.hostedAppPlaySetMIDIRecordArmStart = record("arm start");
        store->hooks.hostedAppPlaySetMIDIRecordArmStop = record("arm stop");
    }
};

TEST_F(HostedAppPlayTest, NeedsBothTheConfigureAndTheEnableClosure) {
    for (const auto& [configure, setEnabled] : {std::pair{false, true}, std::pair{true, false}}) {
        calls.clear();
        store->hooks = {};
        installHooks(configure, setEnabled);
        appPlay->startAppPlay();
        EXPECT_FALSE(store->appPlayRunning.get());
        EXPECT_TRUE(calls.empty());
    }
}

TEST_F(HostedAppPlayTest, StartsAndStopsThroughTheHooksInOrder) {
    installHooks(true, true);
    appPlay->startAppPlay();
    EXPECT_TRUE(store->appPlayRunning.get());
    EXPECT_EQ(calls, (std::vector<std::string>{"configure", "enabled on"}));
    EXPECT_EQ(appPlay->standaloneEngineHost(), nullptr) << "no standalone engine in a host";
    EXPECT_FALSE(store->standalonePlayheadTimer.isActive());
    calls.clear();
    appPlay->stopAppPlay();
    EXPECT_EQ(calls, (std::vector<std::string>{"resync off", "arm start off", "arm stop off", "enabled off"}));
    calls.clear();
    appPlay->stopAppPlay();
    EXPECT_TRUE(calls.empty()) << "a stop while stopped does nothing";
}

}  // namespace
}  // namespace pulvan::link
