#include "editor/model/note_lists.h"
#include "editor/store/sequencer_store.h"

#include <algorithm>

namespace pulvan::store {

namespace {

bool isMIDINote(int note) { return note >= 0 && note <= 127; }

}  // namespace

void SequencerStore::writeNotesPool(model::Preset& copy, std::vector<int> pool) const {
    const int scene = activeSceneIndex.get();
    if (copy.notesPoolInput == model::NotesPoolInput::internalChord && isScene(scene)) {
        copy.chordPresets[static_cast<std::size_t>(scene)].chord = pool;
    }
    copy.notesPool = std::move(pool);
}

void SequencerStore::editNotesPool(int note) {
    // A note outside MIDI's range would reach the engine as another note.
    if (!isMIDINote(note)) return;
    std::vector<int> pool = preset->notesPool;
    const auto found = std::find(pool.begin(), pool.end(), note);
    if (found != pool.end()) {
        pool.erase(found);
    } else {
        pool.insert(std::upper_bound(pool.begin(), pool.end(), note), note);
    }
    commitIfChanged("Edit notes pool", [&](model::Preset& copy) { writeNotesPool(copy, std::move(pool)); });
}

bool SequencerStore::moveNotesPoolNote(int from, int to) {
    const auto& pool = preset->notesPool;
    const auto holds = [&](int n) { return std::find(pool.begin(), pool.end(), n) != pool.end(); };
    if (from == to || !isMIDINote(to) || !holds(from) || holds(to)) return false;
    std::vector<int> moved = pool;
    std::replace(moved.begin(), moved.end(), from, to);
    return commitIfChanged("Move note", [&](model::Preset& copy) { writeNotesPool(copy, model::sortedUniqueNotes(std::move(moved))); });
}

void SequencerStore::shiftChord(int delta) {
    if (delta == 0) return;
    std::vector<int> shifted;
    for (int n : preset->notesPool) shifted.push_back(std::clamp(n + delta, 0, 127));
    commitIfChanged(delta < 0 ? "Shift chord left" : "Shift chord right",
                    [&](model::Preset& copy) { writeNotesPool(copy, model::sortedUniqueNotes(std::move(shifted))); });
}

void SequencerStore::setNotesPoolInput(model::NotesPoolInput input) {
    setSceneCopyToActive(false);
    setSceneSwapWithActive(false);
    const int scene = activeSceneIndex.get();
    commitIfChanged("Input mode", [&](model::Preset& copy) {
        copy.notesPoolInput = input;
        if (input == model::NotesPoolInput::midiIn) {
            copy.notesPool = incomingMIDIPoolNotes();
        } else if (isScene(scene)) {
            copy.notesPool = copy.chordPresets[static_cast<std::size_t>(scene)].chord;
        }
    });
    if (input != model::NotesPoolInput::internalChord) return;
    if (notesPoolMIDILatchEnabled.get()) setNotesPoolMIDILatch(false);
    if (isScene(scene)) applyScenePatterns(preset->chordPresets[static_cast<std::size_t>(scene)].patterns, true, true);
}

void SequencerStore::setNotesPoolMIDILatch(bool enabled) {
    if (notesPoolMIDILatchEnabled.get() == enabled) return;
    notesPoolMIDILatchEnabled.set(enabled);
    incomingMIDILatchedNotes.clear();
    if (enabled) {
        for (const auto& [n, count] : incomingMIDINoteCountByNote) {
            if (count > 0) incomingMIDILatchedNotes.insert(n);
        }
    }
    syncNotesPoolFromIncomingMIDI();
}

std::vector<int> SequencerStore::incomingMIDIPoolNotes() const {
    if (notesPoolMIDILatchEnabled.get()) return {incomingMIDILatchedNotes.begin(), incomingMIDILatchedNotes.end()};
    std::vector<int> held;
    for (const auto& [n, count] : incomingMIDINoteCountByNote) {
        if (count > 0) held.push_back(n);
    }
    return held;
}

void SequencerStore::syncNotesPoolFromIncomingMIDI() {
    if (preset->notesPoolInput != model::NotesPoolInput::midiIn) return;
    std::vector<int> notes = incomingMIDIPoolNotes();
    if (notes == preset->notesPool) return;
    preset.modify([&](model::Preset& p) { p.notesPool = std::move(notes); });
    refreshAppPlayConfiguration(false, {});
}

void SequencerStore::setChordMemory(const std::vector<int>& chord) {
    if (!activeTrack()) return;
    // Released, read and written through the same clamped index, so the track that
    // changes is the track whose notes end.
    const int track = clampedActiveTrackIndex();
    commitIfChanged(
        "Chord memory", [&](model::Preset& copy) { copy.tracks[static_cast<std::size_t>(track)].outputChord = chord; },
        [&] { queueNoteRelease(track); });
}

}  // namespace pulvan::store
