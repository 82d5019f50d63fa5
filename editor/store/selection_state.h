#pragma once
#include "editor/store/track_selection.h"
#include "platform/foundation/uuid.h"

#include <map>

namespace pulvan::store {

// What the editor shows of a preset besides the preset itself: each track's
// selected pattern slot and page, the chord scene and the active track.
struct SelectionState {
    std::map<foundation::Uuid, TrackSelection> selections;
    int activeSceneIndex = 0;
    int activeTrackIndex = 0;
};

}  // namespace pulvan::store
