#include "audiounit/midi_emission.h"

#include "engine/block_processing.h"
#include "platform/audiounit/render_types.h"

#include <algorithm>
#include <cmath>

namespace pulvan::au {

namespace {

struct MIDIBytes {
    std::uint8_t bytes[3];
};

MIDIBytes bytesOf(const engine::EngineEvent& event) {
    std::uint8_t status = 0x80;
    switch (event.kind) {
        case engine::kEventNoteOn: status = 0x90 | (event.channel & 0x0F); break;
        case engine::kEventNoteOff: status = 0x80 | (event.channel & 0x0F); break;
        case engine::kEventControlChange: status = 0xB0 | (event.channel & 0x0F); break;
        default: break;
    }
    return {{status, static_cast<std::uint8_t>(event.data1 & 0x7F), static_cast<std::uint8_t>(event.data2 & 0x7F)}};
}

int eventCount(const engine::EngineEventBuffer& events) { return std::clamp(events.count, 0, engine::kEventCapacity); }

}  // namespace

void emitImmediateMIDI(AppPlayEngine& e, const MIDIOutputEventBlock& output) noexcept {
    for (int i = 0; i < eventCount(e.events); ++i) {
        const MIDIBytes midi = bytesOf(e.events.events[i]);
        output(kEventSampleTimeImmediate, 0, 3, midi.bytes);
    }
    engine::updateActiveNoteMasks(e.events, e.activeNotesLow, e.activeNotesHigh);
    e.events.clear();
}

void emitTimedMIDI(AppPlayEngine& e, const MIDIOutputEventBlock& output, std::int64_t blockSampleTime, std::int64_t lastSampleTime,
                   double blockBeat, double tempo, double sampleRate) noexcept {
    const double lastOffset = static_cast<double>(lastSampleTime - blockSampleTime);
    for (int i = 0; i < eventCount(e.events); ++i) {
        const engine::EngineEvent& event = e.events.events[i];
        const double offset = sampleRate * 60.0 * (event.time - blockBeat) / tempo;
        // Clamped before rounding: an event far outside the block lands on its first or last sample.
        const double clamped = std::isnan(offset) ? 0.0 : std::clamp(std::round(offset), 0.0, lastOffset);
        const std::int64_t sampleTime = blockSampleTime + static_cast<std::int64_t>(clamped);
        const MIDIBytes midi = bytesOf(event);
        output(sampleTime, 0, 3, midi.bytes);
        captureRecordedEvent(e.recorder, sampleTime, event.track, midi.bytes[0], midi.bytes[1], midi.bytes[2]);
    }
    engine::updateActiveNoteMasks(e.events, e.activeNotesLow, e.activeNotesHigh);
    e.events.clear();
}

}  // namespace pulvan::au
