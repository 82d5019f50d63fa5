#pragma once

namespace pulvan::store {

// The selected pattern slot (0-based) and 16-step page (0...3) of one track.
struct TrackSelection {
    int pattern = 0;
    int page = 0;

    friend bool operator==(const TrackSelection&, const TrackSelection&) = default;
};

}  // namespace pulvan::store
