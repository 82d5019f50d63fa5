#pragma once
// The quantisation of scene launches, shown as "1/16", "1/8", "1/4" or "1 bar", and the dropdown that
// changes it. Shared with the performance modal.
#include "editor/store/sequencer_store.h"
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

// The four values, each choosing itself through the store, anchored to the control that opened it.
store::DropdownRequest sceneLaunchResolutionDropdown(store::SequencerStore& store, foundation::Uuid anchorID, double width);

// The current value's label, a flexible space and a chevron.
struct SceneLaunchResolutionLabel : ui::ViewModifiers<SceneLaunchResolutionLabel> {
    ui::View body(ui::BuildContext& context) const;
};

// The label on a 30-point control of the given width that posts the dropdown. Its owner publishes the
// control's bounds under the anchor.
struct SceneLaunchResolutionButton : ui::ViewModifiers<SceneLaunchResolutionButton> {
    double width = 0;
    foundation::Uuid anchorID;
    double dropdownWidth = 98;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
