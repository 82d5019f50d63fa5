#pragma once
// The preset browser: load or save presets, pick and manage folders. It keeps nothing of its own:
// everything it shows is the store's, and every control calls the store or the preset library.
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

// The whole window dimmed under a centred dialog; a tap on the dim closes it.
struct PresetDialogHost : ui::ViewModifiers<PresetDialogHost> {
    ui::View body(ui::BuildContext& context) const;
};

struct PresetDialog : ui::ViewModifiers<PresetDialog> {
    ui::Size availableSize;

    // min(960, max(720, 82 % of the width)) x min(620, max(410, 74 % of the height)).
    static ui::Size panelSize(ui::Size available);

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
