#include "engine/engine_snapshot.h"

namespace pulvan::engine {
namespace {

constexpr EngineSnapshot makeDefaultSnapshot() {
    EngineSnapshot s{};
    s.trackCount = 1;
    s.swingPercent = 50;
    for (TrackSnapshot& t : s.tracks) {
        t.resolution = 16;
        t.lastStep = t.tieLastStep = t.notesLastStep = t.octaveLastStep = t.velocityLastStep = 16;
        t.lengthLastStep = t.probabilityLastStep = t.ccALastStep = t.ccBLastStep = 16;
        t.ccANumber = 1;
        t.ccBNumber = 2;
        t.portamentoOnValue = 127;
        t.fillMode = 1;
    }
    return s;
}

constexpr EngineSnapshot makeDemoSnapshot() {
    EngineSnapshot s = makeDefaultSnapshot();
    TrackSnapshot& t = s.tracks[0];
    t.resolution = 8;
    t.lastStep = t.tieLastStep = t.notesLastStep = t.octaveLastStep = t.velocityLastStep = 8;
    t.lengthLastStep = t.probabilityLastStep = t.ccALastStep = t.ccBLastStep = 8;
    for (int step = 0; step < 8; ++step) {
        t.gate[step] = (step == 3 || step == 6) ? 0 : 1;
        t.velocity[step] = (step == 0 || step == 4) ? 110 : 90;
        t.length[step] = 60;
        t.chordCount[step] = 1;
        t.chordNotes[step][0] = step;  // a pool index
    }
    const int pool[] = {48, 60, 63, 67, 70};
    for (int i = 0; i < 5; ++i) s.notePool[i] = pool[i];
    s.notePoolCount = 5;
    return s;
}

constinit const EngineSnapshot kDefaultSnapshot = makeDefaultSnapshot();
constinit const EngineSnapshot kDemoSnapshot = makeDemoSnapshot();

}  // namespace

const EngineSnapshot& defaultSnapshot() noexcept { return kDefaultSnapshot; }
const EngineSnapshot& demoSnapshot() noexcept { return kDemoSnapshot; }

}  // namespace pulvan::engine
