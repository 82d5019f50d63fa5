#pragma once
// The processor's engine as the controller and its editor views reach it, with
// the routes on which the editor side's requests reach the host. The controller
// empties the handle when the engine goes away, so a view that the host keeps
// longer never touches the freed engine.
#include "engine/sequencer_engine.h"
#include "vst3/host_request_route.h"

#include <functional>
#include <memory>

namespace kez {

struct EngineHandle {
    pulvan::engine::SequencerEngine* engine = nullptr;
    // Where the engine's resize callback leaves the editor's requests for the views.
    EditorResizeRoute resizeRequests;
    // Where the editor side leaves its edits of the preset for the views.
    PresetEditRoute presetEdits;
    // UI thread: tells the host that its project was edited. Set by the
    // controller while its editor side runs on this engine.
    std::function<void()> markProjectModified;
};

using SharedEngineHandle = std::shared_ptr<EngineHandle>;

// A handle on `engine` whose resize callback feeds the handle's route. Made
// before the editor side starts on the engine, so the callback is in place
// before the editor thread can call it.
SharedEngineHandle makeEngineHandle(pulvan::engine::SequencerEngine* engine);

// Takes the engine out of the handle and its callback out of the engine. Only
// once the editor side has stopped: the editor thread calls the callback.
void forgetEngine(EngineHandle& handle);

}  // namespace kez
