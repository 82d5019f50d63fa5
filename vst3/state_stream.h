#pragma once
// The processor's state in the host's project: magic, version, the six output
// offsets, the engine's configuration words and the editor's preset blob.
// All words little-endian.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kez {

inline constexpr std::uint32_t kStateMagic = 0x4B5A5331;
inline constexpr std::uint32_t kStateVersion = 1;
inline constexpr int kStateTrackCount = 6;
inline constexpr std::int32_t kMaxOutputOffsetMs = 200;

struct StateContents {
    std::array<std::int32_t, kStateTrackCount> offsetsMs{};
    std::vector<std::int32_t> configWords;  // empty when the stream held none
    std::span<const std::uint8_t> blob;     // points into the decoded bytes
};

void encodeState(std::vector<std::uint8_t>& out, const std::array<std::int32_t, kStateTrackCount>& offsetsMs,
                 std::span<const std::int32_t> configWords, std::span<const std::uint8_t> blob);

// Checks the whole stream before returning anything; nothing when it is
// damaged or truncated. Offsets come back clamped; the blob borrows from bytes.
std::optional<StateContents> decodeState(std::span<const std::uint8_t> bytes);

}  // namespace kez
