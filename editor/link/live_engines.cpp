#include "editor/link/live_engines.h"

#include <mutex>
#include <set>

namespace pulvan::link {

namespace {

// Never destroyed: an editor thread may still ask while the process exits and its statics go.
std::set<const void*>& engines() {
    static auto* set = new std::set<const void*>;
    return *set;
}

}  // namespace

std::shared_mutex& LiveEngines::mutex() {
    static auto* m = new std::shared_mutex;
    return *m;
}

bool LiveEngines::containsLocked(const void* engine) { return engine && engines().count(engine) > 0; }

void LiveEngines::enter(const void* engine) {
    if (!engine) return;
    std::unique_lock lock(mutex());
    engines().insert(engine);
}

void LiveEngines::leave(const void* engine) {
    std::unique_lock lock(mutex());
    engines().erase(engine);
}

bool LiveEngines::contains(const void* engine) {
    std::shared_lock lock(mutex());
    return containsLocked(engine);
}

}  // namespace pulvan::link
