#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

using model::LaneKind;
using store::DialogRequest;

namespace {

std::vector<std::string> trackNames(const store::SequencerStore& store) {
    std::vector<std::string> names;
    for (const auto& track : store.preset->tracks) names.push_back(track.name);
    return names;
}

}  // namespace

TEST_F(StoreTest, TracksAreAddedUpToSixThenTheLimitIsAnnounced) {
    auto store = makeStore(presetWithTracks(5));
    store->preset.modify([](model::Preset& p) { p.tracks[0].accentColorHex = model::defaultSkin().trackAccents()[5]; });
    store->addTrack();
    const model::Track& added = store->preset->tracks.back();
    EXPECT_EQ(added.name, "Track 6");
    EXPECT_EQ(added.midiOutputChannel, 6);
    EXPECT_EQ(std::make_pair(added.ccA, added.ccB), std::make_pair(74, 71)) << "the user's default controllers";
    EXPECT_EQ(added.accentColorHex, model::defaultSkin().trackAccents()[0]) << "the first colour no track uses";
    EXPECT_EQ(store->activeTrackIndex.get(), 5);
    EXPECT_EQ(store->nextTrackAccentColor(8), model::defaultTrackAccent(8)) << "all six in use";
    for (auto command : {&store::SequencerStore::addTrack, &store::SequencerStore::duplicateTrack}) {
        store->dialog.set(std::nullopt);
        ((*store).*command)();
        ASSERT_TRUE(store->dialog->has_value());
        EXPECT_EQ(store->dialog.get()->title, "Track limit");
        EXPECT_EQ(store->dialog.get()->message, "6 tracks limit reached.");
    }
    EXPECT_EQ(store->history().count(), 2);

    auto three = makeStore(presetWithTracks(3));
    three->deleteTrack(1);
    three->addTrack();
    EXPECT_EQ(trackNames(*three), (std::vector<std::string>{"Track 1", "Track 3", "Track 3"})) << "the name follows the count";
}

TEST_F(StoreTest, ACopyGoesToTheEndWithOneCopySuffix) {
    auto store = makeStore(threeTrackPreset());
    store->duplicateTrack();
    store->duplicateTrack();
    EXPECT_EQ(trackNames(*store), (std::vector<std::string>{"Bass", "Lead", "Pad", "Bass copy", "Bass copy"}));
    EXPECT_EQ(store->preset->tracks[3].patterns, store->preset->tracks[0].patterns);
    EXPECT_NE(store->preset->tracks[3].id, store->preset->tracks[0].id);
}

TEST_F(StoreTest, DeletingShiftsSceneEntriesAndKeepsTheSameTrackActive) {
    struct Case {
        int active, deleted, expectedActive;
    };
    for (const Case& c : std::vector<Case>{{0, 0, 0}, {3, 1, 2}, {2, 2, 1}, {1, 3, 1}, {1, 4, 1}}) {
        model::Preset preset = threeTrackPreset();
        preset.tracks.push_back(namedTrack("Keys", 3));
        preset.chordPresets[2].patterns = {1, 2, 3, 4, std::nullopt, std::nullopt};
        preset.chordPresets[3].patterns = {1, 2};  // a short list from an old preset
        auto store = makeStore(preset);
        store->activeTrackIndex.set(c.active);
        store->deleteTrack(c.deleted);
        EXPECT_EQ(store->activeTrackIndex.get(), c.expectedActive) << c.deleted << " deleted, " << c.active << " active";
        if (c.deleted != 1) continue;
        EXPECT_EQ(store->preset->chordPresets[2].patterns,
                  (std::vector<std::optional<int>>{1, 3, 4, std::nullopt, std::nullopt, std::nullopt}));
        EXPECT_EQ(store->preset->chordPresets[3].patterns, (std::vector<std::optional<int>>{1, std::nullopt}));
    }
    auto single = makeStore();
    single->presentDeleteTrackDialog(0);
    single->deleteTrack(0);
    EXPECT_FALSE(single->dialog->has_value());
    EXPECT_EQ(single->history().count(), 1);
}

TEST_F(StoreTest, DeletingATrackWithdrawsItsWaitingPatternLaunch) {
    auto store = makeStore(threeTrackPreset());
    int cancels = 0;
    store->hooks.hostedAppPlayCancelPatternLaunch = [&] { ++cancels; };
    store->pendingPatternSelectionTrackID = store->preset->tracks[0].id;
    store->pendingPatternSelectionPatternIndex = 3;
    store->pendingPatternSelectionScheduledInEngine = true;
    store->deleteTrack(1);
    EXPECT_EQ(cancels, 0) << "another track's launch stays";
    store->deleteTrack(0);
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(store->pendingPatternSelectionTrackID.has_value());
}

TEST_F(StoreTest, TheDeleteConfirmationActsOnlyWhileTheStoreLives) {
    auto store = makeStore(threeTrackPreset());
    store->presentDeleteTrackDialog(2);
    const DialogRequest request = *store->dialog.get();
    EXPECT_EQ(request.message, "Delete \"Pad\" ?");
    EXPECT_EQ(request.accentColorHexOverride, store->preset->tracks[2].accentColorHex);
    store->deleteTrack(0);  // the list changes while the dialog is shown
    request.onConfirm("");
    EXPECT_EQ(trackNames(*store), (std::vector<std::string>{"Lead"})) << "the confirmed track, found by its identity";
    request.onConfirm("");
    EXPECT_EQ(trackNames(*store), (std::vector<std::string>{"Lead"}));
    store->duplicateTrack();
    store->presentDeleteTrackDialog(1);
    const DialogRequest late = *store->dialog.get();
    store.reset();
    late.onConfirm("");
}

TEST_F(StoreTest, RenamingTrimsAndCutsOnCharacterBoundaries) {
    const std::string a29(29, 'a');
    const std::vector<std::pair<std::string, std::string>> cases{
        {"  Lead  ", "Lead"},
        {std::string(40, 'x'), std::string(30, 'x')},
        {a29 + "e\xCC\x81"
               "zz",
         a29 + "e\xCC\x81"},  // an accent stays with its letter
        {a29 + "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"
               "b",
         a29 + "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"},  // a flag is one character
    };
    for (const auto& [typed, stored] : cases) {
        auto store = makeStore();
        store->presentRenameTrackDialog();
        store->dialog.get()->onConfirm(typed);
        EXPECT_EQ(store->preset->tracks[0].name, stored);
    }
    auto store = makeStore(threeTrackPreset());
    int completions = 0;
    store->renameActiveTrack(" \n\t ", [&] { ++completions; });
    EXPECT_EQ(store->dialog.get()->message, "Track name cannot be empty.");
    store->renameActiveTrack(" Bass ", [&] { ++completions; });
    EXPECT_EQ(completions, 1);
}

TEST_F(StoreTest, TurningPolyOffKeepsEachStepsLowestNoteAndReleasesTheTrack) {
    model::Preset preset = threeTrackPreset();
    preset.tracks[0].poly = true;
    preset.tracks[0].patterns[3].lane(LaneKind::notes).setChord({7, 2, 9}, 5);
    auto store = makeStore(preset);
    store->setActiveTrackPoly(false);
    store->setActiveTrackPoly(true);
    EXPECT_EQ(store->preset->tracks[0].patterns[3].lane(LaneKind::notes).chordNotes(5), (model::Chord{2}));
    EXPECT_EQ(store->preset->tracks[0].patterns[3].lane(LaneKind::notes).steps[5], 2);
    EXPECT_EQ(refreshes[0].queuedReleases, std::set<int>{0});
    for (auto [given, stored] : std::vector<std::pair<int, int>>{{350, 200}, {-500, -200}}) {
        store->setActiveTrackMIDIOutOffset(given);
        EXPECT_EQ(store->preset->tracks[0].midiOutOffsetMs, stored);
    }
    EXPECT_EQ(store->history().count(), 3) << "the offset opens no transaction";
}

}  // namespace pulvan::test
