#pragma once
#include "editor/link/editor_bridge.h"
#include "editor/link/editor_composition.h"
#include "editor/link/editor_thread.h"
#include "engine/engine_hooks.h"

#include <atomic>
#include <memory>

namespace pulvan::link {

// What the plug-in's controller holds of its editor side: the editor thread
// and, on it, the hosted composition with the bridge and the store. Reference-counted: the controller
// holds one reference and each editor view another; the last release ends the
// bridge on its thread and then the thread. Never released from its own thread.
class KezVst3EditorHolder {
public:
    // Null when the table's engine is not a live engine.
    static KezVst3EditorHolder* create(const KezVst3EngineHooks& hooks);

    void retain() { references_.fetch_add(1, std::memory_order_relaxed); }
    void release();

    EditorThread& thread() { return thread_; }
    // Editor thread only.
    EditorComposition& composition() { return *composition_; }
    EditorBridge& bridge() { return *composition_->bridge(); }

private:
    KezVst3EditorHolder() = default;
    ~KezVst3EditorHolder();

    std::atomic<int> references_{1};
    EditorThread thread_;
    std::unique_ptr<EditorComposition> composition_;
};

}  // namespace pulvan::link
