#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

// Whole-file reads and writes. A write goes to a hidden temporary file in the same
// folder, is flushed to disk and then renamed over the target, so a failure at any
// point leaves the previous file untouched.
namespace pulvan::library {

std::error_code writeFileAtomically(const std::filesystem::path& target, std::string_view data);

// The same, but an existing target is never replaced: it answers EEXIST instead.
std::error_code writeNewFileAtomically(const std::filesystem::path& target, std::string_view data);

// The file's bytes, or the error that stopped the read.
struct ReadResult {
    std::optional<std::string> bytes;
    std::error_code error;
};
ReadResult readWholeFile(const std::filesystem::path& file);

}  // namespace pulvan::library
