#pragma once
#include "editor/model/fill_empty.h"
#include "editor/model/track.h"
#include "editor/store/hosted_app_play_payload.h"
#include "platform/foundation/uuid.h"

#include <map>
#include <optional>
#include <vector>

namespace pulvan::store {
class SequencerStore;
}

namespace pulvan::link {

inline constexpr int kConfigSteps = 64;
inline constexpr int kChordSlotsPerStep = 17;
inline constexpr int kMaxOutputChordIntervals = 16;

// One visible track as an engine plays it: the chosen pattern's lanes cut or
// padded to 64 steps and clamped, chords resolved to notes-pool indices.
struct AppPlayTrackConfig {
    foundation::Uuid trackID;
    int resolution = 16;
    int direction = 0;
    int midiChannel = 1;
    int midiOutOffsetMs = 0;
    bool mute = false;
    int trackOctave = 0;
    int trackTranspose = 0;
    std::vector<int> outputChord;
    int ccAController = 0;
    int ccBController = 0;
    int portamentoCC = 0;
    int portamentoOnValue = 0;
    int portamentoOffValue = 0;
    model::FillEmpty fillEmpty = model::FillEmpty::circularOctUp;
    int lastStep = 16, tieLastStep = 16, notesLastStep = 16, octaveLastStep = 16, velocityLastStep = 16, lengthLastStep = 16,
        probabilityLastStep = 16, ccALastStep = 16, ccBLastStep = 16;
    std::vector<int> gateSteps, tieSteps, notesSteps, fixSteps;
    std::vector<std::vector<int>> noteStepChords;
    std::vector<int> octaveSteps, velocitySteps, lengthSteps, probabilitySteps, ccASteps, ccBSteps;

    friend bool operator==(const AppPlayTrackConfig&, const AppPlayTrackConfig&) = default;
};

struct AppPlayConfiguration {
    std::vector<AppPlayTrackConfig> configs;
    std::vector<int> notePool;
    int swingPercent = 50;
};

// Each track's MIDI-out offset in milliseconds, in track order.
std::vector<int> midiOutOffsets(const AppPlayConfiguration& configuration);

// Pattern choice per track: an override (0-based) wins, then the scene's 1-based
// entry, then the track's selection, then 0.
using PatternOverrides = std::map<foundation::Uuid, int>;

// The visible tracks of the store's preset. A scene index that names a chord
// scene takes that scene's chord as the pool and its patterns as the choice.
AppPlayConfiguration buildAppPlayTrackConfigs(const store::SequencerStore& store, std::optional<int> sceneIndex,
                                              const PatternOverrides& overrides);

AppPlayTrackConfig makeAppPlayTrackConfig(const store::SequencerStore& store, int trackIndex, const model::Track& track,
                                          const PatternOverrides& overrides, const std::vector<std::optional<int>>* scenePatterns,
                                          bool anySolo);

store::HostedAppPlayPayload buildHostedAppPlayPayload(const std::vector<AppPlayTrackConfig>& configs, const std::vector<int>& notePool,
                                                      int swingPercent);
inline store::HostedAppPlayPayload buildHostedAppPlayPayload(const AppPlayConfiguration& configuration) {
    return buildHostedAppPlayPayload(configuration.configs, configuration.notePool, configuration.swingPercent);
}

}  // namespace pulvan::link
