#pragma once
// The active track's portamento ON or OFF value, changed by dragging vertically on the field; a whole drag
// is one undo step.
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

struct PortamentoValueScrubField : ui::ViewModifiers<PortamentoValueScrubField> {
    bool isOnValue = true;
    double pixelsPerUnit = 5;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
