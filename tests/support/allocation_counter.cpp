#include "tests/support/allocation_counter.h"

#include <malloc.h>

#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

thread_local bool counting = false;
thread_local std::uint64_t allocations = 0;
thread_local std::int64_t bytesHeld = 0;

void* allocate(std::size_t size, std::size_t alignment) {
    if (counting) ++allocations;
    if (size == 0) size = 1;
    void* p = alignment > alignof(std::max_align_t) ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                                                    : std::malloc(size);
    if (counting && p) bytesHeld += static_cast<std::int64_t>(malloc_usable_size(p));
    return p;
}

void release(void* p) {
    if (counting && p) bytesHeld -= static_cast<std::int64_t>(malloc_usable_size(p));
    std::free(p);
}

}  // namespace

namespace pulvan::test {

ScopedAllocationCount::ScopedAllocationCount() : startCount_(allocations), startHeldBytes_(bytesHeld), wasCounting_(counting) {
    counting = true;
}
ScopedAllocationCount::~ScopedAllocationCount() { counting = wasCounting_; }
std::uint64_t ScopedAllocationCount::count() const { return allocations - startCount_; }
std::int64_t ScopedAllocationCount::heldBytes() const { return bytesHeld - startHeldBytes_; }

}  // namespace pulvan::test

void* operator new(std::size_t size) {
    if (void* p = allocate(size, 0)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, std::align_val_t al) {
    if (void* p = allocate(size, static_cast<std::size_t>(al))) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t al) { return operator new(size, al); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { release(p); }
