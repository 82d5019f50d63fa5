#pragma once
// The active track as the views read it: the track itself and its accent colour.
#include "editor/store/sequencer_store.h"
#include "platform/ui/color.h"

namespace pulvan::views {

// The track at the store's clamped active index; none without tracks.
const model::Track* activeTrack(const store::SequencerStore& store);

// The store's accent colour of the active track.
ui::Color activeAccent(const store::SequencerStore& store);

}  // namespace pulvan::views
