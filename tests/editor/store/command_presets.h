#pragma once
#include "editor/model/preset.h"
#include "editor/model/skin.h"

#include <initializer_list>
#include <string>

namespace pulvan::test {

inline model::Track namedTrack(const std::string& name, int index) {
    model::Track track;
    track.name = name;
    track.midiOutputChannel = index + 1;
    track.accentColorHex = model::defaultTrackAccent(index);
    track.patterns.assign(model::kPatternsPerTrack, model::defaultPattern());
    return track;
}

// Tracks "Track 1", "Track 2", ... on channels 1, 2, ...
inline model::Preset presetWithTracks(int count) {
    model::Preset preset = model::defaultPreset();
    preset.tracks.clear();
    for (int i = 0; i < count; ++i) preset.tracks.push_back(namedTrack("Track " + std::to_string(i + 1), i));
    return preset;
}

// Writes the first steps of a lane.
inline void setSteps(model::Lane& lane, std::initializer_list<int> values) {
    int i = 0;
    for (int value : values) lane.steps[static_cast<std::size_t>(i++)] = value;
}

// Bass, Lead and Pad; the pool [60, 64, 67] of scene 0; Bass plays steps 0 and 4 of
// pattern 0 with notes 0, 1, 2, 3 and the chord [1, 2] on step 1.
inline model::Preset threeTrackPreset() {
    model::Preset preset = model::defaultPreset();
    preset.tracks = {namedTrack("Bass", 0), namedTrack("Lead", 1), namedTrack("Pad", 2)};
    preset.notesPool = {60, 64, 67};
    model::Pattern& pattern = preset.tracks[0].patterns[0];
    setSteps(pattern.lane(model::LaneKind::gate), {1, 0, 0, 0, 1});
    model::Lane& notes = pattern.lane(model::LaneKind::notes);
    setSteps(notes, {0, 1, 2, 3});
    notes.setChord({1, 2}, 1);
    preset.chordPresets[1].chord = {62, 65};
    preset.chordPresets[1].patterns = {2, std::nullopt, 3, std::nullopt, std::nullopt, std::nullopt};
    return preset;
}

}  // namespace pulvan::test
