#pragma once
// A chord scene held for audition: its notes sound from the press to its end, on the channel they
// started on.
#include "editor/store/sequencer_store.h"

#include <optional>
#include <vector>

namespace pulvan::views {

struct SceneAudition {
    bool pressed = false;
    std::vector<int> notes;
    std::optional<int> channel;

    // Sounds scene i's distinct notes, lowest first, while audition is on and no scene mode is armed.
    void start(store::SequencerStore& store, int scene, bool auditionEnabled);
    // Note-offs for what start sounded; nothing when nothing is held.
    void end(store::SequencerStore& store);
};

}  // namespace pulvan::views
