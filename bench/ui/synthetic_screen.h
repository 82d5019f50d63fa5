#pragma once
// A screen of the main screen's size and density: a top bar, tabs, a sidebar and six lanes of sixteen
// steps, about 1,500 nodes and 300 text runs. Only the playhead cells observe the playhead.
#include "platform/foundation/signal.h"
#include "platform/ui/view.h"

#include <array>

namespace pulvan::bench {

struct SyntheticModel {
    foundation::Signal<> changed;   // a store change: the whole screen rebuilds
    foundation::Signal<> playhead;  // a playhead tick: only the readers rebuild
    std::array<std::array<int, 16>, 6> values{};
    int playheadColumn = 0;
};

ui::View syntheticScreen(SyntheticModel& model);

}  // namespace pulvan::bench
