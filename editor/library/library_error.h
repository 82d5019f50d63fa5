#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

// A failed import, export or MIDI export; what() is the description the user sees.
namespace pulvan::library {

class LibraryError : public std::runtime_error {
public:
    explicit LibraryError(const std::string& description) : std::runtime_error(description) {}

    static LibraryError folderGone() { return LibraryError("Selected folder no longer exists."); }
    static LibraryError fromSystem(std::error_code error) { return LibraryError(describe(error)); }

private:
    // A platform error as a sentence: "No such file or directory."
    static std::string describe(std::error_code error) {
        std::string text = error.message();
        if (!text.empty() && text.back() != '.') text += '.';
        return text;
    }
};

}  // namespace pulvan::library
