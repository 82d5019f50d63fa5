#pragma once
#include "editor/store/hosted_app_play_payload.h"

#include <cstdint>
#include <vector>

namespace pulvan::link::test {

// The demo configuration as a payload: one track of eight eighth notes from the pool
// {48, 60, 63, 67, 70}, rests on steps 3 and 6, accents on 0 and 4, each note 0.3 beats long.
store::HostedAppPlayPayload demoPayload();

struct DemoNote {
    double beat;
    int note;
    int velocity;
};

// The note-ons of one bar of the demo, in order; the bar repeats every four beats.
const std::vector<DemoNote>& demoBar();
inline constexpr double kDemoNoteLengthBeats = 0.3;

}  // namespace pulvan::link::test
