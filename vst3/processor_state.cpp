#include "vst3/processor_state.h"

#include "engine/config_buffer.h"
#include "vst3/state_stream.h"

#include <array>

namespace kez {

using pulvan::engine::SequencerEngine;

std::vector<std::uint8_t> captureEngineState(SequencerEngine& engine) {
    std::array<std::int32_t, kStateTrackCount> offsets{};
    for (int track = 0; track < kStateTrackCount; ++track) offsets[track] = engine.midiOutOffsetsMs[track].load(std::memory_order_relaxed);
    std::vector<std::uint8_t> out;
    std::lock_guard lock(engine.stateMutex);
    encodeState(out, offsets, engine.rawConfig, engine.presetBlob);
    return out;
}

bool restoreEngineState(SequencerEngine& engine, std::span<const std::uint8_t> bytes) {
    const std::optional<StateContents> contents = decodeState(bytes);
    if (!contents) return false;

    std::uint32_t changedTracks = 0;
    for (int track = 0; track < kStateTrackCount; ++track) {
        const std::int32_t previous = engine.midiOutOffsetsMs[track].exchange(contents->offsetsMs[track]);
        if (previous != contents->offsetsMs[track]) changedTracks |= 1u << track;
    }
    // Notes held under the old offsets end at the next block instead of at shifted times.
    if (changedTracks != 0) engine.notesOffRequestMask.fetch_or(changedTracks);

    if (contents->configWords.size() == static_cast<std::size_t>(pulvan::engine::kConfigBufferWordCount))
        pulvan::engine::applyConfigBuffer(engine, contents->configWords.data(), static_cast<std::int32_t>(contents->configWords.size()));
    {
        std::lock_guard lock(engine.stateMutex);
        engine.presetBlob.assign(contents->blob.begin(), contents->blob.end());
    }
    engine.hostStateVersion.fetch_add(1, std::memory_order_release);
    return true;
}

}  // namespace kez
