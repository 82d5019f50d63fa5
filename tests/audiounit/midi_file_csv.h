#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pulvan::au::test {

// One line of midicsv's reading of a file: "track, tick, Type, values...".
struct MIDICsvRow {
    int track;
    long tick;
    std::string type;
    std::vector<long> values;
};

// The file as the peer reader midicsv sees it; empty when midicsv is missing or rejects it.
std::vector<MIDICsvRow> midicsvRows(const std::vector<std::uint8_t>& bytes);

std::vector<MIDICsvRow> rowsOfType(const std::vector<MIDICsvRow>& rows, const std::string& type);

}  // namespace pulvan::au::test
