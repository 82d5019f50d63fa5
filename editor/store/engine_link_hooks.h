#pragma once
#include "editor/model/preset.h"
#include "platform/foundation/uuid.h"

#include <functional>

namespace pulvan::store {

// What the store's commands need of the engine link that only the link can do:
// quantised launches against the playing position, and replacing the whole
// document. The link installs them for its lifetime; each is optional, and an
// absent one declines (launches then apply at once) or does nothing.
struct EngineLinkHooks {
    // Makes a scene launch pending at the next launch boundary; false when no
    // position is known.
    std::function<bool(int sceneIndex)> scheduleSceneSelection;
    // Makes a pattern launch pending; false when not playing or no position is known.
    std::function<bool(const foundation::Uuid& trackID, int patternIndex)> schedulePatternSelection;
    // Withdraws the pattern launch the standalone engine holds; a hosted engine's goes
    // through its own hook.
    std::function<void()> cancelStandalonePatternLaunch;
    // Applies a whole preset: selections, scene, arming, modal, dialog and dropdown
    // reset, a fresh undo history and a configuration refresh.
    std::function<void(model::Preset preset)> applyPreset;
};

}  // namespace pulvan::store
