#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace pulvan::foundation {

// Replaces the file with the bytes in one step: written to a temporary file in
// the same folder, flushed to disk, then renamed over the target, so a reader
// sees the old file or the new one and never a part. Creates missing folders.
// False when anything fails; the old file is then left as it was.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// The whole file, or none when it is missing or unreadable.
std::optional<std::vector<std::uint8_t>> readFileBytes(const std::filesystem::path& path);

}  // namespace pulvan::foundation
