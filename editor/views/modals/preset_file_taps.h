#pragma once
// A tap on a file row of the preset browser. Loading starts a fresh undo history, so a load over
// unsaved edits asks first; with nothing unsaved the tap loads at once. In save mode a tap copies
// the name as always.
#include "editor/library/preset_library.h"
#include "editor/store/sequencer_store.h"

namespace pulvan::views {

void tapPresetFile(store::SequencerStore& store, library::PresetLibrary& library, const store::PresetDialogFileEntry& file);

}  // namespace pulvan::views
