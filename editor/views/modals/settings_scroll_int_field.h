#pragma once
// A small integer field changed by dragging vertically over it, in whole steps within a closed range. It
// previews while the pointer moves and tells its owner once, when the drag ends; a double tap restores the
// reset value.
#include "platform/ui/view_modifiers.h"

#include <functional>

namespace pulvan::views {

struct SettingsScrollIntField : ui::ViewModifiers<SettingsScrollIntField> {
    struct ClosedRange {
        int lower = 0;
        int upper = 0;
    };

    int value = 0;
    ClosedRange range;
    int step = 1;  // counted from the lower bound; above 0
    int resetValue = 0;
    std::function<void(int)> onCommit;
    double pixelsPerStep = 10;  // above 0

    static constexpr double doubleTapWindowSeconds = 0.35;
    static constexpr double tapMovementLimit = 8;

    // x held to the range, then to the nearest step from the lower bound (halves away from zero).
    int snapped(int x) const;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
