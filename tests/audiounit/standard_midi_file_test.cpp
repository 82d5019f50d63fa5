#include "audiounit/standard_midi_file.h"
#include "tests/audiounit/midi_file_reader.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pulvan::au::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes header(int chunks) { return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, static_cast<std::uint8_t>(chunks), 0x03, 0xC0}; }

Bytes chunk(const Bytes& data) {
    Bytes out{'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(data.size())};
    for (std::uint8_t byte : data) out.push_back(byte);
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        for (std::uint8_t byte : part) out.push_back(byte);
    }
    return out;
}

TEST(StandardMIDIFile, AKnownTakeIsWrittenByteForByte) {
    // Two bars from beat 8 at 120 bpm: a C3 for half a beat on track 0, nothing on track 1.
    const MIDIRecordEvent events[] = {{8.5, 0, 0x80, 48, 0}, {8.0, 0, 0x90, 48, 100}};
    const Bytes file = writeStandardMIDIFile(events, {8.0, 16.0, 120.0, 2});
    const Bytes expected = concat({
        header(3),
        chunk({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0xBC, 0x00, 0xFF, 0x2F, 0x00}),
        chunk({0x00, 0x90, 0x30, 0x64, 0x83, 0x60, 0x80, 0x30, 0x00, 0xB8, 0x20, 0xFF, 0x2F, 0x00}),
        chunk({0xBC, 0x00, 0xFF, 0x2F, 0x00}),
    });
    EXPECT_EQ(file, expected);
}

TEST(StandardMIDIFile, EqualTicksPutNoteOffsFirstAndTimesStayInsideTheTake) {
    const MIDIRecordEvent events[] = {
        {1.0, 0, 0xB0, 1, 64}, {1.0, 0, 0x90, 60, 90}, {1.0, 0, 0x80, 60, 0},
        {-3.0, 0, 0x90, 62, 90},  // before the take: clamped to its start
        {9.0, 0, 0x80, 62, 0},    // after the take: clamped to its end
        {1.0, 4, 0x90, 70, 90},   // a track the take does not have
    };
    const auto file = readMIDIFile(writeStandardMIDIFile(events, {0.0, 4.0, 120.0, 1}));
    ASSERT_TRUE(file.has_value());
    ASSERT_EQ(file->tracks.size(), 2u);
    const auto& track = file->tracks[1];
    ASSERT_EQ(track.size(), 5u);
    const std::pair<std::uint32_t, std::uint8_t> expected[] = {{0, 0x90}, {960, 0x80}, {960, 0x90}, {960, 0xB0}, {3840, 0x80}};
    for (std::size_t i = 0; i < track.size(); ++i) {
        EXPECT_EQ(track[i].tick, expected[i].first) << i;
        EXPECT_EQ(track[i].status, expected[i].second) << i;
    }
    EXPECT_EQ(file->endTicks[1], 3840u);
}

TEST(StandardMIDIFile, EveryTrackGetsAChunkEvenWhenSilent) {
    const MIDIRecordEvent events[] = {{0.5, 1, 0x91, 60, 90}};
    for (int tracks = 1; tracks <= 6; ++tracks) {
        const auto file = readMIDIFile(writeStandardMIDIFile(events, {0.0, 4.0, 120.0, tracks}));
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->tracks.size(), static_cast<std::size_t>(tracks + 1));
        for (std::uint32_t end : file->endTicks) EXPECT_EQ(end, 3840u);
    }
}

TEST(StandardMIDIFile, TempoIsMicrosecondsPerQuarterWithinItsThreeBytes) {
    struct Case {
        double tempo;
        std::uint32_t micros;
    };
    const Case cases[] = {{120.0, 500000}, {60.0, 1000000}, {137.0, 437956}, {0.0, 0xFFFFFF}, {-5.0, 0xFFFFFF}, {1e9, 1}};
    for (const Case& c : cases) {
        const auto file = readMIDIFile(writeStandardMIDIFile({}, {0.0, 4.0, c.tempo, 1}));
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->tempo, c.micros) << c.tempo;
    }
}

TEST(StandardMIDIFile, LengthsUseVariableLengthQuantitiesUpToTheirLimit) {
    struct Case {
        double beats;
        Bytes quantity;
    };
    const Case cases[] = {
        {0.0, {0x00}},
        {127.0 / 960, {0x7F}},
        {128.0 / 960, {0x81, 0x00}},
        {16383.0 / 960, {0xFF, 0x7F}},
        {16384.0 / 960, {0x81, 0x80, 0x00}},
        {0x0FFFFFFF / 960.0, {0xFF, 0xFF, 0xFF, 0x7F}},
        {0x20000000 / 960.0, {0xFF, 0xFF, 0xFF, 0x7F}},  // beyond what a file can say
    };
    for (const Case& c : cases) {
        const Bytes file = writeStandardMIDIFile({}, {0.0, c.beats, 120.0, 1});
        const Bytes tempoTrackEnd(file.begin() + 14 + 8 + 7, file.begin() + 14 + 8 + 7 + static_cast<long>(c.quantity.size()));
        EXPECT_EQ(tempoTrackEnd, c.quantity) << c.beats;
        EXPECT_TRUE(readMIDIFile(file).has_value()) << c.beats;
    }
}

TEST(StandardMIDIFile, APeerReaderSeesEveryTrackAndNote) {
    std::vector<MIDIRecordEvent> events;
    for (int bar = 0; bar < 4; ++bar) {
        for (std::uint8_t track = 0; track < 3; ++track) {
            events.push_back({bar * 4.0 + track, track, static_cast<std::uint8_t>(0x90 | track), 60, 100});
            events.push_back({bar * 4.0 + track + 0.5, track, static_cast<std::uint8_t>(0x80 | track), 60, 0});
        }
    }
    const std::string csv = midicsvOf(writeStandardMIDIFile(events, {0.0, 16.0, 120.0, 3}));
    ASSERT_FALSE(csv.empty()) << "midicsv is not installed or rejected the file";
    EXPECT_EQ(countLines(csv, "End_track"), 4);
    EXPECT_EQ(countLines(csv, "Note_on_c"), 12);
    EXPECT_EQ(countLines(csv, "Note_off_c"), 12);
    EXPECT_EQ(countLines(csv, "Tempo, 500000"), 1);
    EXPECT_EQ(countLines(csv, "Header, 1, 4, 960"), 1);
}

}  // namespace
}  // namespace pulvan::au::test
