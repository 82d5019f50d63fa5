#pragma once
#include "audiounit/midi_record_event.h"

#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace pulvan::au {

enum AppPlayMIDIRecordState : std::int32_t {
    kRecordIdle = 0,
    kRecordArmStart = 1,  // waiting for the next bar line to start
    kRecordRecording = 2,
    kRecordArmStop = 3,  // recording, waiting for the next bar line to stop
};

inline constexpr int kRecordCapacity = 800'000;
inline constexpr int kMaxRecordBars = 100;
inline constexpr std::int64_t kNoBar = std::numeric_limits<std::int64_t>::min();

// Who may touch the event store and the take fields once a take has ended: the render thread
// owns them unless a take is ready, and the main thread owns them while it collects one.
enum TakeHandOver : std::uint8_t { kNoTake = 0, kTakeReady = 1, kTakeCollecting = 2 };

// Records what the unit plays, bar-aligned, for collection as a Standard MIDI File.
// The render thread runs the clock and captures; the main thread arms and collects.
struct AppPlayMIDIRecorder {
    MIDIRecordEvent events[kRecordCapacity];
    std::int32_t count;
    std::uint8_t recordOverflow;
    double takeStartBeat;
    double takeEndBeat;
    double takeTempo;
    double takeBeatsPerBar;
    std::int32_t recordTrackCount;

    // The clock of the block being rendered.
    std::uint8_t clockValid;
    double clockBeat;
    std::int64_t clockSampleTime;
    double clockTempo;
    double clockSampleRate;

    std::atomic<std::int32_t> state;
    std::atomic<std::int64_t> recordTargetBar;
    std::atomic<std::uint32_t> recordBarCount;
    std::atomic<std::uint8_t> takeReady;  // TakeHandOver
};

// Construction defaults on a zero-filled recorder.
void initRecorder(AppPlayMIDIRecorder& recorder) noexcept;

// Render thread.
void resetRecorder(AppPlayMIDIRecorder& recorder) noexcept;
void advanceAppPlayMIDIRecord(AppPlayMIDIRecorder& recorder, double beat, double windowEnd, double barLength, double tempo,
                              std::int32_t trackCount) noexcept;
void setRecorderClock(AppPlayMIDIRecorder& recorder, double beat, std::int64_t sampleTime, double tempo, double sampleRate) noexcept;
void invalidateRecorderClock(AppPlayMIDIRecorder& recorder) noexcept;
// Offers one sent message, at the sample time it was sent at.
void captureRecordedEvent(AppPlayMIDIRecorder& recorder, std::int64_t sampleTime, std::int32_t track, std::uint8_t status,
                          std::uint8_t data1, std::uint8_t data2) noexcept;

// Main thread.
void armRecordStart(AppPlayMIDIRecorder& recorder, bool arm) noexcept;
void armRecordStop(AppPlayMIDIRecorder& recorder, bool arm) noexcept;
// The finished take as a Standard MIDI File, handed out once; nothing when no whole take is ready.
std::optional<std::vector<std::uint8_t>> consumeRecordedTake(AppPlayMIDIRecorder& recorder);

}  // namespace pulvan::au
