#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pulvan::library::test {

// A fresh Library folder for one test: $XDG_DATA_HOME points into a new temp folder
// (and $XDG_CONFIG_HOME beside it) and both are restored, with HOME, when the test ends.
class TempLibrary {
public:
    TempLibrary() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pulvan-library-XXXXXX").string();
        base_ = ::mkdtemp(pattern.data());
        remember("XDG_DATA_HOME", savedData_);
        remember("HOME", savedHome_);
        remember("XDG_CONFIG_HOME", savedConfig_);
        ::setenv("XDG_DATA_HOME", library().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (base_ / "config").c_str(), 1);
    }
    ~TempLibrary() {
        restore("XDG_DATA_HOME", savedData_);
        restore("HOME", savedHome_);
        restore("XDG_CONFIG_HOME", savedConfig_);
        std::error_code ignored;
        std::filesystem::remove_all(base_, ignored);
    }
    TempLibrary(const TempLibrary&) = delete;
    TempLibrary& operator=(const TempLibrary&) = delete;

    std::filesystem::path base() const { return base_; }
    std::filesystem::path library() const { return base_ / "Library"; }
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
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    static void remember(const char* name, std::optional<std::string>& slot) {
        if (const char* value = std::getenv(name)) slot = value;
    }
    static void restore(const char* name, const std::optional<std::string>& slot) {
        if (slot) ::setenv(name, slot->c_str(), 1);
        else ::unsetenv(name);
    }

    std::filesystem::path base_;
    std::optional<std::string> savedData_;
    std::optional<std::string> savedHome_;
    std::optional<std::string> savedConfig_;
};

}  // namespace pulvan::library::test
