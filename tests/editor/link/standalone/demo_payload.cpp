#include "tests/editor/link/standalone/demo_payload.h"

namespace pulvan::link::test {

store::HostedAppPlayPayload demoPayload() {
    constexpr int kSteps = 64, kChordSlots = 17, kUsedSteps = 8;
    store::HostedAppPlayPayload p;
    p.trackCount = 1;
    p.resolutions = {8};
    for (auto* lastSteps : {&p.lastSteps, &p.tieLastSteps, &p.notesLastSteps, &p.octaveLastSteps, &p.velocityLastSteps, &p.lengthLastSteps,
                            &p.probabilityLastSteps, &p.ccALastSteps, &p.ccBLastSteps}) {
        *lastSteps = {kUsedSteps};
    }
    p.gateSteps.assign(kSteps, 1);
    p.velocitySteps.assign(kSteps, 90);
    p.lengthSteps.assign(kSteps, 60);
    p.noteStepChordCounts.assign(kSteps, 1);
    p.noteStepChordValues.assign(kSteps * kChordSlots, 0);
    for (int step = 0; step < kUsedSteps; ++step) {
        p.gateSteps[step] = (step == 3 || step == 6) ? 0 : 1;
        p.velocitySteps[step] = (step == 0 || step == 4) ? 110 : 90;
        p.noteStepChordValues[step * kChordSlots] = step;  // a pool index; past the pool it wraps
    }
    p.notePool = {48, 60, 63, 67, 70};
    return p;
}

const std::vector<DemoNote>& demoBar() {
    static const std::vector<DemoNote> bar{{0.0, 48, 110}, {0.5, 60, 90}, {1.0, 63, 90}, {2.0, 70, 110}, {2.5, 48, 90}, {3.5, 63, 90}};
    return bar;
}

}  // namespace pulvan::link::test
