#pragma once
#include "platform/foundation/main_queue.h"
#include "platform/x11/event_loop.h"

#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>

namespace pulvan::link {

// The thread that one plug-in instance's editor side lives on: its store, timers,
// poll and the editor's window run in this thread's event loop. Calls from the
// plug-in's classes are handed to it and waited for; the audio thread never calls here.
//
// No editor thread outlives the module or runs on while the process exits: both end
// every editor thread (endAll). An ended thread runs nothing more, and what lived on
// it is left as it is, since the statics it used may be gone.
class EditorThread {
public:
    EditorThread();
    // Stops the loop and joins; work still queued is dropped.
    ~EditorThread();
    EditorThread(const EditorThread&) = delete;
    EditorThread& operator=(const EditorThread&) = delete;

    foundation::MainQueue& queue() { return queue_; }
    // Editor thread only.
    x11::EventLoop& loop() { return loop_; }
    bool isCurrent() const { return std::this_thread::get_id() == id_; }
    bool ended() const;

    // Runs `work` on the editor thread and returns its result (or rethrows);
    // runs it inline when called from the editor thread itself. On an ended
    // thread nothing runs and the result is a default one.
    template <typename Work>
    auto runSync(Work&& work) -> std::invoke_result_t<Work&> {
        using Result = std::invoke_result_t<Work&>;
        if (isCurrent()) return work();
        std::packaged_task<Result()> task(std::forward<Work>(work));
        auto result = task.get_future();
        if (!post([&task] { task(); })) return Result();
        // A thread ended meanwhile drops what was queued; its caller stops waiting.
        while (result.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
            if (ended()) return Result();
        return result.get();
    }

    // Ends every editor thread of the process (the module's exit, the process's exit).
    static void endAll();
    // Whether the process's exit has begun (its handlers have ended the editor threads): the module's
    // statics may be going, so what a host still releases must not reach them.
    static bool processIsExiting();
    // Makes sure the process's exit ends the editor threads before the statics that exist by now are
    // destroyed (exit handlers run newest first).
    static void endAllBeforeExitHandlersSoFar();

private:
    bool post(std::function<void()> work);
    void end();

    foundation::MainQueue queue_;
    x11::EventLoop loop_{queue_};
    mutable std::mutex lifeMutex_;
    bool ended_ = false;
    std::thread thread_;
    std::thread::id id_;
};

}  // namespace pulvan::link
