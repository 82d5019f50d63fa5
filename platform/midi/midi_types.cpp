#include "platform/midi/midi_types.h"

#include <chrono>

namespace pulvan::midi {

Timestamp now() noexcept {
    return static_cast<Timestamp>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

}  // namespace pulvan::midi
