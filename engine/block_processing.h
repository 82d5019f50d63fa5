#pragma once
#include "engine/sequencer_engine.h"

#include <atomic>
#include <cstdint>

namespace pulvan::engine {

// Per-block calls of the front end, audio thread only. Each block: beginBlock, then
// renderPlaying (host playing with a valid tempo and position) or renderStopped; then the
// front end sends engine.events in order and clears them.

// Takes the newest configuration, serves notes-off and reset requests, drains immediate MIDI.
void beginBlock(SequencerEngine& engine) noexcept;

// Transport not playing: after playing, ends every note and cancels launches; clears the display.
void renderStopped(SequencerEngine& engine) noexcept;

// Renders the block [position, position + blockLength) in quarter notes. barLength <= 0 means 4.
void renderPlaying(SequencerEngine& engine, double tempo, double position, double blockLength, double sampleRate,
                   double barLength) noexcept;

// Makes `staged` the playing configuration and rebuilds the timed changes (pending launches,
// a pending resync).
void applyStagedSnapshot(SequencerEngine& engine, bool resyncPending, double resyncBeat) noexcept;

// Display: current step per track, beat position, measure progress, transport moving.
void updateTransportPosition(SequencerEngine& engine, double position, double barLength) noexcept;

// Display: folds the note events of `events` into each track's sounding-note masks (`low` bit n
// for notes 0-63, `high` bit n - 64 for notes 64-127).
void updateActiveNoteMasks(const EngineEventBuffer& events, std::atomic<std::uint64_t> (&low)[kTrackCount],
                           std::atomic<std::uint64_t> (&high)[kTrackCount]) noexcept;

// Block length in quarter notes and bar length as the front end derives them from the host.
double blockLengthQN(double tempo, double samples, double sampleRate) noexcept;
double barLengthQN(double numerator, double denominator) noexcept;

// Sample offset of an event time inside a block, rounded half away from zero and clamped into
// [0, blockSamples - 1]; 0 when tempo or sample rate is not positive.
std::int32_t eventSampleOffset(double eventTime, double blockPosition, double tempo, double sampleRate, std::int32_t blockSamples) noexcept;

}  // namespace pulvan::engine
