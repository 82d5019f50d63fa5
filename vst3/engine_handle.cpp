#include "vst3/engine_handle.h"

#include "editor/link/live_engines.h"

namespace kez {

SharedEngineHandle makeEngineHandle(pulvan::engine::SequencerEngine* engine) {
    auto handle = std::make_shared<EngineHandle>();
    handle->engine = engine;
    if (engine) {
        // Shares the handle's life, so views that outlive the controller keep a live route.
        std::shared_ptr<EditorResizeRoute> route(handle, &handle->resizeRequests);
        engine->editorResizeCallback = [route](double width, double height) { route->request({width, height}); };
    }
    return handle;
}

void forgetEngine(EngineHandle& handle) {
    // An engine whose processor went without a word is not touched.
    auto* engine = handle.engine;
    pulvan::link::LiveEngines::whileLive(engine, [engine] { engine->editorResizeCallback = nullptr; });
    handle.engine = nullptr;
}

}  // namespace kez
