#pragma once
#include <cstdint>

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

// Room kept for releases: every note the six voices can hold (17 held + 17 overlapping each)
// plus one portamento-off change per track. Ordinary events stop short of it, so a release
// always fits and no note is left hanging by a full buffer.
inline constexpr int kReleaseReserve = 6 * (2 * 17 + 1);

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

// Appends a note-on, a control change or an immediate message; drops it (setting overflow)
// when it would eat into the release reserve.
bool appendEvent(EngineEventBuffer& buffer, const EngineEvent& event) noexcept;

// Appends a note-off or a portamento-off change owed by a voice; may use the whole buffer.
bool appendReleaseEvent(EngineEventBuffer& buffer, const EngineEvent& event) noexcept;

}  // namespace pulvan::engine
