#pragma once
// The engine's part of the host's project: what it needs to play at once
// after a project opens, before any editor exists.
#include "engine/sequencer_engine.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kez {

std::vector<std::uint8_t> captureEngineState(pulvan::engine::SequencerEngine& engine);

// Applies a whole stream or nothing: a damaged one leaves offsets,
// configuration and blob as they were and returns false.
bool restoreEngineState(pulvan::engine::SequencerEngine& engine, std::span<const std::uint8_t> bytes);

}  // namespace kez
