#pragma once
// A small tooltip above a control while a mode is armed; it draws over neighbouring views and lets
// touches through.
#include "platform/ui/geometry.h"
#include "platform/ui/view.h"

#include <string>

namespace pulvan::views {

struct ArmedTooltipModifier {
    std::string text;
    bool visible = false;
    double yOffset = 0;  // how far the tooltip's top edge sits above the control's
    // Centred over the control; a control at a panel's trailing edge lines the tooltip up with its
    // own trailing edge instead, so the panel does not cut the text.
    ui::UnitPoint alignment = ui::unit::top;

    ui::View operator()(ui::View content) const;
};

}  // namespace pulvan::views
