#include "editor/store/preset_snapshot.h"

namespace pulvan::store {

namespace {

// A track is copied field by field so that its patterns are not copied with it.
// A field added to Track must be added here too, or snapshots would lose it:
// the size check makes that impossible to miss.
struct TrackFieldsAsOfThisCopy {
    foundation::Uuid id;
    std::string name;
    bool mute, solo;
    int accentColorHex, liveCCA, liveCCB;
    bool legacyChromatic;
    int octave, transpose;
    std::vector<int> outputChord;
    bool poly;
    int midiOutputChannel, midiOutOffsetMs, ccA, ccB, portamentoCC, portamentoOnValue, portamentoOffValue;
    model::FillEmpty fillEmpty;
    std::vector<model::Pattern> patterns;
};
static_assert(sizeof(model::Track) == sizeof(TrackFieldsAsOfThisCopy), "Track changed: copy its new fields in trackWithoutPatterns");

model::Track trackWithoutPatterns(const model::Track& track) {
    model::Track shell;
    shell.id = track.id;
    shell.name = track.name;
    shell.mute = track.mute;
    shell.solo = track.solo;
    shell.accentColorHex = track.accentColorHex;
    shell.liveCCA = track.liveCCA;
    shell.liveCCB = track.liveCCB;
    shell.legacyChromatic = track.legacyChromatic;
    shell.octave = track.octave;
    shell.transpose = track.transpose;
    shell.outputChord = track.outputChord;
    shell.poly = track.poly;
    shell.midiOutputChannel = track.midiOutputChannel;
    shell.midiOutOffsetMs = track.midiOutOffsetMs;
    shell.ccA = track.ccA;
    shell.ccB = track.ccB;
    shell.portamentoCC = track.portamentoCC;
    shell.portamentoOnValue = track.portamentoOnValue;
    shell.portamentoOffValue = track.portamentoOffValue;
    shell.fillEmpty = track.fillEmpty;
    return shell;
}

model::Preset presetWithoutPatterns(const model::Preset& preset) {
    model::Preset shell;
    shell.version = preset.version;
    shell.notesPoolInput = preset.notesPoolInput;
    shell.notesPool = preset.notesPool;
    shell.swingPercent = preset.swingPercent;
    shell.currentSceneIndex = preset.currentSceneIndex;
    shell.currentTrackPatternIndices = preset.currentTrackPatternIndices;
    shell.sceneLaunchResolution = preset.sceneLaunchResolution;
    shell.patternLaunchResolution = preset.patternLaunchResolution;
    shell.resyncOnNewScene = preset.resyncOnNewScene;
    shell.chordPresets = preset.chordPresets;
    shell.tracks.reserve(preset.tracks.size());
    for (const auto& track : preset.tracks) shell.tracks.push_back(trackWithoutPatterns(track));
    return shell;
}

struct PresetFieldsAsOfThisCopy {
    std::string version;
    model::NotesPoolInput notesPoolInput;
    std::vector<int> notesPool;
    int swingPercent;
    std::optional<int> currentSceneIndex;
    std::optional<std::vector<int>> currentTrackPatternIndices;
    int sceneLaunchResolution, patternLaunchResolution;
    bool resyncOnNewScene;
    std::vector<model::ChordPreset> chordPresets;
    std::vector<model::Track> tracks;
};
static_assert(sizeof(model::Preset) == sizeof(PresetFieldsAsOfThisCopy), "Preset changed: copy its new fields in presetWithoutPatterns");

}  // namespace

PresetSnapshot PresetSnapshot::capture(const model::Preset& preset, const PresetSnapshot* basis) {
    PresetSnapshot snapshot;
    auto shell = presetWithoutPatterns(preset);
    if (basis && *basis->shell_ == shell) {
        snapshot.shell_ = basis->shell_;
    } else {
        snapshot.shell_ = std::make_shared<const model::Preset>(std::move(shell));
    }
    snapshot.patterns_.resize(preset.tracks.size());
    for (std::size_t t = 0; t < preset.tracks.size(); ++t) {
        const auto& patterns = preset.tracks[t].patterns;
        auto& shared = snapshot.patterns_[t];
        shared.reserve(patterns.size());
        for (std::size_t p = 0; p < patterns.size(); ++p) {
            const bool basisHasIt = basis && t < basis->patterns_.size() && p < basis->patterns_[t].size();
            if (basisHasIt && *basis->patterns_[t][p] == patterns[p]) {
                shared.push_back(basis->patterns_[t][p]);
            } else {
                shared.push_back(std::make_shared<const model::Pattern>(patterns[p]));
            }
        }
    }
    return snapshot;
}

model::Preset PresetSnapshot::preset() const {
    model::Preset preset = *shell_;
    for (std::size_t t = 0; t < patterns_.size(); ++t) {
        auto& patterns = preset.tracks[t].patterns;
        patterns.reserve(patterns_[t].size());
        for (const auto& pattern : patterns_[t]) patterns.push_back(*pattern);
    }
    return preset;
}

bool PresetSnapshot::sharesEverythingWith(const PresetSnapshot& other) const {
    return shell_ == other.shell_ && patterns_ == other.patterns_;
}

bool PresetSnapshot::sharesPatternWith(const PresetSnapshot& other, std::size_t track, std::size_t pattern) const {
    return track < patterns_.size() && track < other.patterns_.size() && pattern < patterns_[track].size() &&
           pattern < other.patterns_[track].size() && patterns_[track][pattern] == other.patterns_[track][pattern];
}

}  // namespace pulvan::store
