#include "platform/audiounit/mirrored_ring.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pulvan::au {

namespace {

constexpr int kAttempts = 4;
// filled is a signed 32-bit count, so a ring may hold at most this much.
constexpr std::uint64_t kLargestRing = 0x40000000u;

const char* sourceBaseName() {
    const char* slash = std::strrchr(__FILE__, '/');
    return slash ? slash + 1 : __FILE__;
}

void reportFailure(int line, const char* step, int error) {
    std::printf("%s:%d: %s: %s\n", sourceBaseName(), line, step, std::strerror(error));
    std::fflush(stdout);
}

struct Failure {
    int line;
    const char* step;
    int error;
};

// One attempt: a memory file of `length` bytes, mapped at the start of a reserved range of twice
// that size and again right behind it. On failure nothing stays mapped or open.
bool mapMirror(std::uint32_t length, std::uint8_t** mirror, Failure* failure) {
    int fd = memfd_create("pulvan-midi-ring", MFD_CLOEXEC);
    if (fd < 0) {
        *failure = {__LINE__, "Buffer allocation", errno};
        return false;
    }
    if (ftruncate(fd, length) != 0) {
        *failure = {__LINE__, "Buffer allocation", errno};
        close(fd);
        return false;
    }
    void* reserved = mmap(nullptr, std::size_t{length} * 2, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (reserved == MAP_FAILED) {
        *failure = {__LINE__, "Buffer allocation", errno};
        close(fd);
        return false;
    }
    auto* base = static_cast<std::uint8_t*>(reserved);
    void* first = mmap(base, length, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, fd, 0);
    void* second = first == MAP_FAILED ? MAP_FAILED : mmap(base + length, length, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, fd, 0);
    int mapError = errno;
    close(fd);
    if (first == base && second == base + length) {
        *mirror = base;
        return true;
    }
    if (munmap(base, std::size_t{length} * 2) != 0) {
        *failure = {__LINE__, "Buffer deallocation", errno};
    } else if (first == MAP_FAILED || second == MAP_FAILED) {
        *failure = {__LINE__, "Remap buffer memory", mapError};
    } else {
        *failure = {0, nullptr, 0};  // mapped, but not where the mirror must be
    }
    return false;
}

}  // namespace

bool initMirroredRing(TPCircularBuffer& ring, std::uint32_t length) {
    releaseMirroredRing(ring);
    const std::uint64_t page = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    const std::uint64_t rounded = (std::uint64_t{length} + page - 1) / page * page;
    if (rounded == 0 || rounded > kLargestRing) {
        reportFailure(__LINE__, "Buffer allocation", EINVAL);
        return false;
    }
    Failure failure{0, nullptr, 0};
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::uint8_t* mirror = nullptr;
        if (!mapMirror(static_cast<std::uint32_t>(rounded), &mirror, &failure)) continue;
        ring.buffer = mirror;
        ring.length = static_cast<std::uint32_t>(rounded);
        ring.readOffset = 0;
        ring.writeOffset = 0;
        ring.filled.store(0);
        return true;
    }
    if (failure.step) {
        reportFailure(failure.line, failure.step, failure.error);
    } else {
        std::printf("Couldn't map buffer memory to end of buffer\n");
        std::fflush(stdout);
    }
    return false;
}

void releaseMirroredRing(TPCircularBuffer& ring) {
    if (ring.buffer) munmap(ring.buffer, std::size_t{ring.length} * 2);
    ring.buffer = nullptr;
    ring.length = 0;
    ring.readOffset = 0;
    ring.writeOffset = 0;
    ring.filled.store(0);
}

void clearRing(TPCircularBuffer& ring) {
    std::uint32_t available = 0;
    if (ringReadPosition(ring, &available)) ringConsume(ring, available);
}

std::uint8_t* ringWritePosition(TPCircularBuffer& ring, std::uint32_t* freeBytes) {
    const std::int32_t filled = ring.filled.load();
    const std::uint32_t space = ring.buffer ? ring.length - static_cast<std::uint32_t>(filled) : 0;
    *freeBytes = space;
    return space ? ring.buffer + ring.writeOffset : nullptr;
}

void ringProduce(TPCircularBuffer& ring, std::uint32_t bytes) {
    if (!ring.buffer || bytes == 0) return;
    ring.writeOffset = static_cast<std::uint32_t>((std::uint64_t{ring.writeOffset} + bytes) % ring.length);
    ring.filled.fetch_add(static_cast<std::int32_t>(bytes));
}

const std::uint8_t* ringReadPosition(TPCircularBuffer& ring, std::uint32_t* availableBytes) {
    const std::int32_t filled = ring.buffer ? ring.filled.load() : 0;
    *availableBytes = static_cast<std::uint32_t>(filled);
    return filled > 0 ? ring.buffer + ring.readOffset : nullptr;
}

void ringConsume(TPCircularBuffer& ring, std::uint32_t bytes) {
    if (!ring.buffer || bytes == 0) return;
    ring.readOffset = static_cast<std::uint32_t>((std::uint64_t{ring.readOffset} + bytes) % ring.length);
    ring.filled.fetch_sub(static_cast<std::int32_t>(bytes));
}

}  // namespace pulvan::au
