#pragma once
// Inside a host the logo opens a list of zoom steps; a choice asks the host for that multiple of the
// design size, limited by the screen, and remembers the width.
#include "editor/store/sequencer_store.h"
#include "platform/ui/geometry.h"

#include <optional>
#include <vector>

namespace pulvan::views {

// 50 to 200 percent of the design size in steps of 25.
const std::vector<int>& hostedZoomOptions();

// The option nearest the scale the editor is drawn at; ties keep the smaller.
int currentHostedZoomOption(double hostedZoomScale);

// The window size for an option, within the screen's visible area (none: no screen).
ui::Size hostedZoomWindowSize(int option, std::optional<ui::Size> visibleArea);

// Asks the host for the option's size and keeps its width in the user preferences.
void applyHostedZoom(store::SequencerStore& store, int option, std::optional<ui::Size> visibleArea);

// Posts the list of options, anchored at the control that publishes its bounds under the anchor.
void presentHostedZoomDropdown(store::SequencerStore& store, const foundation::Uuid& anchor, double hostedZoomScale,
                               std::optional<ui::Size> visibleArea);

}  // namespace pulvan::views
