#include "audiounit/standard_midi_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <tuple>

namespace pulvan::au {

namespace {

// The largest quantity four VLQ bytes can carry; a file cannot say more.
constexpr std::uint32_t kLargestQuantity = 0x0FFFFFFF;

void appendBytes(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) out.push_back(byte);
}

void appendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void appendQuantity(std::vector<std::uint8_t>& out, std::uint64_t quantity) {
    const auto value = static_cast<std::uint32_t>(std::min<std::uint64_t>(quantity, kLargestQuantity));
    std::uint8_t groups[4];
    int count = 0;
    std::uint32_t rest = value;
    do {
        groups[count++] = rest & 0x7F;
        rest >>= 7;
    } while (rest != 0);
    while (count > 1) out.push_back(groups[--count] | 0x80);
    out.push_back(groups[0]);
}

void appendEndOfTrack(std::vector<std::uint8_t>& out, std::uint64_t delta) {
    appendQuantity(out, delta);
    appendBytes(out, {0xFF, 0x2F, 0x00});
}

// Writes the chunk header now and its length once the data is in.
template <typename WriteData>
void appendTrackChunk(std::vector<std::uint8_t>& out, WriteData&& writeData) {
    appendBytes(out, {'M', 'T', 'r', 'k', 0, 0, 0, 0});
    const std::size_t dataStart = out.size();
    writeData(out);
    const auto length = static_cast<std::uint32_t>(out.size() - dataStart);
    for (int i = 0; i < 4; ++i) out[dataStart - 4 + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
}

std::uint32_t microsecondsPerQuarter(double tempo) {
    const double micros = std::round(60'000'000.0 / std::max(tempo, 1e-6));
    return static_cast<std::uint32_t>(std::clamp(micros, 1.0, double{0xFFFFFF}));
}

std::uint64_t ticksFromStart(double time, const MIDITakeInfo& take) {
    return static_cast<std::uint64_t>(
        std::llround((std::clamp(time, take.startBeat, take.endBeat) - take.startBeat) * kTicksPerQuarterNote));
}

// How many times each (channel, note) is on, indexed channel * 128 + note.
using SoundingNotes = std::array<int, 16 * 128>;

void noteSounding(SoundingNotes& sounding, const MIDIRecordEvent& event) {
    const unsigned kind = event.status & 0xF0;
    if (kind != 0x80 && kind != 0x90) return;
    int& count = sounding[(event.status & 0x0Fu) * 128 + (event.data1 & 0x7Fu)];
    if (kind == 0x90 && event.data2 != 0) {
        ++count;
    } else if (count > 0) {
        --count;
    }
}

}  // namespace

std::vector<std::uint8_t> writeStandardMIDIFile(std::span<const MIDIRecordEvent> events, const MIDITakeInfo& take) {
    const int trackCount = std::clamp(take.trackCount, 1, 6);
    std::vector<std::vector<MIDIRecordEvent>> tracks(static_cast<std::size_t>(trackCount));
    for (const MIDIRecordEvent& event : events) {
        if (event.track < trackCount) tracks[event.track].push_back(event);
    }
    std::size_t eventCount = 0;
    for (auto& list : tracks) {
        std::sort(list.begin(), list.end(), [](const MIDIRecordEvent& a, const MIDIRecordEvent& b) {
            return std::tie(a.time, a.status, a.data1, a.data2) < std::tie(b.time, b.status, b.data1, b.data2);
        });
        eventCount += list.size();
    }
    const std::uint64_t totalTicks = ticksFromStart(take.endBeat, take);

    std::vector<std::uint8_t> out;
    out.reserve(14 + 8 * (trackCount + 1) + 20 + eventCount * 7 + trackCount * 8);
    appendBytes(out, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1});
    appendBigEndian(out, static_cast<std::uint32_t>(trackCount + 1), 2);
    appendBigEndian(out, kTicksPerQuarterNote, 2);

    appendTrackChunk(out, [&](std::vector<std::uint8_t>& data) {
        appendBytes(data, {0x00, 0xFF, 0x51, 0x03});
        appendBigEndian(data, microsecondsPerQuarter(take.tempo), 3);
        appendEndOfTrack(data, totalTicks);
    });
    for (const auto& list : tracks) {
        appendTrackChunk(out, [&](std::vector<std::uint8_t>& data) {
            SoundingNotes sounding{};
            std::uint64_t previous = 0;
            for (const MIDIRecordEvent& event : list) {
                const std::uint64_t tick = std::max(previous, ticksFromStart(event.time, take));
                appendQuantity(data, tick - previous);
                appendBytes(data, {event.status, event.data1, event.data2});
                noteSounding(sounding, event);
                previous = tick;
            }
            // A note still on when the take ends (its note-off came after the last bar) ends there,
            // so the file holds no note without an end.
            std::uint64_t delta = totalTicks > previous ? totalTicks - previous : 0;
            for (std::size_t key = 0; key < sounding.size(); ++key) {
                for (int n = 0; n < sounding[key]; ++n) {
                    appendQuantity(data, delta);
                    appendBytes(data, {static_cast<std::uint8_t>(0x80 | key >> 7), static_cast<std::uint8_t>(key & 0x7F), 0});
                    delta = 0;
                }
            }
            appendEndOfTrack(data, delta);
        });
    }
    return out;
}

}  // namespace pulvan::au
