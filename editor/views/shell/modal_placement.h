#pragma once
// Where the modal host puts each modal: its preferred width, whether it sits under the control that
// opened it or in the middle, whether the editor behind it is dimmed, and which accent it draws in.
#include "editor/store/editor_modes.h"
#include "platform/ui/geometry.h"

#include <optional>

namespace pulvan::views {

enum class ModalPlacementKind { anchored, centred };
enum class ModalAccentSource { global, activeTrack };

struct ModalPresentation {
    double preferredWidth;
    ModalPlacementKind placement;
    bool dimmedBackdrop;  // dimmed, and a tap on it closes the modal
    ModalAccentSource accent;
};

ModalPresentation modalPresentation(store::KezModal modal);

struct ModalPlacementInput {
    ui::Size overlay;                // the overlay over the design-size editor
    std::optional<ui::Rect> anchor;  // the opening control's bounds in the overlay, when published
    double preferredWidth = 0;
    double measuredHeight = 0;  // 0 until the modal has been measured
    double margin = 16;
    double gap = 6;
};

// The top-left corner of an anchored modal: under its anchor, pulled left to end at the right margin,
// and kept above the bottom margin once its height is known (never above the top margin).
ui::Point modalPanelPlacement(const ModalPlacementInput& input);

}  // namespace pulvan::views
