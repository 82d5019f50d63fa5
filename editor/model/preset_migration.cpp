#include "editor/model/preset_migration.h"

#include "editor/model/preset_version.h"
#include "editor/model/skin.h"

#include <algorithm>
#include <set>

namespace pulvan::model {
namespace {

// Version indices from which a pass is no longer needed.
constexpr int kV3 = 2;
constexpr int kV4 = 3;
constexpr int kV6 = 5;
constexpr int kV7 = 6;

template <typename Visit>
void forEachPattern(Preset& preset, Visit visit) {
    for (Track& track : preset.tracks) {
        for (Pattern& pattern : track.patterns) visit(track, pattern);
    }
}

Lane rebuiltFixLane(const Track& track, const Pattern& pattern) {
    Lane fix;
    const auto notes = pattern.lanes.find(LaneKind::notes);
    fix.lastStep = notes == pattern.lanes.end() ? kDefaultLastStep : std::clamp(notes->second.lastStep, 1, kMaxLaneSteps);
    const auto existing = pattern.lanes.find(LaneKind::fix);
    if (existing == pattern.lanes.end()) {
        fix.steps.assign(kMaxLaneSteps, track.legacyChromatic ? 1 : 0);
        return fix;
    }
    const std::vector<int>& oldSteps = existing->second.steps;
    const std::size_t kept = std::min(oldSteps.size(), static_cast<std::size_t>(kMaxLaneSteps));
    for (std::size_t i = 0; i < kept; ++i) fix.steps.push_back(oldSteps[i] != 0 ? 1 : 0);
    fix.steps.resize(kMaxLaneSteps, 0);
    fix.noteStepChords = existing->second.noteStepChords;
    return fix;
}

}  // namespace

void recolourTracks(Preset& preset) {
    for (std::size_t i = 0; i < preset.tracks.size(); ++i) {
        preset.tracks[i].accentColorHex = defaultTrackAccent(static_cast<std::int64_t>(i));
    }
}

void migrateNotesLanes(Preset& preset) {
    forEachPattern(preset, [](Track&, Pattern& pattern) {
        const auto notes = pattern.lanes.find(LaneKind::notes);
        if (notes == pattern.lanes.end() || notes->second.noteStepChords) return;
        notes->second.noteStepChords = notes->second.normalizedChords();
    });
}

void migrateTieLanes(Preset& preset) {
    forEachPattern(preset, [](Track&, Pattern& pattern) {
        const auto tie = pattern.lanes.find(LaneKind::tie);
        if (tie == pattern.lanes.end()) return;
        for (int& step : tie->second.steps) step = step != 0 ? 2 : 0;
    });
}

void addFixLanes(Preset& preset) {
    forEachPattern(preset,
                   [](Track& track, Pattern& pattern) { pattern.lanes.insert_or_assign(LaneKind::fix, rebuiltFixLane(track, pattern)); });
}

void migratePreset(Preset& preset, int versionIndex) {
    if (versionIndex < kV3) recolourTracks(preset);
    if (versionIndex < kV4) migrateNotesLanes(preset);
    if (versionIndex < kV6) migrateTieLanes(preset);
    if (versionIndex < kV7) addFixLanes(preset);
    preset.version = kCurrentPresetVersion;
}

void normalizePatterns(Preset& preset) {
    forEachPattern(preset, [](Track&, Pattern& pattern) { restoreMissingLanes(pattern); });
}

void makeTrackIdsUnique(Preset& preset) {
    std::set<foundation::Uuid> seen;
    for (Track& track : preset.tracks) {
        while (!seen.insert(track.id).second) track.id = foundation::Uuid::random();
    }
}

}  // namespace pulvan::model
