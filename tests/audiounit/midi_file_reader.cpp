#include "tests/audiounit/midi_file_reader.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace pulvan::au::test {

namespace {

class Cursor {
public:
    Cursor(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end) : bytes_(&bytes), at_(begin), end_(end) {}
    bool done() const { return at_ >= end_; }
    bool take(std::uint8_t& byte) {
        if (at_ >= end_) return false;
        byte = (*bytes_)[at_++];
        return true;
    }
    bool bigEndian(int count, std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < count; ++i) {
            std::uint8_t byte = 0;
            if (!take(byte)) return false;
            value = value << 8 | byte;
        }
        return true;
    }
    bool quantity(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t byte = 0;
            if (!take(byte)) return false;
            value = value << 7 | (byte & 0x7F);
            if (!(byte & 0x80)) return true;
        }
        return false;  // longer than four bytes
    }
    std::size_t position() const { return at_; }

private:
    const std::vector<std::uint8_t>* bytes_;
    std::size_t at_;
    std::size_t end_;
};

bool readChunk(Cursor& data, ReadMIDIFile& file, std::vector<ReadMIDIEvent>& events) {
    std::uint32_t tick = 0;
    while (!data.done()) {
        std::uint32_t delta = 0;
        std::uint8_t status = 0;
        if (!data.quantity(delta) || !data.take(status)) return false;
        tick += delta;
        if (status == 0xFF) {
            std::uint8_t type = 0;
            std::uint32_t length = 0;
            if (!data.take(type) || !data.quantity(length)) return false;
            if (type == 0x2F) {
                file.endTicks.push_back(tick);
                return length == 0 && data.done();
            }
            std::uint32_t value = 0;
            if (!data.bigEndian(static_cast<int>(length), value)) return false;
            if (type == 0x51) file.tempo = value;
            continue;
        }
        if (status < 0x80 || status > 0xEF) return false;
        ReadMIDIEvent event{tick, status, 0, 0};
        if (!data.take(event.data1) || !data.take(event.data2)) return false;
        events.push_back(event);
    }
    return false;  // no end-of-track
}

}  // namespace

std::optional<ReadMIDIFile> readMIDIFile(const std::vector<std::uint8_t>& bytes) {
    Cursor cursor(bytes, 0, bytes.size());
    std::uint32_t magic = 0, length = 0, format = 0, chunks = 0, division = 0;
    if (!cursor.bigEndian(4, magic) || magic != 0x4D546864 || !cursor.bigEndian(4, length) || length != 6) return std::nullopt;
    if (!cursor.bigEndian(2, format) || format != 1 || !cursor.bigEndian(2, chunks) || !cursor.bigEndian(2, division)) return std::nullopt;
    ReadMIDIFile file;
    file.division = static_cast<int>(division);
    for (std::uint32_t c = 0; c < chunks; ++c) {
        if (!cursor.bigEndian(4, magic) || magic != 0x4D54726B || !cursor.bigEndian(4, length)) return std::nullopt;
        const std::size_t begin = cursor.position();
        if (begin + length > bytes.size()) return std::nullopt;
        Cursor data(bytes, begin, begin + length);
        file.tracks.emplace_back();
        if (!readChunk(data, file, file.tracks.back())) return std::nullopt;
        cursor = Cursor(bytes, begin + length, bytes.size());
    }
    if (!cursor.done()) return std::nullopt;
    return file;
}

std::string midicsvOf(const std::vector<std::uint8_t>& bytes) {
    const auto path = std::filesystem::temp_directory_path() / ("pulvan-take-" + std::to_string(getpid()) + ".mid");
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::string text;
    if (FILE* pipe = popen(("midicsv '" + path.string() + "' 2>/dev/null").c_str(), "r")) {
        std::array<char, 4096> buffer;
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) text.append(buffer.data(), n);
        if (pclose(pipe) != 0) text.clear();
    }
    std::filesystem::remove(path);
    return text;
}

int countLines(const std::string& text, const std::string& containing) {
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);) count += line.find(containing) != std::string::npos;
    return count;
}

}  // namespace pulvan::au::test
