#pragma once
#include "engine/sequencer_engine.h"

#include <cstdint>

namespace pulvan::engine {

// Editor side (the hooks' C++ bodies). Out-of-range tracks give -1 or 0 and are ignored.
void forceAllNotesOff(SequencerEngine& engine) noexcept;
void forceTrackNotesOff(SequencerEngine& engine, std::uint32_t trackMask) noexcept;
void sendImmediateMIDI(SequencerEngine& engine, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) noexcept;
bool popIncomingMIDI(SequencerEngine& engine, std::uint8_t& status, std::uint8_t& data1, std::uint8_t& data2) noexcept;

std::int64_t currentStepGlobal(const SequencerEngine& engine, std::int32_t track) noexcept;
std::uint64_t currentActiveNotesLow(const SequencerEngine& engine, std::int32_t track) noexcept;
std::uint64_t currentActiveNotesHigh(const SequencerEngine& engine, std::int32_t track) noexcept;
bool isTransportMoving(const SequencerEngine& engine) noexcept;
double currentBeatPosition(const SequencerEngine& engine) noexcept;
double currentMeasureProgress(const SequencerEngine& engine) noexcept;

// Entries past `count` (or all, with null) become 0; changed tracks have their notes ended.
void setTrackMIDIOutOffsetsMs(SequencerEngine& engine, const std::int32_t* offsets, std::int32_t count) noexcept;

void pushPresetBlob(SequencerEngine& engine, const std::uint8_t* bytes, std::int32_t size);
std::int32_t presetBlobSize(SequencerEngine& engine);
std::int32_t copyPresetBlob(SequencerEngine& engine, std::uint8_t* dest, std::int32_t capacity);

void requestEditorResize(SequencerEngine& engine, double width, double height);

}  // namespace pulvan::engine
