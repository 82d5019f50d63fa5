#include "audiounit/app_play_engine.h"

#include "engine/engine_snapshot.h"

namespace pulvan::au {

void initAppPlayEngine(AppPlayEngine& e) noexcept {
    initMirroredRing(e.outgoingMIDIRing, kMIDIRingBytes);
    initMirroredRing(e.incomingMIDIRing, kMIDIRingBytes);
    setDefaultAppPlayConfig(e.currentConfig);
    e.timeline.playing = engine::defaultSnapshot();
    e.voices.legatoOverlapQN = engine::kInitialLegatoOverlapQN;
    e.resyncTargetBar.store(kNoStep);
    e.sampleRate.store(44100.0);
    initRecorder(e.recorder);
    AppPlayRenderState& r = e.renderState;
    r.configSequenceAtRebuild = kNeverSeen;
    r.sceneSequenceAtRebuild = kNeverSeen;
    r.patternSequenceAtRebuild = kNeverSeen;
    r.resyncBeatAtRebuild = -1.0;
}

void releaseAppPlayEngine(AppPlayEngine& e) noexcept {
    releaseMirroredRing(e.outgoingMIDIRing);
    releaseMirroredRing(e.incomingMIDIRing);
}

}  // namespace pulvan::au
