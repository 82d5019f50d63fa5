#pragma once
// The processor's engine as the controller and its editor views reach it.
// The controller empties the handle when the engine goes away, so a view that
// the host keeps longer never touches the freed engine.
#include <memory>

#include "engine/sequencer_engine.h"
#include "vst3/editor_resize_route.h"

namespace kez {

struct EngineHandle {
    pulvan::engine::SequencerEngine* engine = nullptr;
    // Where the engine's resize callback leaves the editor's requests for the views.
    EditorResizeRoute resizeRequests;
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
