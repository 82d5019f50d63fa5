#include "audiounit/standard_midi_file.h"

#include <gtest/gtest.h>

#include "tests/audiounit/midi_file_csv.h"

namespace pulvan::au::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(StandardMIDIFile, EqualTicksPutNoteOffsFirstAndTimesStayInsideTheTake) {
    const MIDIRecordEvent events[] = {
        {1.0, 0, 0xB0, 1, 64},  {1.0, 0, 0x90, 60, 90},
        {1.0, 0, 0x80, 60, 0},  {-3.0, 0, 0x90, 62, 90},  // before the take: clamped to its start
        {9.0, 0, 0x80, 62, 0},                            // after the take: clamped to its end
        {1.0, 4, 0x90, 70, 90},                           // a track the take does not have
    };
    const auto rows = midicsvRows(writeStandardMIDIFile(events, {0.0, 4.0, 120.0, 1}));
    std::vector<std::pair<long, std::string>> trackOne;
    for (const auto& row : rows) {
        if (row.track == 2 && row.type != "Start_track") trackOne.emplace_back(row.tick, row.type);
    }
    const std::vector<std::pair<long, std::string>> expected = {
        {0, "Note_on_c"},   {960, "Note_off_c"},  {960, "Note_on_c"},
        {960, "Control_c"}, {3840, "Note_off_c"}, {3840, "Note_off_c"},  // the note struck at 960 was never ended
        {3840, "End_track"}};
    EXPECT_EQ(trackOne, expected);
}

TEST(StandardMIDIFile, NotesStillOnWhenTheTakeEndsAreEndedThere) {
    // A note struck on the stop bar line and one held across it: their note-offs were never captured.
    const MIDIRecordEvent events[] = {{2.0, 0, 0x92, 64, 90}, {4.0, 0, 0x91, 60, 90}, {3.0, 0, 0x92, 64, 0}, {3.5, 0, 0x91, 67, 80}};
    const Bytes file = writeStandardMIDIFile(events, {0.0, 4.0, 120.0, 1});
    const Bytes trackEnd = {0x83, 0x60, 0x91, 0x3C, 0x5A, 0x00, 0x81, 0x3C, 0x00, 0x00, 0x81, 0x43, 0x00, 0x00, 0xFF, 0x2F, 0x00};
    ASSERT_GE(file.size(), trackEnd.size());
    EXPECT_EQ(Bytes(file.end() - static_cast<long>(trackEnd.size()), file.end()), trackEnd);
    const auto rows = midicsvRows(file);
    EXPECT_EQ(rowsOfType(rows, "Note_on_c").size(), 4u);  // midicsv shows velocity 0 as a note-on
    EXPECT_EQ(rowsOfType(rows, "Note_off_c").size(), 2u);
}

TEST(StandardMIDIFile, TempoIsMicrosecondsPerQuarterWithinItsThreeBytes) {
    struct Case {
        double tempo;
        long micros;
    };
    const Case cases[] = {{120.0, 500000}, {60.0, 1000000}, {137.0, 437956}, {0.0, 0xFFFFFF}, {-5.0, 0xFFFFFF}, {1e9, 1}};
    for (const Case& c : cases) {
        const auto tempo = rowsOfType(midicsvRows(writeStandardMIDIFile({}, {0.0, 4.0, c.tempo, 1})), "Tempo");
        ASSERT_EQ(tempo.size(), 1u);
        EXPECT_EQ(tempo[0].values, std::vector<long>{c.micros}) << c.tempo;
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
        const auto end = file.begin() + 14 + 8 + 7;  // header, chunk head, tempo event
        EXPECT_EQ(Bytes(end, end + static_cast<long>(c.quantity.size())), c.quantity) << c.beats;
        EXPECT_EQ(rowsOfType(midicsvRows(file), "End_track").size(), 2u) << c.beats;
    }
}

// A note a bar on every track but the first, which stays silent yet gets its chunk.
TEST(StandardMIDIFile, APeerReaderSeesEveryTrackAndNote) {
    for (int tracks = 1; tracks <= 6; ++tracks) {
        std::vector<MIDIRecordEvent> events;
        for (int bar = 0; bar < 4; ++bar) {
            for (std::uint8_t track = 1; track < tracks; ++track) {
                events.push_back({bar * 4.0 + track * 0.5, track, static_cast<std::uint8_t>(0x90 | track), 60, 100});
                events.push_back({bar * 4.0 + track * 0.5 + 0.25, track, static_cast<std::uint8_t>(0x80 | track), 60, 0});
            }
        }
        const auto rows = midicsvRows(writeStandardMIDIFile(events, {0.0, 16.0, 120.0, tracks}));
        ASSERT_FALSE(rows.empty()) << "midicsv is not installed or rejected the file";
        EXPECT_EQ(rowsOfType(rows, "Header")[0].values, (std::vector<long>{1, tracks + 1, 960}));
        const auto ends = rowsOfType(rows, "End_track");
        ASSERT_EQ(ends.size(), static_cast<std::size_t>(tracks + 1));
        for (const auto& end : ends) EXPECT_EQ(end.tick, 15360) << tracks;
        const auto ons = rowsOfType(rows, "Note_on_c");
        ASSERT_EQ(ons.size(), 4u * static_cast<std::size_t>(tracks - 1));
        for (const auto& on : ons) EXPECT_EQ(on.values[0], on.track - 2) << "tracks keep their own channels";
        EXPECT_EQ(rowsOfType(rows, "Note_off_c").size(), ons.size());
    }
}

}  // namespace
}  // namespace pulvan::au::test
