#pragma once
// This process's threads. A thread that was joined stays listed for a moment after (it is still on
// its way out of the kernel), so a count that must fall back is waited for, with a deadline.
#include "tests/support/count_falls.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <iterator>
#include <thread>

namespace pulvan::test {

inline std::size_t threadCount() {
    // A first thread started and joined beforehand lets helper threads that start with the first
    // thread (a sanitizer's) exist already.
    static const bool warmedUp = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)warmedUp;
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/task"), {}));
}

// Whether the count falls to `count` or below within `limit`.
inline bool threadCountFallsTo(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(2)) {
    return countFallsTo(threadCount, count, limit);
}

}  // namespace pulvan::test
