#include "tests/audiounit/midi_file_csv.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pulvan::au::test {

std::vector<MIDICsvRow> midicsvRows(const std::vector<std::uint8_t>& bytes) {
    const auto path = std::filesystem::temp_directory_path() / ("pulvan-take-" + std::to_string(getpid()) + ".mid");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::string text;
    if (FILE* pipe = popen(("midicsv '" + path.string() + "' 2>/dev/null").c_str(), "r")) {
        std::array<char, 4096> buffer;
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) text.append(buffer.data(), n);
        if (pclose(pipe) != 0) text.clear();
    }
    std::filesystem::remove(path);
    std::vector<MIDICsvRow> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::replace(line.begin(), line.end(), ',', ' ');
        std::istringstream fields(line);
        MIDICsvRow row;
        fields >> row.track >> row.tick >> row.type;
        for (long value; fields >> value;) row.values.push_back(value);
        rows.push_back(row);
    }
    return rows;
}

std::vector<MIDICsvRow> rowsOfType(const std::vector<MIDICsvRow>& rows, const std::string& type) {
    std::vector<MIDICsvRow> found;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(found), [&](const MIDICsvRow& row) { return row.type == type; });
    return found;
}

}  // namespace pulvan::au::test
