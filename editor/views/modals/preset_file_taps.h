#pragma once
// Taps on the preset browser's file rows. Loading a preset starts a fresh undo history, so a load
// that replaced edited work would lose it for good. While the store can undo (there is work that
// may be unsaved), a single tap in load mode only highlights the row and a second tap on it within
// the double-tap time loads it and closes the dialog. With nothing to lose (at start-up, or right
// after a load) every tap loads at once, so browsing from one loaded preset to the next is
// unchanged; in save mode a tap copies the name as always.
#include "editor/library/preset_library.h"
#include "editor/store/sequencer_store.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pulvan::views {

class PresetFileTaps {
public:
    void tap(store::SequencerStore& store, library::PresetLibrary& library, const store::PresetDialogFileEntry& file,
             std::int64_t nowNanoseconds);

private:
    std::optional<std::string> guardedName_;  // the row a guarded single tap highlighted
    std::int64_t guardedTime_ = 0;
};

}  // namespace pulvan::views
