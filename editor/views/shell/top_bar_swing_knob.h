#pragma once
// The top bar's rotary swing control: 50 (off) to 75 percent on a fine scale of knob steps, a 270-degree
// arc, and vertical drags that report a swing on every movement. The owner holds the swing.
#include "platform/ui/view.h"

#include <functional>

namespace pulvan::views {

struct TopBarSwingKnob {
    int value = 50;
    std::function<void(int)> onChange;
    std::function<void()> onDragEnd;
    double size = 28;               // edge of the square dial
    double lineWidth = 2.1;         // of both arcs
    double dragSensitivity = 0.45;  // knob steps per point of vertical drag
    double labelWidth = 36;         // of the label and the whole control
    double knobStepCount = 100;     // the highest knob step, > 1

    ui::View body(ui::BuildContext& context) const;

    // Step 0 is swing 50; steps 1...knobStepCount cover 51...75.
    double stepForSwing(int swing) const;
    int swingForStep(double step) const;
};

}  // namespace pulvan::views
