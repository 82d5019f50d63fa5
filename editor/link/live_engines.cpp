#include "editor/link/live_engines.h"

#include <mutex>
#include <set>

namespace pulvan::link {

namespace {

std::set<const void*>& engines() {
    static std::set<const void*> set;
    return set;
}

}  // namespace

std::shared_mutex& LiveEngines::mutex() {
    static std::shared_mutex m;
    return m;
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
