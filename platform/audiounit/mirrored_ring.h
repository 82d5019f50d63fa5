#pragma once
#include <atomic>
#include <cstdint>

namespace pulvan::au {

// A single-producer, single-consumer byte ring whose memory is mapped twice, back to back, so
// that any read or write up to the ring's length is contiguous even across the wrap.
// A ring that was never initialised, or whose initialisation failed, has no free space and
// nothing to read: callers may use it without checking, and nothing is written through null.
struct TPCircularBuffer {
    std::uint8_t* buffer = nullptr;       // the first of the two mappings
    std::uint32_t length = 0;             // bytes, a whole number of pages
    std::uint32_t readOffset = 0;         // moved by the consumer only
    std::uint32_t writeOffset = 0;        // moved by the producer only
    std::atomic<std::int32_t> filled{0};  // the one count both sides change
};

// Maps the memory (length rounded up to whole pages); false, with a line on standard output, when
// it cannot. Up to four attempts are made.
bool initMirroredRing(TPCircularBuffer& ring, std::uint32_t length);
// Unmaps both halves and zeroes the record. Safe on a ring that holds no memory.
void releaseMirroredRing(TPCircularBuffer& ring);
// Consumer side: drops everything filled.
void clearRing(TPCircularBuffer& ring);

// Producer side: where to write, and how many bytes are free there (0 and null when none).
std::uint8_t* ringWritePosition(TPCircularBuffer& ring, std::uint32_t* freeBytes);
void ringProduce(TPCircularBuffer& ring, std::uint32_t bytes);

// Consumer side: where to read, and how many bytes are there (0 and null when none).
const std::uint8_t* ringReadPosition(TPCircularBuffer& ring, std::uint32_t* availableBytes);
void ringConsume(TPCircularBuffer& ring, std::uint32_t bytes);

}  // namespace pulvan::au
