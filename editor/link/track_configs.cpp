#include "editor/link/track_configs.h"

#include "editor/model/lane.h"
#include "editor/model/lane_kind.h"
#include "editor/model/pattern.h"
#include "editor/store/sequencer_store.h"

#include <algorithm>

namespace pulvan::link {

namespace {

using model::LaneKind;

// The lane's steps cut to 64 or padded with `pad`, each mapped.
template <typename Map>
std::vector<int> paddedSteps(const model::Lane& lane, int pad, Map map) {
    std::vector<int> out(kConfigSteps);
    for (int s = 0; s < kConfigSteps; ++s) {
        const int value = s < static_cast<int>(lane.steps.size()) ? lane.steps[static_cast<std::size_t>(s)] : pad;
        out[static_cast<std::size_t>(s)] = map(value);
    }
    return out;
}

auto clampTo(int low, int high) {
    return [=](int value) { return std::clamp(value, low, high); };
}

int clampedLastStep(const model::Lane& lane) { return std::clamp(lane.lastStep, 1, kConfigSteps); }

int chosenPatternIndex(const store::SequencerStore& store, int trackIndex, const model::Track& track, const PatternOverrides& overrides,
                       const std::vector<std::optional<int>>* scenePatterns) {
    int index = 0;
    if (auto it = overrides.find(track.id); it != overrides.end()) {
        index = it->second;
    } else if (scenePatterns && trackIndex >= 0 && trackIndex < static_cast<int>(scenePatterns->size()) &&
               (*scenePatterns)[static_cast<std::size_t>(trackIndex)]) {
        index = std::max(*(*scenePatterns)[static_cast<std::size_t>(trackIndex)] - 1, 0);
    } else if (auto sel = store.selections->find(track.id); sel != store.selections->end()) {
        index = sel->second.pattern;
    }
    return std::clamp(index, 0, std::max(static_cast<int>(track.patterns.size()) - 1, 0));
}

// Step chords as pool indices 0...11; steps past the lane's own length and empty
// chords fall back to the step's base note.
void fillNotes(const model::Lane& lane, AppPlayTrackConfig& config) {
    const int count = static_cast<int>(lane.steps.size());
    config.notesSteps.assign(kConfigSteps, 0);
    config.noteStepChords.assign(kConfigSteps, {});
    for (int s = 0; s < kConfigSteps; ++s) {
        const auto index = static_cast<std::size_t>(s);
        const int base = std::clamp(s < count ? lane.steps[index] : 0, 0, 11);
        std::vector<int> chord;
        if (s < count) {
            const bool stored = lane.noteStepChords && index < lane.noteStepChords->size() && !(*lane.noteStepChords)[index].empty();
            chord = stored ? (*lane.noteStepChords)[index] : std::vector<int>{lane.steps[index]};
        }
        for (int& note : chord) note = std::clamp(note, 0, 11);
        if (chord.empty()) chord = {base};
        config.notesSteps[index] = chord.front();
        config.noteStepChords[index] = std::move(chord);
    }
}

void appendSteps(std::vector<int>& out, const std::vector<int>& steps) { out.insert(out.end(), steps.begin(), steps.end()); }

}  // namespace

AppPlayTrackConfig makeAppPlayTrackConfig(const store::SequencerStore& store, int trackIndex, const model::Track& track,
                                          const PatternOverrides& overrides, const std::vector<std::optional<int>>* scenePatterns,
                                          bool anySolo) {
    static const model::Pattern fallback = model::defaultPattern();  // built once: every edit builds six configs
    const int patternIndex = chosenPatternIndex(store, trackIndex, track, overrides, scenePatterns);
    const model::Pattern& pattern = track.patterns.empty() ? fallback : track.patterns[static_cast<std::size_t>(patternIndex)];

    AppPlayTrackConfig c;
    c.trackID = track.id;
    c.resolution = std::max(pattern.resolution, 1);
    c.direction = static_cast<int>(pattern.direction);
    c.midiChannel = std::clamp(track.midiOutputChannel, 1, 16);
    c.midiOutOffsetMs = std::clamp(track.midiOutOffsetMs, -200, 200);
    c.mute = anySolo ? !track.solo : track.mute;
    c.trackOctave = std::clamp(track.octave, -3, 3);
    c.trackTranspose = std::clamp(track.transpose, -12, 12);
    c.outputChord = track.outputChord;
    c.ccAController = std::clamp(track.ccA, 0, 127);
    c.ccBController = std::clamp(track.ccB, 0, 127);
    c.portamentoCC = std::clamp(track.portamentoCC, 0, 127);
    c.portamentoOnValue = std::clamp(track.portamentoOnValue, 0, 127);
    c.portamentoOffValue = std::clamp(track.portamentoOffValue, 0, 127);
    c.fillEmpty = track.fillEmpty;

    const auto& gate = pattern.lane(LaneKind::gate);
    const auto& tie = pattern.lane(LaneKind::tie);
    const auto& notes = pattern.lane(LaneKind::notes);
    const auto& octave = pattern.lane(LaneKind::octave);
    const auto& velocity = pattern.lane(LaneKind::velocity);
    const auto& length = pattern.lane(LaneKind::length);
    const auto& probability = pattern.lane(LaneKind::probability);
    const auto& ccA = pattern.lane(LaneKind::ccA);
    const auto& ccB = pattern.lane(LaneKind::ccB);
    c.lastStep = clampedLastStep(gate);
    c.tieLastStep = clampedLastStep(tie);
    c.notesLastStep = clampedLastStep(notes);
    c.octaveLastStep = clampedLastStep(octave);
    c.velocityLastStep = clampedLastStep(velocity);
    c.lengthLastStep = clampedLastStep(length);
    c.probabilityLastStep = clampedLastStep(probability);
    c.ccALastStep = clampedLastStep(ccA);
    c.ccBLastStep = clampedLastStep(ccB);

    c.gateSteps = paddedSteps(gate, 0, [](int v) { return v; });
    c.tieSteps = paddedSteps(tie, 0, clampTo(0, 2));
    fillNotes(notes, c);
    c.fixSteps = paddedSteps(pattern.lane(LaneKind::fix), 0, [](int v) { return v != 0 ? 1 : 0; });
    c.octaveSteps = paddedSteps(octave, 0, clampTo(-3, 3));
    c.velocitySteps = paddedSteps(velocity, 100, clampTo(0, 127));
    c.lengthSteps = paddedSteps(length, 75, clampTo(0, 100));
    c.probabilitySteps = paddedSteps(probability, 0, clampTo(0, 6));
    c.ccASteps = paddedSteps(ccA, 0, clampTo(0, 128));
    c.ccBSteps = paddedSteps(ccB, 0, clampTo(0, 128));
    return c;
}

std::vector<int> midiOutOffsets(const AppPlayConfiguration& configuration) {
    std::vector<int> offsets;
    offsets.reserve(configuration.configs.size());
    for (const AppPlayTrackConfig& config : configuration.configs) offsets.push_back(config.midiOutOffsetMs);
    return offsets;
}

AppPlayConfiguration buildAppPlayTrackConfigs(const store::SequencerStore& store, std::optional<int> sceneIndex,
                                              const PatternOverrides& overrides) {
    const model::Preset& preset = store.preset.get();
    const model::ChordPreset* scene = nullptr;
    if (sceneIndex && *sceneIndex >= 0 && *sceneIndex < static_cast<int>(preset.chordPresets.size())) {
        scene = &preset.chordPresets[static_cast<std::size_t>(*sceneIndex)];
    }
    const int visible = store.visibleTrackCount();
    const auto begin = preset.tracks.begin();
    const bool anySolo = std::any_of(begin, begin + visible, [](const model::Track& t) { return t.solo; });

    AppPlayConfiguration out;
    out.configs.reserve(static_cast<std::size_t>(visible));
    for (int i = 0; i < visible; ++i) {
        out.configs.push_back(makeAppPlayTrackConfig(store, i, preset.tracks[static_cast<std::size_t>(i)], overrides,
                                                     scene ? &scene->patterns : nullptr, anySolo));
    }
    out.notePool = scene ? scene->chord : preset.notesPool;
    out.swingPercent = std::clamp(preset.swingPercent, model::kMinSwingPercent, model::kMaxSwingPercent);
    return out;
}

store::HostedAppPlayPayload buildHostedAppPlayPayload(const std::vector<AppPlayTrackConfig>& configs, const std::vector<int>& notePool,
                                                      int swingPercent) {
    store::HostedAppPlayPayload p;
    p.trackCount = static_cast<int>(configs.size());
    for (const auto& c : configs) {
        p.resolutions.push_back(c.resolution);
        p.channels.push_back(c.midiChannel);
        p.trackMutes.push_back(c.mute ? 1 : 0);
        p.ccANumbers.push_back(c.ccAController);
        p.ccBNumbers.push_back(c.ccBController);
        p.portamentoCCs.push_back(c.portamentoCC);
        p.portamentoOnValues.push_back(c.portamentoOnValue);
        p.portamentoOffValues.push_back(c.portamentoOffValue);
        p.lastSteps.push_back(c.lastStep);
        p.directions.push_back(c.direction);
        p.tieLastSteps.push_back(c.tieLastStep);
        p.notesLastSteps.push_back(c.notesLastStep);
        p.octaveLastSteps.push_back(c.octaveLastStep);
        p.velocityLastSteps.push_back(c.velocityLastStep);
        p.lengthLastSteps.push_back(c.lengthLastStep);
        p.probabilityLastSteps.push_back(c.probabilityLastStep);
        p.ccALastSteps.push_back(c.ccALastStep);
        p.ccBLastSteps.push_back(c.ccBLastStep);
        appendSteps(p.gateSteps, c.gateSteps);
        appendSteps(p.tieSteps, c.tieSteps);
        appendSteps(p.notesSteps, c.notesSteps);
        appendSteps(p.octaveSteps, c.octaveSteps);
        appendSteps(p.velocitySteps, c.velocitySteps);
        appendSteps(p.lengthSteps, c.lengthSteps);
        appendSteps(p.probabilitySteps, c.probabilitySteps);
        appendSteps(p.ccASteps, c.ccASteps);
        appendSteps(p.ccBSteps, c.ccBSteps);
        appendSteps(p.fixSteps, c.fixSteps);
        p.fillModes.push_back(static_cast<int>(c.fillEmpty));
        p.trackOctaves.push_back(c.trackOctave);
        p.trackTransposes.push_back(c.trackTranspose);

        const int outputCount = std::min(static_cast<int>(c.outputChord.size()), kMaxOutputChordIntervals);
        p.outputChordCounts.push_back(outputCount);
        for (int k = 0; k < kMaxOutputChordIntervals; ++k) {
            p.outputChordIntervals.push_back(k < outputCount ? c.outputChord[static_cast<std::size_t>(k)] : 0);
        }

        // The engine sounds each chord note times the output chord, at most 17 a step.
        const int perNote = outputCount + 1 > kChordSlotsPerStep ? 1 : kChordSlotsPerStep / (outputCount + 1);
        for (int s = 0; s < kConfigSteps; ++s) {
            const auto index = static_cast<std::size_t>(s);
            const int base = index < c.notesSteps.size() ? c.notesSteps[index] : 0;
            const bool stored = index < c.noteStepChords.size() && !c.noteStepChords[index].empty();
            const std::vector<int> chord = stored ? c.noteStepChords[index] : std::vector<int>{base};
            const int n = std::max(std::min(perNote, static_cast<int>(chord.size())), 1);
            p.noteStepChordCounts.push_back(n);
            for (int k = 0; k < kChordSlotsPerStep; ++k) {
                p.noteStepChordValues.push_back(k < n ? chord[static_cast<std::size_t>(k)] : base);
            }
        }
    }
    p.notePool = notePool;
    p.swingPercent = swingPercent;
    return p;
}

}  // namespace pulvan::link
