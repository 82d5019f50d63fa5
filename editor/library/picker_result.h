#pragma once

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

// What a file or folder picker of the editor shell answers.
namespace pulvan::library {

struct PickerError {
    bool userCancelled = false;
    std::string description;  // shown after the alert's own sentence
};

// The chosen locations (only the first is used), or why there are none.
using PickerResult = std::variant<std::vector<std::filesystem::path>, PickerError>;

inline PickerResult pickedLocation(std::filesystem::path location) { return std::vector<std::filesystem::path>{std::move(location)}; }
inline PickerResult pickerCancelled() { return PickerError{true, {}}; }
inline PickerResult pickerFailed(std::string description) { return PickerError{false, std::move(description)}; }

}  // namespace pulvan::library
