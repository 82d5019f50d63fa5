#pragma once
// What the main screen's view tests share: a store on screen, a track count, a dialog answered.
#include "editor/store/sequencer_store.h"
#include "platform/ui/view.h"

#include <string>

namespace pulvan::views {

// The view with the store and its playhead installed, as the editor installs them.
inline ui::View onScreen(ui::View view, store::SequencerStore& store) {
    return view.environmentObject(store).environmentObject(store.playhead);
}

// Adds or deletes tracks at the end until the preset holds that many; the history starts again.
inline void setTrackCount(store::SequencerStore& store, int count) {
    while (static_cast<int>(store.preset->tracks.size()) < count) store.addTrack();
    while (static_cast<int>(store.preset->tracks.size()) > count) store.deleteTrack(static_cast<int>(store.preset->tracks.size()) - 1);
    store.resetHistory();
}

// Confirms the open dialog as its view does: cleared first, then its action with the typed text.
inline void confirmDialog(store::SequencerStore& store, const std::string& text) {
    const store::DialogRequest request = *store.dialog.get();
    store.dialog.set(std::nullopt);
    if (request.onConfirm) request.onConfirm(text);
}

}  // namespace pulvan::views
