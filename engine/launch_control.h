#pragma once
#include "engine/sequencer_engine.h"

#include <cstdint>

namespace pulvan::engine {

// Editor side. Launches carry a whole configuration buffer (ignored unless acceptable) and
// switch to it at targetBeat (quarter notes).
void scheduleSceneLaunch(SequencerEngine& engine, const std::int32_t* words, std::int32_t count, double targetBeat) noexcept;
// Only `track`'s notes are released at the target; a track outside 0-5 ignores the call.
void schedulePatternLaunch(SequencerEngine& engine, const std::int32_t* words, std::int32_t count, double targetBeat,
                           std::int32_t track) noexcept;
void cancelPatternLaunch(SequencerEngine& engine) noexcept;

// Arming (or disarming) forgets the bar; the next playing block fixes the next bar line.
void setResyncArmed(SequencerEngine& engine, bool armed) noexcept;
bool isResyncArmed(const SequencerEngine& engine) noexcept;

}  // namespace pulvan::engine
