#pragma once
// This process's open file descriptors: what a module or a connection leaves open shows here.
#include "tests/support/count_falls.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <iterator>

namespace pulvan::test {

inline std::size_t descriptorCount() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

// Whether the count falls to `count` or below within `limit` (another thread may still be closing).
inline bool descriptorCountFallsTo(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    return countFallsTo(descriptorCount, count, limit);
}

}  // namespace pulvan::test
