#include "engine/lane_position.h"

#include <algorithm>
#include <utility>

namespace pulvan::engine {
namespace {

std::int64_t floorMod(std::int64_t value, std::int64_t modulus) {
    const std::int64_t r = value % modulus;
    return r < 0 ? r + modulus : r;
}

std::int64_t floorDiv(std::int64_t value, std::int64_t divisor) {
    const std::int64_t q = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? q - 1 : q;
}

std::uint64_t trackKey(std::int32_t track) { return static_cast<std::uint64_t>(static_cast<std::int64_t>(track) + 1); }

std::uint64_t mixKey(std::uint64_t z) {
    z ^= z >> 30;
    z *= 0xBF58476D1CE4E5B9ull;
    z ^= z >> 27;
    z *= 0x94D049BB133111EBull;
    return z;
}

std::int32_t randomPosition(std::int64_t g, std::int64_t n, std::int32_t track) {
    std::uint64_t z = static_cast<std::uint64_t>(g) + trackKey(track) * 0x9E3779B97F4A7C15ull;
    z = mixKey(z);
    z = (z & 0x7FFFFFFFFFFFFFFFull) ^ (z >> 31);
    return static_cast<std::int32_t>(z % static_cast<std::uint64_t>(n));
}

constexpr std::int64_t kMaxShuffledSteps = 64;  // a lane holds at most 64 steps

// A fresh shuffle of all n positions in every cycle of n global steps.
std::int32_t smartRandomPosition(std::int64_t g, std::int64_t n, std::int32_t track) {
    const std::uint64_t cycle = static_cast<std::uint64_t>(floorDiv(g, n));
    const std::uint64_t seed =
        cycle - static_cast<std::uint64_t>(n) * 0x2E4AB5CD2E6D12FDull - trackKey(track) * 0x61C8864680B583EBull + 0x668593EDE4C3FEEEull;
    std::pair<std::uint64_t, std::int32_t> keys[kMaxShuffledSteps];
    for (std::int32_t i = 0; i < n; ++i) {
        const std::uint64_t z = mixKey(seed + static_cast<std::uint64_t>(i) * 0x94D049BB133111EBull);
        keys[i] = {z ^ (z >> 31), i};
    }
    // Pairs compare by key, then by the smaller index.
    const std::int64_t place = floorMod(g, n);
    std::nth_element(keys, keys + place, keys + n);
    return keys[place].second;
}

}  // namespace

std::int32_t lanePosition(std::int64_t globalStep, std::int32_t laneLength, std::int32_t direction, std::int32_t track) noexcept {
    const std::int64_t n = std::max(laneLength, 1);
    const std::int64_t g = globalStep;
    switch (direction) {
        case kDirectionBackward: return static_cast<std::int32_t>(n - 1 - floorMod(g, n));
        case kDirectionPingPong: {
            if (n < 2) return 0;
            const std::int64_t period = 2 * n - 2;
            const std::int64_t r = floorMod(g, period);
            return static_cast<std::int32_t>(r < n ? r : period - r);
        }
        case kDirectionPingPong2: {
            const std::int64_t period = 2 * n;
            const std::int64_t r = floorMod(g, period);
            return static_cast<std::int32_t>(r < n ? r : period - 1 - r);
        }
        case kDirectionRandom: return randomPosition(g, n, track);
        case kDirectionSmartRandom: return smartRandomPosition(g, std::min(n, kMaxShuffledSteps), track);
        default: return static_cast<std::int32_t>(floorMod(g, n));
    }
}

}  // namespace pulvan::engine
