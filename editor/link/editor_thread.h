#pragma once
#include "platform/foundation/main_queue.h"
#include "platform/x11/event_loop.h"

#include <future>
#include <thread>
#include <type_traits>
#include <utility>

namespace pulvan::link {

// The thread that one plug-in instance's editor side lives on: its store, timers,
// poll and the editor's window run in this thread's event loop. Calls from the
// plug-in's classes are handed to it and waited for; the audio thread never calls here.
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
    bool isCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }

    // Runs `work` on the editor thread and returns its result (or rethrows);
    // runs it inline when called from the editor thread itself.
    template <typename Work>
    auto runSync(Work&& work) -> std::invoke_result_t<Work&> {
        if (isCurrent()) return work();
        std::packaged_task<std::invoke_result_t<Work&>()> task(std::forward<Work>(work));
        auto result = task.get_future();
        queue_.async([&task] { task(); });
        return result.get();
    }

private:
    foundation::MainQueue queue_;
    x11::EventLoop loop_{queue_};
    std::thread thread_;
};

}  // namespace pulvan::link
