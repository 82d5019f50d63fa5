#pragma once
// Waits, with a deadline, for a count of what the process holds to fall back: what another thread
// closes or joins shows a moment after.
#include <chrono>
#include <cstddef>
#include <thread>

namespace pulvan::test {

// Whether `count()` falls to `target` or below within `limit`.
template <typename Count>
bool countFallsTo(Count&& count, std::size_t target, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (count() > target) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace pulvan::test
