#include "audiounit/midi_recorder.h"

#include "audiounit/standard_midi_file.h"
#include "engine/step_timing.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace pulvan::au {

namespace {

constexpr double kEpsilon = 1e-9;

std::uint32_t wholeBars(double beats, double beatsPerBar) {
    if (!(beats > 0.0)) return 0;
    return static_cast<std::uint32_t>(std::clamp(std::floor((beats + kEpsilon) / beatsPerBar), 0.0, double{kMaxRecordBars}));
}

double positiveOr(double value, double fallback) { return value > 0.0 ? value : fallback; }

std::int64_t nextBar(AppPlayMIDIRecorder& r, double beat, double barLength) {
    std::int64_t target = r.recordTargetBar.load();
    if (target == kNoBar) {
        target = engine::floorToIndex(beat / barLength) + 1;
        r.recordTargetBar.store(target);
    }
    return target;
}

void clearTake(AppPlayMIDIRecorder& r) {
    r.count = 0;
    r.recordOverflow = 0;
    r.takeStartBeat = 0.0;
    r.takeEndBeat = 0.0;
}

void startTake(AppPlayMIDIRecorder& r, double startBeat, double barLength, double tempo, std::int32_t trackCount) {
    clearTake(r);
    r.takeStartBeat = startBeat;
    r.takeEndBeat = startBeat;
    r.takeTempo = positiveOr(tempo, 120.0);
    r.takeBeatsPerBar = positiveOr(barLength, 4.0);
    r.recordTrackCount = std::clamp(trackCount, 1, 6);
    r.recordBarCount.store(0);
    r.recordTargetBar.store(kNoBar);
    std::int32_t expected = kRecordArmStart;
    r.state.compare_exchange_strong(expected, kRecordRecording);  // lost only to a disarm
}

// The take fields are complete before the hand-over flag is raised, and the flag before the
// state turns idle, so a new arm on the main thread always sees the take it replaces, and the
// main thread collects only once the state is idle. A stop that the main thread disarmed at the
// same moment wins: the flag is taken back and recording goes on.
void endTake(AppPlayMIDIRecorder& r, double endBeat, double beatsPerBar, std::int32_t fromState) {
    const double previousEnd = r.takeEndBeat;
    r.takeEndBeat = std::max(endBeat, r.takeStartBeat);
    const std::uint32_t bars = wholeBars(r.takeEndBeat - r.takeStartBeat, beatsPerBar);
    r.recordBarCount.store(bars);
    if (bars != 0) r.takeReady.store(kTakeReady);
    if (fromState == kRecordArmStop && !r.state.compare_exchange_strong(fromState, kRecordIdle)) {
        std::uint8_t ready = kTakeReady;
        r.takeReady.compare_exchange_strong(ready, kNoTake);
        r.takeEndBeat = previousEnd;
        return;
    }
    r.state.store(kRecordIdle);
    r.recordTargetBar.store(kNoBar);
}

}  // namespace

void initRecorder(AppPlayMIDIRecorder& r) noexcept {
    r.takeTempo = 120.0;
    r.takeBeatsPerBar = 4.0;
    r.recordTrackCount = 1;
    r.clockTempo = 120.0;
    r.clockSampleRate = 44100.0;
    r.recordTargetBar.store(kNoBar);
}

void resetRecorder(AppPlayMIDIRecorder& r) noexcept {
    r.state.store(kRecordIdle);
    r.recordTargetBar.store(kNoBar);
    r.recordBarCount.store(0);
    std::uint8_t ready = kTakeReady;
    // An uncollected take is dropped; one the main thread is already collecting stays its own.
    if (!r.takeReady.compare_exchange_strong(ready, kNoTake) && ready == kTakeCollecting) return;
    clearTake(r);
}

void advanceAppPlayMIDIRecord(AppPlayMIDIRecorder& r, double beat, double windowEnd, double barLength, double tempo,
                              std::int32_t trackCount) noexcept {
    const std::int32_t state = r.state.load();
    if (state == kRecordIdle) return;
    const double bar = positiveOr(barLength, 4.0);
    if (state == kRecordArmStart) {
        const double startBeat = bar * static_cast<double>(nextBar(r, beat, bar));
        r.recordBarCount.store(0);
        if (windowEnd + kEpsilon >= startBeat) startTake(r, startBeat, barLength, tempo, trackCount);
        return;
    }
    const double beatsPerBar = positiveOr(r.takeBeatsPerBar, 4.0);
    r.recordBarCount.store(beat > r.takeStartBeat ? wholeBars(beat - r.takeStartBeat, beatsPerBar) : 0);
    const double capBeat = r.takeStartBeat + kMaxRecordBars * r.takeBeatsPerBar;
    if (beat + kEpsilon >= capBeat) {
        endTake(r, capBeat, beatsPerBar, kRecordRecording);
        return;
    }
    if (state != kRecordArmStop) return;
    const double stopBeat = bar * static_cast<double>(nextBar(r, beat, bar));
    if (beat + kEpsilon >= stopBeat) endTake(r, stopBeat, beatsPerBar, kRecordArmStop);
}

void setRecorderClock(AppPlayMIDIRecorder& r, double beat, std::int64_t sampleTime, double tempo, double sampleRate) noexcept {
    r.clockBeat = beat;
    r.clockSampleTime = sampleTime;
    r.clockTempo = tempo;
    r.clockSampleRate = sampleRate;
    r.clockValid = 1;
}

void invalidateRecorderClock(AppPlayMIDIRecorder& r) noexcept { r.clockValid = 0; }

void captureRecordedEvent(AppPlayMIDIRecorder& r, std::int64_t sampleTime, std::int32_t track, std::uint8_t status, std::uint8_t data1,
                          std::uint8_t data2) noexcept {
    if (track < 0 || track >= r.recordTrackCount || status < 0x80 || status > 0xEF) return;
    const std::int32_t state = r.state.load();
    if (state != kRecordRecording && state != kRecordArmStop) return;
    if (!r.clockValid || !(r.clockSampleRate > 0.0) || !(r.clockTempo > 0.0)) return;
    const double beatsPerSample = r.clockTempo / 60.0 / r.clockSampleRate;
    const double beat = r.clockBeat + beatsPerSample * static_cast<double>(std::max(sampleTime, r.clockSampleTime) - r.clockSampleTime);
    if (beat + beatsPerSample + kEpsilon < r.takeStartBeat) return;  // up to one sample early still counts
    if (r.count >= kRecordCapacity) {
        r.recordOverflow = 1;
        return;
    }
    r.events[r.count++] = {std::max(beat, r.takeStartBeat), static_cast<std::uint8_t>(track), status, data1, data2};
}

void armRecordStart(AppPlayMIDIRecorder& r, bool arm) noexcept {
    std::int32_t expected = arm ? kRecordIdle : kRecordArmStart;
    if (r.state.load() != expected) return;
    if (arm) {
        r.takeReady.store(kNoTake);  // a new take replaces one not collected
        r.recordBarCount.store(0);
        r.recordTargetBar.store(kNoBar);
        r.state.compare_exchange_strong(expected, kRecordArmStart);
        return;
    }
    if (r.state.compare_exchange_strong(expected, kRecordIdle)) {
        r.recordTargetBar.store(kNoBar);
        r.recordBarCount.store(0);
    }
}

void armRecordStop(AppPlayMIDIRecorder& r, bool arm) noexcept {
    std::int32_t expected = arm ? kRecordRecording : kRecordArmStop;
    if (r.state.load() != expected) return;
    r.recordTargetBar.store(kNoBar);
    r.state.compare_exchange_strong(expected, arm ? kRecordArmStop : kRecordRecording);
}

std::optional<std::vector<std::uint8_t>> consumeRecordedTake(AppPlayMIDIRecorder& r) {
    if (r.state.load() != kRecordIdle) return std::nullopt;  // a take ends with the state idle
    std::uint8_t ready = kTakeReady;
    if (!r.takeReady.compare_exchange_strong(ready, kTakeCollecting)) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> file;
    if (r.recordOverflow) {
        r.recordTargetBar.store(kNoBar);
    } else if (r.takeStartBeat >= 0.0 && r.takeEndBeat >= r.takeStartBeat) {
        const auto stored = static_cast<std::size_t>(std::clamp(r.count, 0, kRecordCapacity));
        file = writeStandardMIDIFile(std::span<const MIDIRecordEvent>(r.events, stored),
                                     {r.takeStartBeat, r.takeEndBeat, r.takeTempo, r.recordTrackCount});
    }
    clearTake(r);
    r.recordBarCount.store(0);
    r.takeReady.store(kNoTake);
    return file;
}

}  // namespace pulvan::au
