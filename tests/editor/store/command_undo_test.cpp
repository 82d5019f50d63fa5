#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

#include <functional>

namespace pulvan::test {

namespace {

using model::LaneKind;
using store::SequencerStore;

struct UndoableCommand {
    const char* label;
    std::function<void(SequencerStore&)> run;
};

// One of every command that makes its own undo entry, each changing the rich preset.
const std::vector<UndoableCommand>& undoableCommands() {
    static const std::vector<UndoableCommand> commands{
        {"Add track", [](SequencerStore& s) { s.addTrack(); }},
        {"Duplicate track", [](SequencerStore& s) { s.duplicateTrack(); }},
        {"Delete track", [](SequencerStore& s) { s.deleteTrack(1); }},
        {"Rename track", [](SequencerStore& s) { s.renameActiveTrack("Sub"); }},
        {"Octave", [](SequencerStore& s) { s.setActiveTrackOctave(2); }},
        {"Transpose", [](SequencerStore& s) { s.setActiveTrackTranspose(-3); }},
        {"Channel", [](SequencerStore& s) { s.setActiveTrackChannel(9); }},
        {"Poly", [](SequencerStore& s) { s.setActiveTrackPoly(true); }},
        {"Last step", [](SequencerStore& s) { s.setLastStep(LaneKind::velocity, 7); }},
        {"Reset notes lane", [](SequencerStore& s) { s.resetLane(LaneKind::notes); }},
        {"Double length", [](SequencerStore& s) { s.doublePatternLength(); }},
        {"Halve length", [](SequencerStore& s) { s.halvePatternLength(); }},
        {"Shift notes up", [](SequencerStore& s) { s.shiftNotes(1); }},
        {"Shift notes down", [](SequencerStore& s) { s.shiftNotes(-1); }},
        {"Rotate left", [](SequencerStore& s) { s.rotatePattern(true); }},
        {"Rotate right", [](SequencerStore& s) { s.rotatePattern(false); }},
        {"Pattern direction", [](SequencerStore& s) { s.setPatternDirection(model::PatternDirection::backward); }},
        {"Resolution", [](SequencerStore& s) { s.setPatternResolution(8); }},
        {"Paste pattern", [](SequencerStore& s) { s.copyActivePatternToClipboard(), s.pastePattern(2, 4, false); }},
        {"Swap patterns", [](SequencerStore& s) { s.swapPatterns(3); }},
        {"Clear pattern", [](SequencerStore& s) { s.clearPattern(); }},
        {"Pattern launch", [](SequencerStore& s) { s.setPatternLaunchResolution(4); }},
        {"Edit notes pool", [](SequencerStore& s) { s.editNotesPool(62); }},
        {"Move note", [](SequencerStore& s) { s.moveNotesPoolNote(60, 61); }},
        {"Shift chord left", [](SequencerStore& s) { s.shiftChord(-2); }},
        {"Shift chord right", [](SequencerStore& s) { s.shiftChord(5); }},
        {"Input mode", [](SequencerStore& s) { s.setNotesPoolInput(model::NotesPoolInput::midiIn); }},
        {"Paste chord to scene", [](SequencerStore& s) { s.copyActiveChord(), s.pasteChordToScene(5); }},
        {"Paste chord", [](SequencerStore& s) { s.chordClipboard = s.preset->chordPresets[1], s.pasteChordToScene(0); }},
        {"Swap chord scenes", [](SequencerStore& s) { s.swapChordSceneWithActive(1); }},
        {"Clear chord", [](SequencerStore& s) { s.clearActiveChord(); }},
        {"Store chord to scene", [](SequencerStore& s) { s.storeChordToScene(3); }},
        {"Select chord", [](SequencerStore& s) { s.selectChord(1); }},
        {"Chord pattern", [](SequencerStore& s) { s.setScenePatternIndex(4, 1); }},
        {"Scene launch", [](SequencerStore& s) { s.setSceneLaunchResolution(8); }},
        {"Scene resync", [](SequencerStore& s) { s.setResyncOnNewScene(true); }},
        {"Chord memory",
         [](SequencerStore& s) {
             s.setChordMemory({0, 7});
         }},
        {"Mute", [](SequencerStore& s) { s.toggleMute(2); }},
        {"Solo", [](SequencerStore& s) { s.toggleSolo(0); }},
        {"Track settings", [](SequencerStore& s) { s.applyTrackSettings(model::FillEmpty::empty, 10, 11); }},
        {"Apply default CCs", [](SequencerStore& s) { s.applyDefaultCCsToAllTracks(); }},
    };
    return commands;
}

// Commands run where they would leave the rich preset as it is.
const std::vector<UndoableCommand>& unchangingCommands() {
    static const std::vector<UndoableCommand> commands{
        {"Last step", [](SequencerStore& s) { s.setLastStep(LaneKind::gate, 15); }},
        {"Paste pattern", [](SequencerStore& s) { s.copyActivePatternToClipboard(), s.pastePattern(0, 0, true); }},
        {"Paste pattern from the pasteboard", [](SequencerStore& s) { s.copyPatternToPasteboard(), s.pastePatternFromPasteboard(); }},
        {"Swap patterns", [](SequencerStore& s) { s.launchPattern(4), s.swapPatterns(5); }},
        {"Clear pattern", [](SequencerStore& s) { s.launchPattern(4), s.clearPattern(); }},
        {"Store chord to scene", [](SequencerStore& s) { s.storeChordToScene(0); }},
        {"Shift chord right",
         [](SequencerStore& s) {
             s.preset.modify([](model::Preset& p) { p.notesPool = p.chordPresets[0].chord = {127}; }), s.shiftChord(1);
         }},
        {"Input mode", [](SequencerStore& s) { s.setNotesPoolInput(model::NotesPoolInput::internalChord); }},
        {"Paste chord", [](SequencerStore& s) { s.copyActiveChord(), s.pasteChordToScene(0); }},
        {"Paste chord to scene", [](SequencerStore& s) { s.chordClipboard = model::ChordPreset{}, s.pasteChordToScene(6); }},
        {"Swap chord scenes", [](SequencerStore& s) { s.activeSceneIndex.set(4), s.swapChordSceneWithActive(5); }},
        {"Clear chord",
         [](SequencerStore& s) {
             s.activeSceneIndex.set(4), s.preset.modify([](model::Preset& p) { p.notesPool.clear(); }), s.clearActiveChord();
         }},
        {"Select chord", [](SequencerStore& s) { s.selectChord(0); }},
        {"Chord pattern", [](SequencerStore& s) { s.setScenePatternIndex(std::nullopt, 1); }},
        {"Chord memory", [](SequencerStore& s) { s.setChordMemory({}); }},
        {"Shift notes", [](SequencerStore& s) { s.shiftNotes(0); }},
        {"Pattern direction", [](SequencerStore& s) { s.setPatternDirection(model::PatternDirection::forward); }},
        {"Resolution", [](SequencerStore& s) { s.setPatternResolution(17); }},
        {"Scene resync", [](SequencerStore& s) { s.setResyncOnNewScene(false); }},
        {"Reset velocity lane", [](SequencerStore& s) { s.resetLane(LaneKind::velocity); }},
        {"Rename track", [](SequencerStore& s) { s.renameActiveTrack(" Bass "); }},
        {"Poly", [](SequencerStore& s) { s.setActiveTrackPoly(false); }},
        // A selection naming no pattern.
        {"Double length", [](SequencerStore& s) { selectPattern(s, 0, 12), s.doublePatternLength(); }},
        {"Rotate left", [](SequencerStore& s) { selectPattern(s, 0, 12), s.rotatePattern(true); }},
        {"Random direction", [](SequencerStore& s) { selectPattern(s, 0, 12), s.setPatternDirection(model::PatternDirection::random); }},
    };
    return commands;
}

class CommandUndo : public StoreTest, public ::testing::WithParamInterface<UndoableCommand> {};
class UnchangingCommand : public StoreTest, public ::testing::WithParamInterface<UndoableCommand> {};

std::string testName(const ::testing::TestParamInfo<UndoableCommand>& info) {
    std::string name;
    for (const char* c = info.param.label; *c; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    }
    return name;
}

}  // namespace

TEST_P(CommandUndo, RecordsOneEntryUnderItsLabelAndUndoRestoresTheExactPreset) {
    auto store = makeStore(threeTrackPreset());
    const model::Preset before = store->preset.get();
    GetParam().run(*store);
    ASSERT_EQ(store->history().count(), 2) << GetParam().label;
    EXPECT_EQ(store->history().label(1), GetParam().label);
    EXPECT_EQ(store->txnDepth, 0);
    const model::Preset after = store->preset.get();
    EXPECT_NE(after, before) << "the command changed the preset";
    store->undo();
    EXPECT_EQ(store->preset.get(), before);
    store->redo();
    EXPECT_EQ(store->preset.get(), after);
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, CommandUndo, ::testing::ValuesIn(undoableCommands()), testName);

TEST_P(UnchangingCommand, RecordsNothing) {
    auto store = makeStore(threeTrackPreset());
    GetParam().run(*store);
    EXPECT_FALSE(store->canUndo().get());
    EXPECT_FALSE(store->pendingAppPlayGlobalNoteRelease) << "no change, no release of every note";
}

INSTANTIATE_TEST_SUITE_P(WhenNothingChanges, UnchangingCommand, ::testing::ValuesIn(unchangingCommands()), testName);

}  // namespace pulvan::test
