#pragma once
#include <shared_mutex>
#include <utility>

namespace pulvan::link {

// The engines alive in this process. An engine's address reaches the editor
// side in a message, so every call through it first checks that the engine is
// still here; an engine leaves before its memory goes, and leaving waits for a
// call in progress to end.
class LiveEngines {
public:
    static void enter(const void* engine);
    static void leave(const void* engine);
    static bool contains(const void* engine);

    // Runs `call` while the engine cannot leave; false (and nothing run) when the
    // address is not a live engine.
    template <typename Call>
    static bool whileLive(const void* engine, Call&& call) {
        std::shared_lock lock(mutex());
        if (!containsLocked(engine)) return false;
        std::forward<Call>(call)();
        return true;
    }

private:
    static std::shared_mutex& mutex();
    static bool containsLocked(const void* engine);
};

// Membership for as long as it lives: the engine's owner declares it after the
// engine, so it is destroyed first.
class LiveEngineRegistration {
public:
    explicit LiveEngineRegistration(const void* engine) : engine_(engine) { LiveEngines::enter(engine_); }
    ~LiveEngineRegistration() { LiveEngines::leave(engine_); }
    LiveEngineRegistration(const LiveEngineRegistration&) = delete;
    LiveEngineRegistration& operator=(const LiveEngineRegistration&) = delete;

private:
    const void* engine_;
};

}  // namespace pulvan::link
