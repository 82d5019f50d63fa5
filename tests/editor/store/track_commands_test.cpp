#include "editor/model/skin.h"
#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

using model::LaneKind;
using store::DialogRequest;

namespace {

model::Preset presetWithTracks(int count) {
    model::Preset preset = model::defaultPreset();
    preset.tracks.clear();
    for (int i = 0; i < count; ++i) preset.tracks.push_back(namedTrack("Track " + std::to_string(i + 1), i));
    return preset;
}

std::vector<std::string> trackNames(const store::SequencerStore& store) {
    std::vector<std::string> names;
    for (const auto& track : store.preset->tracks) names.push_back(track.name);
    return names;
}

}  // namespace

TEST_F(StoreTest, AddingASixthTrackMakesItActiveAndTheSeventhShowsTheLimitAlert) {
    auto store = makeStore(presetWithTracks(5));
    store->addTrack();
    ASSERT_EQ(store->preset->tracks.size(), 6u);
    const model::Track& added = store->preset->tracks[5];
    EXPECT_EQ(added.name, "Track 6");
    EXPECT_EQ(added.midiOutputChannel, 6);
    EXPECT_EQ(added.ccA, 74) << "the user's default controller numbers";
    EXPECT_EQ(added.ccB, 71);
    EXPECT_EQ(added.fillEmpty, model::FillEmpty::circularOctUp);
    EXPECT_EQ(added.patterns, std::vector<model::Pattern>(8, model::defaultPattern()));
    EXPECT_EQ(store->activeTrackIndex.get(), 5);
    EXPECT_FALSE(store->canAddTrack());

    for (auto command : {&store::SequencerStore::addTrack, &store::SequencerStore::duplicateTrack}) {
        store->dialog.set(std::nullopt);
        ((*store).*command)();
        ASSERT_TRUE(store->dialog->has_value());
        const DialogRequest& alert = *store->dialog.get();
        EXPECT_EQ(alert.kind, DialogRequest::Kind::alert);
        EXPECT_EQ(alert.title, "Track limit");
        EXPECT_EQ(alert.message, "6 tracks limit reached.");
        EXPECT_EQ(alert.confirmLabel, "OK");
        EXPECT_FALSE(alert.accentColorHexOverride.has_value());
    }
    EXPECT_EQ(store->preset->tracks.size(), 6u);
    EXPECT_EQ(store->history().count(), 2) << "the refused adds record nothing";
}

TEST_F(StoreTest, ANewTrackIsNamedAfterTheCountAndTakesAnUnusedPaletteColour) {
    auto store = makeStore(presetWithTracks(3));
    store->deleteTrack(1);
    store->addTrack();
    EXPECT_EQ(trackNames(*store), (std::vector<std::string>{"Track 1", "Track 3", "Track 3"}));
    const auto& palette = model::defaultSkin().trackAccents();
    EXPECT_EQ(store->preset->tracks[2].accentColorHex, palette[1]) << "the colour the deleted track freed";


    auto five = makeStore(presetWithTracks(5));
    five->preset.modify([&](model::Preset& p) { p.tracks[0].accentColorHex = palette[5]; });
    five->addTrack();
    EXPECT_EQ(five->preset->tracks[5].accentColorHex, palette[0]) << "the first palette colour no track uses";
    EXPECT_EQ(five->nextTrackAccentColor(6), palette[0]) << "all six in use: the colour of index count mod 6";
    EXPECT_EQ(five->nextTrackAccentColor(8), palette[2]);
}

TEST_F(StoreTest, DuplicatingCopiesTheActiveTrackToTheEndWithOneCopySuffix) {
    auto store = makeStore(threeTrackPreset());
    store->duplicateTrack();
    const model::Track& source = store->preset->tracks[0];
    const model::Track& copy = store->preset->tracks[3];
    EXPECT_EQ(copy.name, "Bass copy");
    EXPECT_NE(copy.id, source.id);
    EXPECT_EQ(copy.patterns, source.patterns);
    EXPECT_EQ(copy.midiOutputChannel, source.midiOutputChannel);
    EXPECT_EQ(store->activeTrackIndex.get(), 3);
    store->duplicateTrack();
    EXPECT_EQ(store->preset->tracks[4].name, "Bass copy") << "a copy of a copy keeps its name";
}

TEST_F(StoreTest, DeletingShiftsSceneEntriesAndKeepsTheSameTrackActive) {
    struct Case {
        int active, deleted, expectedActive;
        std::vector<std::string> remaining;
    };
    const std::vector<Case> cases{
        {0, 0, 0, {"Lead", "Pad", "Keys"}},
        {3, 1, 2, {"Bass", "Pad", "Keys"}},
        {2, 2, 1, {"Bass", "Lead", "Keys"}},
        {1, 3, 1, {"Bass", "Lead", "Pad"}},
    };
    for (const Case& c : cases) {
        model::Preset preset = threeTrackPreset();
        preset.tracks.push_back(namedTrack("Keys", 3));
        preset.chordPresets[2].patterns = {1, 2, 3, std::nullopt, std::nullopt, std::nullopt};
        preset.chordPresets[3].patterns = {1, 2};  // a short list from an old preset
        auto store = makeStore(preset);
        store->activeTrackIndex.set(c.active);
        store->deleteTrack(c.deleted);
        EXPECT_EQ(trackNames(*store), c.remaining) << "deleting " << c.deleted;
        EXPECT_EQ(store->activeTrackIndex.get(), c.expectedActive) << "deleting " << c.deleted << " with " << c.active << " active";
        if (c.deleted == 1) {
            EXPECT_EQ(store->preset->chordPresets[2].patterns,
                      (std::vector<std::optional<int>>{1, 3, std::nullopt, std::nullopt, std::nullopt, std::nullopt}));
            EXPECT_EQ(store->preset->chordPresets[3].patterns, (std::vector<std::optional<int>>{1, std::nullopt}));
        }
    }
}

TEST_F(StoreTest, TheLastTrackCannotBeDeletedAndBadIndicesChangeNothing) {
    auto store = makeStore();
    store->presentDeleteTrackDialog(0);
    store->deleteTrack(0);
    EXPECT_FALSE(store->dialog->has_value());
    EXPECT_EQ(store->preset->tracks.size(), 1u);
    auto three = makeStore(threeTrackPreset());
    for (int bad : {-1, 3, 99}) {
        three->presentDeleteTrackDialog(bad);
        three->deleteTrack(bad);
    }
    EXPECT_FALSE(three->dialog->has_value());
    EXPECT_EQ(three->history().count(), 1);
}

TEST_F(StoreTest, TheDeleteDialogQuotesTheNameAndConfirmsOnlyWhileTheStoreLives) {
    auto store = makeStore(threeTrackPreset());
    store->presentDeleteTrackDialog(2);
    ASSERT_TRUE(store->dialog->has_value());
    const DialogRequest request = *store->dialog.get();
    EXPECT_EQ(request.kind, DialogRequest::Kind::confirm);
    EXPECT_EQ(request.title, "Delete track");
    EXPECT_EQ(request.message, "Delete \"Pad\" ?");
    EXPECT_EQ(request.confirmLabel, "Delete");
    EXPECT_EQ(request.cancelLabel, "Cancel");
    EXPECT_EQ(request.accentColorHexOverride, store->preset->tracks[2].accentColorHex);
    request.onConfirm("");
    EXPECT_EQ(trackNames(*store), (std::vector<std::string>{"Bass", "Lead"}));
    store->presentDeleteTrackDialog(1);
    const DialogRequest late = *store->dialog.get();
    store.reset();
    late.onConfirm("");  // the store is gone: nothing happens
}

TEST_F(StoreTest, RenamingTrimsAndCutsOnCharacterBoundaries) {
    struct Case {
        std::string typed, stored;
    };
    const std::string thirty(30, 'x');
    const std::vector<Case> cases{
        {"  Lead  ", "Lead"},
        {"\n\tLead 2\n", "Lead 2"},
        {std::string(40, 'x'), thirty},
        // 29 letters and then a letter with a combining accent: the accent stays with its letter.
        {std::string(29, 'a') + "e\xCC\x81" + "zz", std::string(29, 'a') + "e\xCC\x81"},
        {std::string(28, 'a') + "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA" + "bcd", std::string(28, 'a') + "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA" + "b"},
    };
    for (const Case& c : cases) {
        auto store = makeStore();
        int completions = 0;
        store->renameActiveTrack(c.typed, [&] { ++completions; });
        EXPECT_EQ(store->preset->tracks[0].name, c.stored);
        EXPECT_EQ(completions, 1);
        EXPECT_EQ(store->history().label(1), "Rename track");
    }
}

TEST_F(StoreTest, AnEmptyNameAlertsAndTheCurrentNameRecordsNothing) {
    auto store = makeStore(threeTrackPreset());
    int completions = 0;
    store->renameActiveTrack(" \n\t ", [&] { ++completions; });
    ASSERT_TRUE(store->dialog->has_value());
    EXPECT_EQ(store->dialog.get()->title, "Rename track");
    EXPECT_EQ(store->dialog.get()->message, "Track name cannot be empty.");
    EXPECT_EQ(completions, 0);
    store->renameActiveTrack(" Bass ", [&] { ++completions; });
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(store->history().count(), 1);

    store->activeTrackIndex.set(9);  // read through the clamped index
    store->presentRenameTrackDialog();
    const DialogRequest prompt = *store->dialog.get();
    EXPECT_EQ(prompt.kind, DialogRequest::Kind::prompt);
    EXPECT_EQ(prompt.initialText, "Pad");
    EXPECT_EQ(prompt.placeholder, "Track name");
    EXPECT_TRUE(prompt.promptRequiresNonEmptyInput);
    EXPECT_TRUE(prompt.prefersFullscreen);
    prompt.onConfirm("Strings");
    EXPECT_EQ(store->preset->tracks[2].name, "Strings");
}

TEST_F(StoreTest, TurningPolyOffReleasesAndKeepsEachStepsLowestNote) {
    model::Preset preset = threeTrackPreset();
    preset.tracks[0].poly = true;
    preset.tracks[0].patterns[3].lane(LaneKind::notes).setChord({7, 2, 9}, 5);
    auto store = makeStore(preset);
    store->setActiveTrackPoly(false);
    const model::Lane& notes = store->preset->tracks[0].patterns[3].lane(LaneKind::notes);
    EXPECT_EQ(notes.steps[5], 2);
    EXPECT_EQ(notes.chordNotes(5), (model::Chord{2}));
    EXPECT_EQ(store->preset->tracks[0].patterns[0].lane(LaneKind::notes).chordNotes(1), (model::Chord{1}));
    ASSERT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(refreshes[0].queuedReleases, std::set<int>{0});
    store->setActiveTrackPoly(true);
    EXPECT_EQ(store->preset->tracks[0].patterns[3].lane(LaneKind::notes).chordNotes(5), (model::Chord{2}));
    store->setActiveTrackPoly(true);
    EXPECT_EQ(store->history().count(), 3) << "an unchanged flag records nothing";
}

TEST_F(StoreTest, SettingsRecordEvenWhenUnchangedButTheOffsetOpensNoTransaction) {
    auto store = makeStore();
    store->setActiveTrackChannel(1);
    EXPECT_EQ(store->history().count(), 2) << "the menus' value is stored without comparing";
    for (auto [given, stored] : std::vector<std::pair<int, int>>{{350, 200}, {-500, -200}, {-17, -17}}) {
        store->setActiveTrackMIDIOutOffset(given);
        EXPECT_EQ(store->preset->tracks[0].midiOutOffsetMs, stored);
    }
    EXPECT_EQ(store->history().count(), 2);
}

TEST_F(StoreTest, TrackColoursAndActivityAreNeutralOutOfRange) {
    auto store = makeStore(threeTrackPreset());
    store->preset.modify([](model::Preset& p) { p.tracks[1].accentColorHex = 0x7FFFFFFF; });
    EXPECT_EQ(store->trackAccentColor(1), 0xFFFFFF);
    EXPECT_EQ(store->trackAccentColor(7), model::defaultTrackAccent(7));
    store->playhead.noteActiveTrackIDs.set({store->preset->tracks[2].id});
    EXPECT_TRUE(store->isTrackNoteActive(2));
    EXPECT_FALSE(store->isTrackNoteActive(1));
    EXPECT_FALSE(store->isTrackNoteActive(-1));
}

}  // namespace pulvan::test
