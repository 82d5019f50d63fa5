#pragma once
#include <cstdint>

namespace pulvan::test {

// Counts the heap allocations made by the calling thread while it is alive, and the bytes that the thread
// took and did not give back meanwhile: what a part running on it piles up.
// Link pulvan_test_support into the test: it replaces the global operator new.
class ScopedAllocationCount {
public:
    ScopedAllocationCount();
    ~ScopedAllocationCount();
    ScopedAllocationCount(const ScopedAllocationCount&) = delete;
    ScopedAllocationCount& operator=(const ScopedAllocationCount&) = delete;

    std::uint64_t count() const;
    std::int64_t heldBytes() const;

private:
    std::uint64_t startCount_;
    std::int64_t startHeldBytes_;
    bool wasCounting_;
};

}  // namespace pulvan::test
