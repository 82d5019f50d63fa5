#pragma once
#include <vector>

namespace pulvan::views {

// The notes-pool modal's request that the keyboard bring a changed pool into view; a new token makes a
// new request even for the same pools.
struct KeyboardScrollRequest {
    int token = 0;
    std::vector<int> fromPool;
    std::vector<int> toPool;
    friend bool operator==(const KeyboardScrollRequest&, const KeyboardScrollRequest&) = default;

    // The request that follows a pool change, or this one when the pool stayed as it was.
    KeyboardScrollRequest following(const std::vector<int>& before, const std::vector<int>& after) const {
        if (before == after) return *this;
        return {token + 1, before, after};
    }
};

}  // namespace pulvan::views
