#include "editor/model/skin.h"
#include "editor/store/sequencer_store.h"
#include "platform/foundation/unicode_text.h"

#include <algorithm>
#include <string_view>

namespace pulvan::store {

namespace {

constexpr std::string_view copySuffix = " copy";

int clampedColor(int hex) { return std::clamp(hex, 0, static_cast<int>(model::kMaxColorHex)); }

}  // namespace

bool SequencerStore::canAddTrack() const { return static_cast<int>(preset->tracks.size()) < trackLimit; }

void SequencerStore::addTrackIfBelowLimit(const std::string& label, const std::function<void(std::vector<model::Track>&)>& body) {
    if (!canAddTrack()) {
        publishAlert("Track limit", std::to_string(trackLimit) + " tracks limit reached.");
        return;
    }
    beginTransaction(label);
    preset.modify([&](model::Preset& p) { body(p.tracks); });
    endTransaction();
    activeTrackIndex.set(static_cast<int>(preset->tracks.size()) - 1);
    normalizeActiveTrackIndex();
}

void SequencerStore::addTrack() {
    const int n = static_cast<int>(preset->tracks.size());
    model::Track track;
    track.name = "Track " + std::to_string(n + 1);
    track.midiOutputChannel = std::min(n + 1, 16);
    track.ccA = defaultCCA.get();
    track.ccB = defaultCCB.get();
    track.fillEmpty = model::FillEmpty::circularOctUp;
    track.patterns.assign(model::kPatternsPerTrack, model::defaultPattern());
    track.accentColorHex = nextTrackAccentColor(n);
    addTrackIfBelowLimit("Add track", [&](std::vector<model::Track>& tracks) { tracks.push_back(std::move(track)); });
}

void SequencerStore::duplicateTrack() {
    const model::Track* source = activeTrack();
    if (!source) return;
    model::Track copy = *source;
    copy.id = foundation::Uuid::random();
    if (!copy.name.ends_with(copySuffix)) copy.name += copySuffix;
    copy.accentColorHex = nextTrackAccentColor(static_cast<int>(preset->tracks.size()));
    addTrackIfBelowLimit("Duplicate track", [&](std::vector<model::Track>& tracks) { tracks.push_back(std::move(copy)); });
}

int SequencerStore::nextTrackAccentColor(int forIndex) const {
    std::set<int> used;
    for (const auto& track : preset->tracks) used.insert(clampedColor(track.accentColorHex));
    for (int colour : model::defaultSkin().trackAccents()) {
        if (!used.contains(clampedColor(colour))) return clampedColor(colour);
    }
    return model::defaultTrackAccent(forIndex);
}

void SequencerStore::presentDeleteTrackDialog(int index) {
    const auto& tracks = preset->tracks;
    if (tracks.size() < 2 || index < 0 || index >= static_cast<int>(tracks.size())) return;
    const model::Track& track = tracks[static_cast<std::size_t>(index)];
    // The track is found again by its identity when confirmed, so a list that changed meanwhile
    // never loses another track.
    publishConfirmation("Delete track", "Delete \"" + track.name + "\" ?", "Delete", track.accentColorHex,
                        [id = track.id](SequencerStore& store) {
                            const auto& now = store.preset->tracks;
                            const auto found = std::find_if(now.begin(), now.end(), [&](const model::Track& t) { return t.id == id; });
                            if (found != now.end()) store.deleteTrack(static_cast<int>(found - now.begin()));
                        });
}

void SequencerStore::deleteTrack(int index) {
    const int count = static_cast<int>(preset->tracks.size());
    if (count < 2 || index < 0 || index >= count) return;
    const foundation::Uuid id = preset->tracks[static_cast<std::size_t>(index)].id;
    const int active = activeTrackIndex.get();
    // A launch waiting for the deleted track would switch the engine to a configuration that still holds it.
    if (pendingPatternSelectionTrackID == id) cancelPendingPatternSelection(true);
    beginTransaction("Delete track");
    preset.modify([&](model::Preset& p) {
        p.tracks.erase(p.tracks.begin() + index);
        // Later tracks keep their scene patterns: their entries move down with them.
        for (auto& scene : p.chordPresets) {
            if (index >= static_cast<int>(scene.patterns.size())) continue;
            scene.patterns.erase(scene.patterns.begin() + index);
            scene.patterns.push_back(std::nullopt);
        }
    });
    endTransaction();
    selections.modify([&](std::map<foundation::Uuid, TrackSelection>& map) { map.erase(id); });
    int next = active;
    if (index < active) next = active - 1;
    if (index == active) next = std::max(index - 1, 0);
    activeTrackIndex.set(std::min(static_cast<int>(preset->tracks.size()) - 1, next));
}

void SequencerStore::presentRenameTrackDialog(std::function<void()> completion) {
    const model::Track* track = activeTrack();
    DialogRequest request;
    request.kind = DialogRequest::Kind::prompt;
    request.title = "Rename track";
    request.message = "Track name:";
    request.confirmLabel = "Rename";
    request.cancelLabel = "Cancel";
    request.placeholder = "Track name";
    request.initialText = track ? track->name : "";
    request.promptRequiresNonEmptyInput = true;
    request.prefersFullscreen = true;
    request.onConfirm = weakSelf_.weakly([completion = std::move(completion)](SequencerStore& store, const std::string& text) {
        store.renameActiveTrack(text, completion);
    });
    dialog.set(std::move(request));
}

void SequencerStore::renameActiveTrack(const std::string& text, std::function<void()> completion) {
    const std::string name = foundation::firstCharacters(foundation::trimmed(text), trackNameLimit);
    if (name.empty()) {
        publishAlert("Rename track", "Track name cannot be empty.");
        return;
    }
    const model::Track* track = activeTrack();
    if (track && track->name != name) {
        const auto index = static_cast<std::size_t>(clampedActiveTrackIndex());
        beginTransaction("Rename track");
        preset.modify([&](model::Preset& p) { p.tracks[index].name = name; });
        endTransaction();
    }
    if (completion) completion();
}

void SequencerStore::setActiveTrackOctave(int octave) {
    modifyActiveTrackSetting("Octave", [octave](model::Track& track) { track.octave = octave; });
}

void SequencerStore::setActiveTrackTranspose(int transpose) {
    modifyActiveTrackSetting("Transpose", [transpose](model::Track& track) { track.transpose = transpose; });
}

void SequencerStore::setActiveTrackChannel(int channel) {
    modifyActiveTrackSetting("Channel", [channel](model::Track& track) { track.midiOutputChannel = channel; });
}

void SequencerStore::modifyActiveTrackSetting(const std::string& label, const std::function<void(model::Track&)>& change) {
    if (!activeTrack()) return;
    const auto index = static_cast<std::size_t>(clampedActiveTrackIndex());
    beginTransaction(label);
    preset.modify([&](model::Preset& p) { change(p.tracks[index]); });
    endTransaction();
}

namespace {

// Every NOTES step becomes a single note: the lowest of its chord.
void collapseTrackChords(model::Track& track) {
    for (auto& pattern : track.patterns) {
        auto found = pattern.lanes.find(model::LaneKind::notes);
        if (found == pattern.lanes.end()) continue;
        model::Lane& lane = found->second;
        std::vector<model::Chord> chords;
        chords.reserve(lane.steps.size());
        for (std::size_t i = 0; i < lane.steps.size(); ++i) {
            const model::Chord stored = lane.chordNotes(static_cast<int>(i));
            const int lowest = *std::min_element(stored.begin(), stored.end());
            lane.steps[i] = lowest;
            chords.push_back({lowest});
        }
        lane.noteStepChords = std::move(chords);
    }
}

}  // namespace

void SequencerStore::setActiveTrackPoly(bool poly) {
    const model::Track* track = activeTrack();
    if (!track || track->poly == poly) return;
    const int index = clampedActiveTrackIndex();
    if (!poly) queueNoteRelease(index);
    modifyActiveTrackSetting("Poly", [poly](model::Track& t) {
        t.poly = poly;
        if (!poly) collapseTrackChords(t);
    });
}

void SequencerStore::setActiveTrackMIDIOutOffset(int milliseconds) {
    const model::Track* track = activeTrack();
    if (!track) return;
    const int value = std::clamp(milliseconds, -200, 200);
    if (value == track->midiOutOffsetMs) return;
    const auto index = static_cast<std::size_t>(clampedActiveTrackIndex());
    preset.modify([&](model::Preset& p) { p.tracks[index].midiOutOffsetMs = value; });
}

int SequencerStore::trackAccentColor(int index) const {
    const auto& tracks = preset->tracks;
    if (index < 0 || index >= static_cast<int>(tracks.size())) return model::defaultTrackAccent(index);
    return clampedColor(tracks[static_cast<std::size_t>(index)].accentColorHex);
}

bool SequencerStore::isTrackNoteActive(int index) const {
    const auto& tracks = preset->tracks;
    if (index < 0 || index >= static_cast<int>(tracks.size())) return false;
    return playhead.noteActiveTrackIDs->contains(tracks[static_cast<std::size_t>(index)].id);
}

}  // namespace pulvan::store
