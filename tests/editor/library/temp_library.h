#pragma once

#include "editor/model/preset_json.h"
#include "tests/platform/foundation/temp_folder.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pulvan::library::test {

// Environment variables put back as they were when the test ends (TZ among them: the C
// library's cached time zone is read again).
class SavedEnvironment {
public:
    explicit SavedEnvironment(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    ~SavedEnvironment() {
        for (const auto& [name, value] : saved_) value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
        ::tzset();
    }
    SavedEnvironment(const SavedEnvironment&) = delete;
    SavedEnvironment& operator=(const SavedEnvironment&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// A fresh Library folder for one test: $XDG_DATA_HOME points into a new temp folder
// (and $XDG_CONFIG_HOME beside it); both, with HOME, are restored when the test ends.
class TempLibrary {
public:
    TempLibrary() {
        ::setenv("XDG_DATA_HOME", library().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (base() / "config").c_str(), 1);
    }

    std::filesystem::path base() const { return base_.path(); }
    std::filesystem::path library() const { return base() / "Library"; }
    std::filesystem::path root() const { return library() / "Audio" / "Presets" / "Kezwerk" / "Pulvan"; }
    std::filesystem::path home() const { return root() / "Presets"; }
    std::filesystem::path chords() const { return root() / "ChordProgressions"; }

    // No Library folder at all: neither variable names one.
    void removeLibraryLocation() {
        ::unsetenv("XDG_DATA_HOME");
        ::unsetenv("HOME");
    }
    // A Library location that cannot hold folders: a plain file stands where it would be.
    void blockLibraryLocation() {
        std::filesystem::remove_all(library());
        write(library(), "not a folder");
    }

    static void write(const std::filesystem::path& file, std::string_view text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    static std::string read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // On-disk names of a folder's entries, sorted bytewise.
    static std::vector<std::string> entries(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    SavedEnvironment saved_{"XDG_DATA_HOME", "HOME", "XDG_CONFIG_HOME"};
    pulvan::test::TempFolder base_;
};

// A preset document as the program writes it, with a swing that tells copies apart.
inline std::string validPresetJSON(int swingPercent = 50) {
    model::Preset preset = model::defaultPreset();
    preset.swingPercent = swingPercent;
    return model::encodePreset(preset);
}
inline std::string newerPresetJSON() { return R"({"version": "v99", "tracks": []})"; }
inline std::string corruptPresetJSON() { return R"({"version": "v11", "tracks": )"; }

}  // namespace pulvan::library::test
