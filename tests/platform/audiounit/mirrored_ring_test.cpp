#include "platform/audiounit/mirrored_ring.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstring>

namespace pulvan::au {
namespace {

// One ring record mapped, released and mapped again: each time whole pages, mirrored.
TEST(MirroredRingMapping, LengthIsWholePagesAndTheSecondMappingMirrorsTheFirst) {
    const auto page = static_cast<std::uint32_t>(sysconf(_SC_PAGESIZE));
    TPCircularBuffer ring;
    for (std::uint32_t requested : {100u, 16384u}) {
        ASSERT_TRUE(initMirroredRing(ring, requested));
        EXPECT_EQ(ring.length, (requested + page - 1) / page * page) << requested;
        ring.buffer[5] = 0xAB;
        EXPECT_EQ(ring.buffer[ring.length + 5], 0xAB);
        ring.buffer[ring.length + 7] = 0xCD;
        EXPECT_EQ(ring.buffer[7], 0xCD);
        releaseMirroredRing(ring);
        EXPECT_EQ(ring.buffer, nullptr);
        EXPECT_EQ(ring.length, 0u);
    }
}

TEST(MirroredRingWrap, AMessageAcrossTheWrapIsReadBackWhole) {
    TPCircularBuffer ring;
    ASSERT_TRUE(initMirroredRing(ring, 16384));
    // Move both offsets to the last byte, then write three bytes that straddle the end.
    std::uint32_t space = 0;
    ringWritePosition(ring, &space);
    ringProduce(ring, ring.length - 1);
    clearRing(ring);
    ASSERT_EQ(ring.writeOffset, ring.length - 1);
    const std::uint8_t message[3] = {0x90, 60, 100};
    std::uint8_t* to = ringWritePosition(ring, &space);
    ASSERT_GE(space, 3u);
    std::memcpy(to, message, 3);
    ringProduce(ring, 3);
    EXPECT_EQ(ring.writeOffset, 2u);
    std::uint32_t available = 0;
    const std::uint8_t* at = ringReadPosition(ring, &available);
    ASSERT_EQ(available, 3u);
    EXPECT_EQ(0, std::memcmp(at, message, 3));
    ringConsume(ring, 3);
    EXPECT_EQ(ring.readOffset, 2u);
    EXPECT_EQ(ringReadPosition(ring, &available), nullptr);
    EXPECT_EQ(available, 0u);
    releaseMirroredRing(ring);
}

TEST(MirroredRingFailure, UnusableLengthsAreRefusedAndLeaveAnInertRing) {
    for (std::uint32_t length : {0u, 0xFFFFFFFFu}) {
        TPCircularBuffer ring;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(initMirroredRing(ring, length));
        EXPECT_NE(testing::internal::GetCapturedStdout().find("mirrored_ring.cpp:"), std::string::npos);
        std::uint32_t space = 99, available = 99;
        EXPECT_EQ(ringWritePosition(ring, &space), nullptr);
        EXPECT_EQ(space, 0u);
        EXPECT_EQ(ringReadPosition(ring, &available), nullptr);
        EXPECT_EQ(available, 0u);
        ringProduce(ring, 3);  // must not write or count through a missing buffer
        ringConsume(ring, 3);
        clearRing(ring);
        EXPECT_EQ(ring.filled.load(), 0);
        releaseMirroredRing(ring);
    }
}

// Maps a ring in a process that may open no file, so the memory file cannot be made.
void mapRingWithoutFileDescriptors() {
    rlimit none{0, 0};
    setrlimit(RLIMIT_NOFILE, &none);
    TPCircularBuffer ring;
    const bool mapped = initMirroredRing(ring, 16384);
    std::uint32_t space = 1;
    ringWritePosition(ring, &space);
    std::fprintf(stderr, "%s", mapped ? "mapped" : "refused");
    std::fflush(stderr);
    _exit(!mapped && space == 0 ? 0 : 1);  // no exit handlers: they would need files too
}

TEST(MirroredRingFailure, NoFileDescriptorsLeftRefusesTheRing) {
    EXPECT_EXIT(mapRingWithoutFileDescriptors(), testing::ExitedWithCode(0), "refused");
}

}  // namespace
}  // namespace pulvan::au
