#include "tests/vst3/run_loop_frame.h"

#include <poll.h>

#include <algorithm>

using namespace Steinberg;

namespace kez::test {

RunLoopFrame::~RunLoopFrame() {
    for (const Registration& r : handlers_) r.handler->release();
}

tresult PLUGIN_API RunLoopFrame::resizeView(IPlugView* view, ViewRect* newSize) {
    if (!view || !newSize) return kInvalidArgument;
    resizes.push_back({*newSize, std::this_thread::get_id()});
    const tresult result = view->onSize(newSize);
    if (whileResizing) whileResizing(view);
    return result;
}

tresult PLUGIN_API RunLoopFrame::registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd) {
    if (!handler || fd < 0) return kInvalidArgument;
    handler->addRef();
    handlers_.push_back({handler, fd});
    return kResultOk;
}

tresult PLUGIN_API RunLoopFrame::unregisterEventHandler(Linux::IEventHandler* handler) {
    const auto found = std::find_if(handlers_.begin(), handlers_.end(), [&](const Registration& r) { return r.handler == handler; });
    if (found == handlers_.end()) return kInvalidArgument;
    found->handler->release();
    handlers_.erase(found);
    return kResultOk;
}

tresult PLUGIN_API RunLoopFrame::queryInterface(const TUID iid, void** obj) {
    if (FUnknownPrivate::iidEqual(iid, IPlugFrame::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        *obj = static_cast<IPlugFrame*>(this);
    } else if (offersRunLoop_ && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid)) {
        *obj = static_cast<Linux::IRunLoop*>(this);
    } else {
        *obj = nullptr;
        return kNoInterface;
    }
    addRef();
    return kResultOk;
}

bool RunLoopFrame::turnOnce(std::chrono::milliseconds wait) {
    std::vector<pollfd> fds;
    for (const Registration& r : handlers_) fds.push_back({r.fd, POLLIN, 0});
    if (fds.empty()) {
        std::this_thread::sleep_for(wait);
        return false;
    }
    if (poll(fds.data(), fds.size(), static_cast<int>(wait.count())) <= 0) return false;
    // A handler may unregister itself or others while it runs: look each one up again.
    for (const pollfd& ready : fds) {
        if (!(ready.revents & POLLIN)) continue;
        const auto found = std::find_if(handlers_.begin(), handlers_.end(), [&](const Registration& r) { return r.fd == ready.fd; });
        if (found != handlers_.end()) found->handler->onFDIsSet(ready.fd);
    }
    return true;
}

bool RunLoopFrame::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        turnOnce(std::chrono::milliseconds(10));
    }
    return true;
}

void RunLoopFrame::runFor(std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end) turnOnce(std::chrono::milliseconds(10));
}

}  // namespace kez::test
