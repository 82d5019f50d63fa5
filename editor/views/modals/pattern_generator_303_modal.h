#pragma once
// The 303 pattern generator: programs the active pattern step by step, pitches with octave, accent
// and slide in PITCH mode and gate, hold and rest in TIME mode, with accent velocities and a cursor.
// The programme is the store's; the modal keeps only what is held and where a drag started.
#include "platform/ui/view_modifiers.h"

#include <functional>
#include <optional>
#include <string>

namespace pulvan::views {

// "<title> <value>" with an up-down chevron; a vertical drag changes the value, 6 points a unit up.
struct PatternGenerator303VelocityControl : ui::ViewModifiers<PatternGenerator303VelocityControl> {
    std::string title;
    int value = 0;
    ui::State<std::optional<int>> dragStartValue;
    std::function<void(int)> setter;

    // The value a drag gives: start + round(-dy / 6), halves away from zero, held to 0...127.
    static int draggedValue(int start, double verticalTranslation);

    ui::View body(ui::BuildContext& context) const;
};

struct PatternGenerator303Modal : ui::ViewModifiers<PatternGenerator303Modal> {
    // min(max(granted width, 360), 940)
    static double panelWidth(double modalViewportWidth);

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
