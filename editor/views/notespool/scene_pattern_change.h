#pragma once
// "Scene pattern change": per shown track, the pattern it switches to when the active scene launches,
// and the "Auto resync" chip.
#include "editor/store/sequencer_store.h"
#include "editor/views/notespool/notes_pool_layout.h"
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

// Tapping the chosen pattern clears the track's choice; another number replaces it.
void toggleScenePattern(store::SequencerStore& store, int track, int pattern);

struct ScenePatternChangeSection : ui::ViewModifiers<ScenePatternChangeSection> {
    NotesPoolLayout layout;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
