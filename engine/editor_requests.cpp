#include "engine/editor_requests.h"

#include <algorithm>

namespace pulvan::engine {
namespace {
bool validTrack(std::int32_t track) { return track >= 0 && track < kTrackCount; }
}  // namespace

void forceAllNotesOff(SequencerEngine& engine) noexcept { engine.allNotesOffRequested.store(1, std::memory_order_release); }

void forceTrackNotesOff(SequencerEngine& engine, std::uint32_t trackMask) noexcept {
    engine.notesOffRequestMask.fetch_or(trackMask, std::memory_order_acq_rel);
}

void sendImmediateMIDI(SequencerEngine& engine, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) noexcept {
    engine.outgoingMIDI.push(status, data1, data2);
}

bool popIncomingMIDI(SequencerEngine& engine, std::uint8_t& status, std::uint8_t& data1, std::uint8_t& data2) noexcept {
    return engine.incomingMIDI.pop(status, data1, data2);
}

std::int64_t currentStepGlobal(const SequencerEngine& engine, std::int32_t track) noexcept {
    return validTrack(track) ? engine.currentStep[track].load(std::memory_order_relaxed) : -1;
}

std::uint64_t currentActiveNotesLow(const SequencerEngine& engine, std::int32_t track) noexcept {
    return validTrack(track) ? engine.activeNotesLow[track].load(std::memory_order_relaxed) : 0;
}

std::uint64_t currentActiveNotesHigh(const SequencerEngine& engine, std::int32_t track) noexcept {
    return validTrack(track) ? engine.activeNotesHigh[track].load(std::memory_order_relaxed) : 0;
}

bool isTransportMoving(const SequencerEngine& engine) noexcept { return engine.transportMoving.load(std::memory_order_relaxed) != 0; }

double currentBeatPosition(const SequencerEngine& engine) noexcept { return engine.beatPosition.load(std::memory_order_relaxed); }

double currentMeasureProgress(const SequencerEngine& engine) noexcept { return engine.measureProgress.load(std::memory_order_relaxed); }

void setTrackMIDIOutOffsetsMs(SequencerEngine& engine, const std::int32_t* offsets, std::int32_t count) noexcept {
    std::uint32_t changed = 0;
    for (std::int32_t t = 0; t < kTrackCount; ++t) {
        const std::int32_t value = (offsets != nullptr && t < count) ? std::clamp(offsets[t], -200, 200) : 0;
        if (engine.midiOutOffsetsMs[t].exchange(value, std::memory_order_acq_rel) != value) changed |= 1u << t;
    }
    // Held notes end at the next block instead of being cut at shifted times.
    if (changed) engine.notesOffRequestMask.fetch_or(changed, std::memory_order_acq_rel);
}

void pushPresetBlob(SequencerEngine& engine, const std::uint8_t* bytes, std::int32_t size) {
    std::lock_guard lock(engine.stateMutex);
    if (bytes != nullptr && size >= 1) engine.presetBlob.assign(bytes, bytes + size);
    else engine.presetBlob.clear();
}

std::int32_t presetBlobSize(SequencerEngine& engine) {
    std::lock_guard lock(engine.stateMutex);
    return static_cast<std::int32_t>(engine.presetBlob.size());
}

std::int32_t copyPresetBlob(SequencerEngine& engine, std::uint8_t* dest, std::int32_t capacity) {
    std::lock_guard lock(engine.stateMutex);
    if (dest == nullptr || capacity < 1 || engine.presetBlob.empty()) return 0;
    const auto n = std::min(static_cast<std::size_t>(capacity), engine.presetBlob.size());
    std::copy_n(engine.presetBlob.begin(), n, dest);
    return static_cast<std::int32_t>(n);
}

void requestEditorResize(SequencerEngine& engine, double width, double height) {
    if (engine.editorResizeCallback) engine.editorResizeCallback(width, height);
}

}  // namespace pulvan::engine
