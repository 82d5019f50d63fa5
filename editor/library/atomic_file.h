#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <system_error>
#include <vector>

// Whole-file reads and writes. A write goes to a hidden temporary file in the same
// folder, is flushed to disk and then renamed over the target, so a failure at any
// point leaves the previous file untouched.
namespace pulvan::library {

using Bytes = std::vector<std::uint8_t>;

std::error_code writeFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> data);

// The file's bytes, or the error that stopped the read.
struct ReadResult {
    std::optional<Bytes> bytes;
    std::error_code error;
};
ReadResult readWholeFile(const std::filesystem::path& file);

}  // namespace pulvan::library
