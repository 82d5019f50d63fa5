#include "vst3/echo_table.h"

#include <cmath>

namespace kez {

std::int64_t EchoTable::lifetimeSamples(double sampleRate) {
    if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) return 192000;
    return static_cast<std::int64_t>(sampleRate * 2.0);
}

void EchoTable::record(std::uint32_t tag, std::int64_t expiresAtSample) {
    entries_[writeCursor_ % kCapacity] = Entry{tag, expiresAtSample, false};
    ++writeCursor_;
}

bool EchoTable::consumeEcho(std::uint32_t tag, std::int64_t nowSample) {
    for (Entry& entry : entries_) {
        if (!entry.consumed && entry.tag == tag && entry.expiresAtSample >= nowSample) {
            entry.consumed = true;
            return true;
        }
    }
    return false;
}

}  // namespace kez
