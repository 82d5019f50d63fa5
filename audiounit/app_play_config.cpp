#include "audiounit/app_play_config.h"

#include <algorithm>
#include <cstring>

namespace pulvan::au {

namespace {

using Numbers = AppPlayArguments::Numbers;

std::int32_t entry(Numbers numbers, std::size_t index, std::int32_t fallback) { return index < numbers.size() ? numbers[index] : fallback; }

std::uint8_t controllerValue(std::int32_t v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 127)); }
std::int32_t laneLength(std::int32_t v) { return std::clamp(v, 1, kStepsPerLane); }

void setTrackDefaults(AppPlayConfig& c, int t) {
    c.resolutions[t] = 16;
    c.directions[t] = 0;
    for (std::int32_t* lane : {c.lastSteps, c.tieLastSteps, c.notesLastSteps, c.octaveLastSteps, c.velocityLastSteps, c.lengthLastSteps,
                               c.probabilityLastSteps, c.ccALastSteps, c.ccBLastSteps}) {
        lane[t] = kStepsPerLane;
    }
    c.channels[t] = static_cast<std::uint8_t>(t);
    c.mutes[t] = 0;
    c.ccANumbers[t] = 1;
    c.ccBNumbers[t] = 2;
    c.portamentoCCs[t] = 0;
    c.portamentoOnValues[t] = 127;
    c.portamentoOffValues[t] = 0;
    c.fillModes[t] = 1;
    c.trackOctaves[t] = 0;
    c.trackTransposes[t] = 0;
    c.outputChordCounts[t] = 0;
}

void readTrack(const AppPlayArguments& a, AppPlayConfig& c, int t) {
    const auto i = static_cast<std::size_t>(t);
    c.resolutions[t] = std::max(entry(a.resolutions, i, c.resolutions[t]), 1);
    if (i < a.channels.size()) c.channels[t] = static_cast<std::uint8_t>(std::clamp(a.channels[i], 1, 16) - 1);
    if (i < a.trackMutes.size()) c.mutes[t] = a.trackMutes[i] != 0;
    if (i < a.ccANumbers.size()) c.ccANumbers[t] = controllerValue(a.ccANumbers[i]);
    if (i < a.ccBNumbers.size()) c.ccBNumbers[t] = controllerValue(a.ccBNumbers[i]);
    if (i < a.portamentoCCs.size()) c.portamentoCCs[t] = controllerValue(a.portamentoCCs[i]);
    if (i < a.portamentoOnValues.size()) c.portamentoOnValues[t] = controllerValue(a.portamentoOnValues[i]);
    if (i < a.portamentoOffValues.size()) c.portamentoOffValues[t] = controllerValue(a.portamentoOffValues[i]);
    c.lastSteps[t] = laneLength(entry(a.lastSteps, i, c.lastSteps[t]));
    const std::int32_t direction = entry(a.directions, i, 0);
    c.directions[t] = direction >= 0 && direction <= 5 ? direction : 0;

    const std::pair<Numbers, std::int32_t*> lanes[] = {
        {a.tieLastSteps, c.tieLastSteps},       {a.notesLastSteps, c.notesLastSteps},
        {a.octaveLastSteps, c.octaveLastSteps}, {a.velocityLastSteps, c.velocityLastSteps},
        {a.lengthLastSteps, c.lengthLastSteps}, {a.probabilityLastSteps, c.probabilityLastSteps},
        {a.ccALastSteps, c.ccALastSteps},       {a.ccBLastSteps, c.ccBLastSteps}};
    for (const auto& [numbers, lane] : lanes) lane[t] = laneLength(entry(numbers, i, c.lastSteps[t]));

    const std::int32_t fill = entry(a.fillModes, i, 1);
    c.fillModes[t] = fill >= 0 && fill <= 3 ? fill : 1;
    c.trackOctaves[t] = std::clamp(entry(a.trackOctaves, i, 0), -3, 3);
    c.trackTransposes[t] = std::clamp(entry(a.trackTransposes, i, 0), -12, 12);
    c.outputChordCounts[t] = std::clamp(entry(a.outputChordCounts, i, 0), 0, kMaxOutputChordIntervals);
    for (int k = 0; k < c.outputChordCounts[t]; ++k) {
        c.outputChordIntervals[t * kMaxOutputChordIntervals + k] =
            entry(a.outputChordIntervals, static_cast<std::size_t>(t * kMaxOutputChordIntervals + k), 0);
    }
}

void readStep(const AppPlayArguments& a, AppPlayConfig& c, int index) {
    const auto i = static_cast<std::size_t>(index);
    c.gateSteps[index] = entry(a.gateSteps, i, 0) != 0;
    c.tieSteps[index] = std::clamp(entry(a.tieSteps, i, 0), 0, 2);
    const std::int32_t note = entry(a.notesSteps, i, 0);
    c.notesSteps[index] = note;
    c.fixSteps[index] = entry(a.fixSteps, i, 0) != 0;
    const std::int32_t chordCount = std::clamp(entry(a.noteStepChordCounts, i, 0), 1, kMaxChordValues);
    c.noteStepChordCounts[index] = chordCount;
    for (int k = 0; k < kMaxChordValues; ++k) {
        const auto flat = static_cast<std::size_t>(index * kMaxChordValues + k);
        c.noteStepChordValues[flat] = k < chordCount ? entry(a.noteStepChordValues, flat, note) : note;
    }
    c.octaveSteps[index] = std::clamp(entry(a.octaveSteps, i, 0), -3, 3);
    c.velocitySteps[index] = std::clamp(entry(a.velocitySteps, i, 100), 0, 127);
    c.lengthSteps[index] = std::clamp(entry(a.lengthSteps, i, 75), 0, 100);
    c.probabilitySteps[index] = std::clamp(entry(a.probabilitySteps, i, 0), 0, 6);
    c.ccASteps[index] = std::clamp(entry(a.ccASteps, i, 0), 0, 128);
    c.ccBSteps[index] = std::clamp(entry(a.ccBSteps, i, 0), 0, 128);
}

}  // namespace

void buildAppPlayConfig(const AppPlayArguments& arguments, AppPlayConfig& config) noexcept {
    std::memset(&config, 0, sizeof config);
    config.trackCount = static_cast<std::int32_t>(std::clamp<std::int64_t>(arguments.trackCount, 1, kTrackCount));
    for (int t = 0; t < kTrackCount; ++t) {
        setTrackDefaults(config, t);
        if (t < config.trackCount) readTrack(arguments, config, t);
    }
    for (int index = 0; index < kTrackSteps; ++index) readStep(arguments, config, index);
    config.notePoolCount = static_cast<std::int32_t>(std::min<std::size_t>(arguments.notePool.size(), kNotePoolCapacity));
    std::copy_n(arguments.notePool.begin(), config.notePoolCount, config.notePool);
    config.swingPercent = static_cast<std::int32_t>(std::clamp<std::int64_t>(arguments.swingPercent, 50, 75));
}

void setDefaultAppPlayConfig(AppPlayConfig& config) noexcept { buildAppPlayConfig(AppPlayArguments{}, config); }

void convertAppPlayConfig(const AppPlayConfig& c, engine::EngineSnapshot& snapshot) noexcept {
    snapshot.trackCount = c.trackCount;
    snapshot.swingPercent = c.swingPercent;
    snapshot.notePoolCount = c.notePoolCount;
    std::copy_n(c.notePool, kNotePoolCapacity, snapshot.notePool);
    for (int t = 0; t < kTrackCount; ++t) {
        engine::TrackSnapshot& track = snapshot.tracks[t];
        track.resolution = c.resolutions[t];
        track.direction = c.directions[t] > 5 ? 0 : c.directions[t];
        track.lastStep = c.lastSteps[t];
        track.tieLastStep = c.tieLastSteps[t];
        track.notesLastStep = c.notesLastSteps[t];
        track.octaveLastStep = c.octaveLastSteps[t];
        track.velocityLastStep = c.velocityLastSteps[t];
        track.lengthLastStep = c.lengthLastSteps[t];
        track.probabilityLastStep = c.probabilityLastSteps[t];
        track.ccALastStep = c.ccALastSteps[t];
        track.ccBLastStep = c.ccBLastSteps[t];
        track.channel = c.channels[t];
        track.mute = c.mutes[t];
        track.ccANumber = c.ccANumbers[t];
        track.ccBNumber = c.ccBNumbers[t];
        track.portamentoCC = c.portamentoCCs[t];
        track.portamentoOnValue = c.portamentoOnValues[t];
        track.portamentoOffValue = c.portamentoOffValues[t];
        track.fillMode = c.fillModes[t];
        track.trackOctave = c.trackOctaves[t];
        track.trackTranspose = c.trackTransposes[t];
        track.outputChordCount = c.outputChordCounts[t];
        std::copy_n(c.outputChordIntervals + t * kMaxOutputChordIntervals, kMaxOutputChordIntervals, track.outputChordIntervals);
        const int first = t * kStepsPerLane;
        for (int s = 0; s < kStepsPerLane; ++s) {
            const int i = first + s;
            track.gate[s] = c.gateSteps[i];
            track.tie[s] = c.tieSteps[i];
            track.note[s] = c.notesSteps[i];
            track.chordCount[s] = c.noteStepChordCounts[i];
            std::copy_n(c.noteStepChordValues + i * kMaxChordValues, kMaxChordValues, track.chordNotes[s]);
            track.fix[s] = c.fixSteps[i];
            track.octave[s] = c.octaveSteps[i];
            track.velocity[s] = c.velocitySteps[i];
            track.length[s] = c.lengthSteps[i];
            track.probability[s] = c.probabilitySteps[i];
            track.ccA[s] = c.ccASteps[i];
            track.ccB[s] = c.ccBSteps[i];
        }
    }
}

}  // namespace pulvan::au
