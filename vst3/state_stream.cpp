#include "vst3/state_stream.h"

#include <algorithm>

namespace kez {
namespace {

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::uint64_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

}  // namespace

void encodeState(std::vector<std::uint8_t>& out, const std::array<std::int32_t, kStateTrackCount>& offsetsMs,
                 std::span<const std::int32_t> configWords, std::span<const std::uint8_t> blob) {
    out.reserve(out.size() + 40 + 4 * configWords.size() + blob.size());
    appendU32(out, kStateMagic);
    appendU32(out, kStateVersion);
    for (std::int32_t offset : offsetsMs) appendU32(out, static_cast<std::uint32_t>(offset));
    appendU32(out, static_cast<std::uint32_t>(configWords.size()));
    for (std::int32_t word : configWords) appendU32(out, static_cast<std::uint32_t>(word));
    appendU32(out, static_cast<std::uint32_t>(blob.size()));
    out.insert(out.end(), blob.begin(), blob.end());
}

std::optional<StateContents> decodeState(std::span<const std::uint8_t> bytes) {
    // Every length from the stream is checked against what is really there, in
    // 64 bits, before anything is allocated.
    const std::uint64_t size = bytes.size();
    std::uint64_t at = 0;
    auto haveWord = [&] { return size >= 4 && at <= size - 4; };

    if (!haveWord() || readU32(bytes, at) != kStateMagic) return std::nullopt;
    at += 4;
    if (!haveWord() || readU32(bytes, at) == 0) return std::nullopt;
    at += 4;

    StateContents contents;
    for (std::int32_t& offset : contents.offsetsMs) {
        if (!haveWord()) return std::nullopt;
        const auto raw = static_cast<std::int32_t>(readU32(bytes, at));
        offset = std::clamp(raw, -kMaxOutputOffsetMs, kMaxOutputOffsetMs);
        at += 4;
    }

    if (!haveWord()) return std::nullopt;
    const std::uint64_t wordCount = readU32(bytes, at);
    at += 4;
    if (size - at < wordCount * 4) return std::nullopt;
    const std::uint64_t wordsAt = at;
    at += wordCount * 4;

    if (!haveWord()) return std::nullopt;
    const std::uint64_t blobSize = readU32(bytes, at);
    at += 4;
    if (size - at < blobSize) return std::nullopt;

    contents.configWords.resize(wordCount);
    for (std::uint64_t i = 0; i < wordCount; ++i) contents.configWords[i] = static_cast<std::int32_t>(readU32(bytes, wordsAt + 4 * i));
    contents.blob = bytes.subspan(at, blobSize);
    return contents;
}

}  // namespace kez
