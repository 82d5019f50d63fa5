#pragma once
#include "audiounit/app_play_engine.h"
#include "platform/audiounit/host_blocks.h"

#include <cstdint>

namespace pulvan::au {

// Sends every buffered event at once (immediate sample time), updates the note masks and
// empties the buffer.
void emitImmediateMIDI(AppPlayEngine& engine, const MIDIOutputEventBlock& output) noexcept;

// Sends every buffered event at its own sample time, clamped into
// [blockSampleTime, lastSampleTime], offers it to the recorder, updates the note masks and
// empties the buffer.
void emitTimedMIDI(AppPlayEngine& engine, const MIDIOutputEventBlock& output, std::int64_t blockSampleTime, std::int64_t lastSampleTime,
                   double blockBeat, double tempo, double sampleRate) noexcept;

}  // namespace pulvan::au
