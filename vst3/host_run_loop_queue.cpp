#include "vst3/host_run_loop_queue.h"

#include <mutex>
#include <set>
#include <utility>

using namespace Steinberg;

namespace kez {
namespace {

// The queues in a run loop. Never destroyed: a host may leave the module from its exit handlers.
struct Joined {
    std::mutex mutex;
    std::set<HostRunLoopQueue*> queues;
};

Joined& joined() {
    static auto* kept = new Joined;
    return *kept;
}

}  // namespace

// What the run loop calls when the queue's descriptor is readable. The host
// may hold it longer than the queue lives: then it does nothing. Work that
// closes the queue while it runs leaves the queue alive until the pump ends.
class HostRunLoopQueue::Handler : public FObject, public Linux::IEventHandler {
public:
    explicit Handler(std::shared_ptr<pulvan::foundation::MainQueue> queue) : queue_(std::move(queue)) {}
    void PLUGIN_API onFDIsSet(Linux::FileDescriptor) SMTG_OVERRIDE {
        if (const auto queue = queue_) queue->pump();
    }
    void forgetQueue() { queue_.reset(); }

    OBJ_METHODS(Handler, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(Linux::IEventHandler)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    std::shared_ptr<pulvan::foundation::MainQueue> queue_;
};

std::unique_ptr<HostRunLoopQueue> HostRunLoopQueue::open(IPlugFrame* frame) {
    if (!frame) return nullptr;
    FUnknownPtr<Linux::IRunLoop> runLoop(frame);
    if (!runLoop) return nullptr;
    std::unique_ptr<HostRunLoopQueue> opened(new HostRunLoopQueue);
    if (opened->queue_->wakeFileDescriptor() < 0) return nullptr;
    auto handler = owned(new Handler(opened->queue_));
    if (runLoop->registerEventHandler(handler, opened->queue_->wakeFileDescriptor()) != kResultOk) {
        handler->forgetQueue();
        return nullptr;
    }
    opened->runLoop_ = runLoop;
    opened->handler_ = handler;
    std::lock_guard lock(joined().mutex);
    joined().queues.insert(opened.get());
    return opened;
}

HostRunLoopQueue::~HostRunLoopQueue() {
    std::lock_guard lock(joined().mutex);
    joined().queues.erase(this);
    leaveRunLoop();
}

void HostRunLoopQueue::leaveRunLoop() {
    if (!handler_) return;
    runLoop_->unregisterEventHandler(handler_);
    handler_->forgetQueue();
    handler_ = nullptr;
    runLoop_ = nullptr;
}

void HostRunLoopQueue::leaveEveryRunLoop() {
    std::lock_guard lock(joined().mutex);
    for (HostRunLoopQueue* queue : joined().queues) queue->leaveRunLoop();
    joined().queues.clear();
}

}  // namespace kez
