#pragma once
#include "platform/foundation/observable.h"
#include "platform/foundation/uuid.h"

#include <map>
#include <set>

namespace pulvan::store {

// The fast-changing playback display, kept apart from the store so that the
// 33 ms polls notify only the views that observe it. Main thread only.
class PlayheadState {
public:
    PlayheadState() = default;
    PlayheadState(const PlayheadState&) = delete;
    PlayheadState& operator=(const PlayheadState&) = delete;

    // Emitted after any field below changed.
    foundation::Signal<> didChange;

    // The engine's global step per track; a track without an entry shows no playhead.
    foundation::Observable<std::map<foundation::Uuid, int>> globalStepByTrackID{{}, &didChange};
    // MIDI notes sounding on the active track.
    foundation::Observable<std::set<int>> activeTrackNotes{{}, &didChange};
    // Tracks with at least one sounding note.
    foundation::Observable<std::set<foundation::Uuid>> noteActiveTrackIDs{{}, &didChange};
    // Progress 0...1 through the measure at whose end an armed resync happens.
    foundation::Observable<double> resyncMeasureProgress{0.0, &didChange};
    // Progress 0...1 of the pending quantised scene launch.
    foundation::Observable<double> sceneSelectionProgress{0.0, &didChange};
    // Progress 0...1 of the pending quantised pattern launch.
    foundation::Observable<double> patternSelectionProgress{0.0, &didChange};
};

}  // namespace pulvan::store
