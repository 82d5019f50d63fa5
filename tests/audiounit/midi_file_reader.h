#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::au::test {

struct ReadMIDIEvent {
    std::uint32_t tick;  // absolute
    std::uint8_t status, data1, data2;
};

// A strict reader for the files the recorder writes: format 1, three-byte channel messages
// without running status, a tempo event, end-of-track at the end of every chunk.
struct ReadMIDIFile {
    int division = 0;
    std::uint32_t tempo = 0;
    std::vector<std::vector<ReadMIDIEvent>> tracks;  // the tempo track first (empty)
    std::vector<std::uint32_t> endTicks;             // where each chunk's end-of-track lies
};

std::optional<ReadMIDIFile> readMIDIFile(const std::vector<std::uint8_t>& bytes);

// The file as midicsv prints it (written through a temporary file); empty when it fails.
std::string midicsvOf(const std::vector<std::uint8_t>& bytes);
int countLines(const std::string& text, const std::string& containing);

}  // namespace pulvan::au::test
