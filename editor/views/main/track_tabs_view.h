#pragma once
// The strip of track tabs between the top bar and the editing card: choose, add, rename and delete tracks.
#include "editor/store/sequencer_store.h"
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

struct TrackTabsView : ui::ViewModifiers<TrackTabsView> {
    double spacing = 3;
    double maxTabWidth = 174;
    double addButtonWidth = 90;
    double tabHeight = 38;

    ui::View body(ui::BuildContext& context) const;
};

// A thin bar that shows while the track sounds a note.
struct MIDIActivityIndicator : ui::ViewModifiers<MIDIActivityIndicator> {
    bool isActive = false;
    double scale = 1;

    ui::View body(ui::BuildContext& context) const;
};

// The track's MIDI channel on a capsule.
struct TabChannelBadge : ui::ViewModifiers<TabChannelBadge> {
    int channel = 1;
    double scale = 1;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
