#include "editor/link/editor_thread.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <vector>

namespace pulvan::link {
namespace {

struct Registry {
    std::mutex mutex;
    std::vector<EditorThread*> threads;
};

std::atomic<bool> exiting{false};

void endAllAtExit() {
    exiting.store(true, std::memory_order_release);
    EditorThread::endAll();
}

// Never destroyed: the process's exit uses it after other statics are gone.
Registry& registry() {
    static auto* r = new Registry;
    return *r;
}

}  // namespace

EditorThread::EditorThread() : thread_([this] { loop_.run(); }), id_(thread_.get_id()) {
    {
        std::lock_guard lock(registry().mutex);
        registry().threads.push_back(this);
    }
    endAllBeforeExitHandlersSoFar();
}

EditorThread::~EditorThread() {
    {
        std::lock_guard lock(registry().mutex);
        std::erase(registry().threads, this);
    }
    end();
}

bool EditorThread::ended() const {
    std::lock_guard lock(lifeMutex_);
    return ended_;
}

bool EditorThread::post(std::function<void()> work) {
    std::lock_guard lock(lifeMutex_);
    if (ended_) return false;
    queue_.async(std::move(work));
    return true;
}

void EditorThread::end() {
    {
        std::lock_guard lock(lifeMutex_);
        ended_ = true;
    }
    loop_.stop();
    if (thread_.joinable() && !isCurrent()) thread_.join();
}

void EditorThread::endAll() {
    std::lock_guard lock(registry().mutex);
    for (EditorThread* thread : registry().threads) thread->end();
}

bool EditorThread::processIsExiting() { return exiting.load(std::memory_order_acquire); }

void EditorThread::endAllBeforeExitHandlersSoFar() { std::atexit(&endAllAtExit); }

}  // namespace pulvan::link
