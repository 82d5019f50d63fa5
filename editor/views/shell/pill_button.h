#pragma once
// The top bar's text button: lit when active, or filled from one edge by a progress, with an optional
// record dot before its text.
#include "editor/views/shell/theme.h"
#include "platform/ui/view.h"

#include <functional>
#include <optional>
#include <string>

namespace pulvan::views {

struct PillButton {
    std::string text;
    bool active = false;
    std::optional<double> progress;  // none: no progress bar
    Color accentColor;
    bool progressFromTrailing = false;
    bool showsRecordIcon = false;
    Color recordIconFillColor = recordRedColor;
    double recordIconFillOpacity = 1;
    bool allowSecondaryTouches = false;
    std::function<void()> onPressStart;
    std::function<void()> onPressEnd;
    std::function<void()> action;  // none: shown the same, takes no input

    ui::View body(ui::BuildContext& context) const;
};

// The record dot: a filled circle that takes its size from its frame.
struct RecordOutlineIcon {
    Color color;
    double opacity = 1;  // clamped to 0...1

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
