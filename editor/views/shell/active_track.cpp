#include "editor/views/shell/active_track.h"

#include "editor/views/shell/theme.h"

namespace pulvan::views {

const model::Track* activeTrack(const store::SequencerStore& store) {
    const auto& tracks = store.preset->tracks;
    if (tracks.empty()) return nullptr;
    return &tracks[static_cast<std::size_t>(store.clampedActiveTrackIndex())];
}

ui::Color activeAccent(const store::SequencerStore& store) { return colorFromHex(store.trackAccentColor(store.clampedActiveTrackIndex())); }

}  // namespace pulvan::views
