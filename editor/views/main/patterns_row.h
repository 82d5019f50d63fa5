#pragma once
// The foot row: the active track's eight pattern slots, the launch quantisation, the 303 generator,
// and copy, swap and clear of the active pattern.
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

struct PatternsRow : ui::ViewModifiers<PatternsRow> {
    static constexpr double armedOpacity = 0.45;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
