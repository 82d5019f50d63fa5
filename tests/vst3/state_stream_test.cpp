#include "vst3/state_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace kez {
namespace {

std::vector<std::uint8_t> sampleStream(std::size_t words = 5, std::size_t blobBytes = 7) {
    std::vector<std::int32_t> config(words);
    for (std::size_t i = 0; i < words; ++i) config[i] = static_cast<std::int32_t>(i * 7919) - 3;
    std::vector<std::uint8_t> blob(blobBytes);
    for (std::size_t i = 0; i < blobBytes; ++i) blob[i] = static_cast<std::uint8_t>('a' + i % 26);
    std::vector<std::uint8_t> out;
    encodeState(out, {-200, -1, 0, 1, 150, 200}, config, blob);
    return out;
}

void putU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(StateStream, LayoutIsLittleEndianWordsThenBlob) {
    const std::vector<std::uint8_t> bytes = sampleStream(2, 3);
    ASSERT_EQ(bytes.size(), 40u + 8u + 3u);
    const std::uint8_t head[] = {0x31, 0x53, 0x5A, 0x4B, 1, 0, 0, 0, 0x38, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(bytes.data(), head, sizeof head), 0);
    EXPECT_EQ(bytes[32], 2);  // N
    EXPECT_EQ(bytes[44], 3);  // M
    EXPECT_EQ(bytes.back(), 'c');
}

TEST(StateStream, RoundTripGivesBackEveryField) {
    const std::vector<std::uint8_t> bytes = sampleStream();
    const auto contents = decodeState(bytes);
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->offsetsMs, (std::array<std::int32_t, 6>{-200, -1, 0, 1, 150, 200}));
    ASSERT_EQ(contents->configWords.size(), 5u);
    EXPECT_EQ(contents->configWords[0], -3);
    EXPECT_EQ(contents->configWords[4], 4 * 7919 - 3);
    EXPECT_EQ(std::string(contents->blob.begin(), contents->blob.end()), "abcdefg");
    std::vector<std::uint8_t> again;
    encodeState(again, contents->offsetsMs, contents->configWords, contents->blob);
    EXPECT_EQ(again, bytes);
}

TEST(StateStream, ExactEndIsAcceptedAndEveryShorterPrefixRejected) {
    const std::vector<std::uint8_t> bytes = sampleStream();
    EXPECT_TRUE(decodeState(bytes));
    for (std::size_t size = 0; size < bytes.size(); ++size)
        EXPECT_FALSE(decodeState(std::span(bytes.data(), size))) << "prefix of " << size << " bytes";
}

TEST(StateStream, TrailingBytesAreIgnored) {
    std::vector<std::uint8_t> bytes = sampleStream();
    bytes.insert(bytes.end(), {9, 9, 9});
    const auto contents = decodeState(bytes);
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->blob.size(), 7u);
}

struct HeaderCase {
    const char* name;
    std::size_t at;
    std::uint32_t value;
    bool accepted;
};

class StateStreamHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(StateStreamHeader, IsCheckedBeforeAnythingIsRead) {
    std::vector<std::uint8_t> bytes = sampleStream();
    putU32(bytes, GetParam().at, GetParam().value);
    EXPECT_EQ(decodeState(bytes).has_value(), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(Cases, StateStreamHeader,
                         ::testing::Values(HeaderCase{"wrong_magic", 0, 0x4B5A5332, false}, HeaderCase{"version_zero", 4, 0, false},
                                           HeaderCase{"version_seven", 4, 7, true}, HeaderCase{"version_max", 4, 0xFFFFFFFF, true},
                                           // Word counts whose byte count overflows 32 bits must not wrap into "fits".
                                           HeaderCase{"words_overflow_32bit", 32, 0x40000001, false},
                                           HeaderCase{"words_max", 32, 0xFFFFFFFF, false}, HeaderCase{"words_one_more", 32, 6, false},
                                           HeaderCase{"blob_max", 56, 0xFFFFFFFF, false}, HeaderCase{"blob_one_more", 56, 8, false},
                                           HeaderCase{"blob_shorter_ok", 56, 6, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StateStream, OffsetsComeBackClamped) {
    std::vector<std::uint8_t> bytes = sampleStream();
    putU32(bytes, 8, 500);
    putU32(bytes, 12, static_cast<std::uint32_t>(-201));
    putU32(bytes, 16, 0x80000000);
    const auto contents = decodeState(bytes);
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->offsetsMs[0], 200);
    EXPECT_EQ(contents->offsetsMs[1], -200);
    EXPECT_EQ(contents->offsetsMs[2], -200);
}

TEST(StateStream, EmptyConfigurationAndBlobAreValid) {
    std::vector<std::uint8_t> bytes;
    encodeState(bytes, {}, {}, {});
    ASSERT_EQ(bytes.size(), 40u);
    const auto contents = decodeState(bytes);
    ASSERT_TRUE(contents);
    EXPECT_TRUE(contents->configWords.empty());
    EXPECT_TRUE(contents->blob.empty());
}

// Random damage to a valid stream: the decoder either refuses it or returns
// values that a fresh encode reproduces, and never reads outside the bytes
// (the sanitizer builds watch that).
TEST(StateStream, FuzzedStreamsAreRefusedOrConsistent) {
    std::mt19937 random(20261206);
    const std::vector<std::uint8_t> valid = sampleStream(40, 100);
    for (int round = 0; round < 5000; ++round) {
        std::vector<std::uint8_t> bytes = valid;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            switch (random() % 3) {
                case 0: bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random()); break;
                case 1: bytes.resize(random() % (bytes.size() + 1)); break;
                default: putU32(bytes, 4 * (random() % 16), static_cast<std::uint32_t>(random())); break;
            }
            if (bytes.size() < 64) break;
        }
        const auto contents = decodeState(bytes);
        if (!contents) continue;
        const std::size_t used = 40 + 4 * contents->configWords.size() + contents->blob.size();
        ASSERT_LE(used, bytes.size());
        for (std::int32_t offset : contents->offsetsMs) ASSERT_LE(std::abs(offset), 200);
    }
}

}  // namespace
}  // namespace kez
