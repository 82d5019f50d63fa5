#pragma once
// Work handed to the host's UI thread through the run loop that a Linux host
// offers on its plug frame: our queue's wake-up descriptor is registered with
// the run loop, which calls us back on the UI thread, where the queued work runs.
#include "base/source/fobject.h"
#include "platform/foundation/main_queue.h"
#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/gui/iplugview.h"

#include <functional>
#include <memory>
#include <utility>

namespace kez {

class HostRunLoopQueue {
public:
    // Null when the frame offers no run loop or the run loop refuses us. UI thread.
    static std::unique_ptr<HostRunLoopQueue> open(Steinberg::IPlugFrame* frame);
    // Leaves the run loop; work still queued is dropped. UI thread.
    ~HostRunLoopQueue();
    HostRunLoopQueue(const HostRunLoopQueue&) = delete;
    HostRunLoopQueue& operator=(const HostRunLoopQueue&) = delete;

    // Any thread, while the queue exists: `work` runs on the UI thread.
    void post(std::function<void()> work) { queue_->async(std::move(work)); }

    // Every queue leaves its run loop, as the module is left: a host that still holds a view (one it
    // never detached) then holds nothing of ours in its run loop once the module is unmapped. UI thread.
    static void leaveEveryRunLoop();

private:
    class Handler;
    HostRunLoopQueue() = default;
    void leaveRunLoop();

    std::shared_ptr<pulvan::foundation::MainQueue> queue_ = std::make_shared<pulvan::foundation::MainQueue>();
    Steinberg::IPtr<Steinberg::Linux::IRunLoop> runLoop_;
    Steinberg::IPtr<Handler> handler_;
};

}  // namespace kez
