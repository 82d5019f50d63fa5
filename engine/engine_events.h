#pragma once
#include <cstdint>
#include <limits>

namespace pulvan::engine {

enum EngineEventKind : std::uint8_t {
    kEventNoteOn = 0,
    kEventNoteOff = 1,
    kEventControlChange = 2,
};

struct EngineEvent {
    double time;         // quarter notes on the host timeline; 0 for immediate events and block-start releases
    std::int32_t track;  // 0-5, or -1 for an immediate message from the editor
    std::uint8_t kind;   // EngineEventKind
    std::uint8_t channel;
    std::uint8_t data1;
    std::uint8_t data2;
};

inline constexpr int kEventCapacity = 512;

// Stamp of the events that belong at the block's first sample whatever the host position
// (block-start releases, immediate messages): below every position, so a front end clamps it
// to sample 0 also during a count-in, where time 0 would lie after the block.
inline constexpr double kBlockStartTime = -std::numeric_limits<double>::infinity();

// The engine only appends; the front end reads the events in order, then calls clear().
struct EngineEventBuffer {
    std::int32_t count;
    EngineEvent events[kEventCapacity];
    std::uint8_t overflow;  // an event had to be dropped

    void clear() noexcept {
        count = 0;
        overflow = 0;
    }
};

// Appends a note-on, a control change or an immediate message only when `keepFree` slots stay
// free after it (the releases already owed, plus the one this event will owe); otherwise drops
// it and sets overflow.
bool appendEvent(EngineEventBuffer& buffer, const EngineEvent& event, int keepFree) noexcept;

// Appends a note-off or a portamento-off change owed by a voice; may use the whole buffer.
bool appendReleaseEvent(EngineEventBuffer& buffer, const EngineEvent& event) noexcept;

}  // namespace pulvan::engine
