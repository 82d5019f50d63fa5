#pragma once
#include "editor/model/preset.h"

// Bringing presets of older format versions up to the current model.
namespace pulvan::model {

// Runs the passes that the version index (0 = "v1" ... 10 = "v11") needs, then sets the
// version to "v11".
void migratePreset(Preset& preset, int versionIndex);

// Track i takes the default accent colour of position i.
void recolourTracks(Preset& preset);
// NOTES lanes without chords get one single-note chord per step.
void migrateNotesLanes(Preset& preset);
// HOLD/LEGATO steps: every non-zero value becomes 2.
void migrateTieLanes(Preset& preset);
// Rebuilds every FIX lane: length from the NOTES lane, 64 steps of 0 or 1.
void addFixLanes(Preset& preset);

// Every pattern gets the default lane of each kind it lacks.
void normalizePatterns(Preset& preset);

// A track whose identifier repeats an earlier track's gets a new one: tracks are told apart by
// their identifiers (selections, views), so two tracks must never share one.
void makeTrackIdsUnique(Preset& preset);

}  // namespace pulvan::model
