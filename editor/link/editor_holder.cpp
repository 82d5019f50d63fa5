#include "editor/link/editor_holder.h"

#include "editor/link/live_engines.h"

namespace pulvan::link {

KezVst3EditorHolder* KezVst3EditorHolder::create(const KezVst3EngineHooks& hooks) {
    if (!LiveEngines::contains(hooks.engine)) return nullptr;
    auto* holder = new KezVst3EditorHolder();
    try {
        holder->thread_.runSync([&] { holder->composition_ = EditorComposition::hosted(hooks, holder->thread_.queue()); });
    } catch (const std::exception&) {
        // Nothing may escape into the host: the plug-in then plays without an editor side.
        delete holder;
        return nullptr;
    }
    return holder;
}

void KezVst3EditorHolder::release() {
    if (references_.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    // After the editor thread has ended, what lived on it is left alone: the process is on its way out.
    if (!thread_.ended()) delete this;
}

KezVst3EditorHolder::~KezVst3EditorHolder() {
    if (composition_) thread_.runSync([this] { composition_.reset(); });
}

}  // namespace pulvan::link
