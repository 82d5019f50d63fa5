#pragma once
#include "audiounit/midi_record_event.h"

#include <cstdint>
#include <span>
#include <vector>

namespace pulvan::au {

inline constexpr int kTicksPerQuarterNote = 960;

// What a take's file needs besides its events.
struct MIDITakeInfo {
    double startBeat;
    double endBeat;  // not before startBeat
    double tempo;    // beats per minute
    int trackCount;  // 1-6: one chunk each, after the tempo track
};

// A format-1 Standard MIDI File: the tempo track, then one track per sequencer track holding
// that track's events sorted by time, status, data1, data2. Events of tracks at or past the
// track count are left out. Times are clamped into the take. A note still on at the end of the
// take is ended there.
std::vector<std::uint8_t> writeStandardMIDIFile(std::span<const MIDIRecordEvent> events, const MIDITakeInfo& take);

}  // namespace pulvan::au
