#pragma once
// A Linux host's plug frame for editor tests: it answers resize requests as a
// host does (recording the size and the calling thread, then onSize on the
// view) and, when asked to, offers a run loop that the test turns on its own
// thread, which stands for the host's UI thread.
#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace kez::test {

class RunLoopFrame final : public Steinberg::IPlugFrame, public Steinberg::Linux::IRunLoop {
public:
    enum class Offers { runLoop, nothing };
    explicit RunLoopFrame(Offers offers = Offers::runLoop) : offersRunLoop_(offers == Offers::runLoop) {}
    ~RunLoopFrame();

    struct Resize {
        Steinberg::ViewRect rect;
        std::thread::id thread;
    };
    std::vector<Resize> resizes;
    // What the host does next, inside resizeView, after the view's onSize.
    std::function<void(Steinberg::IPlugView*)> whileResizing;

    // Calls the handlers whose descriptors are readable until `done` holds
    // or `timeout` passes; whether `done` held.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Turns the loop for `span`, for what must not happen.
    void runFor(std::chrono::milliseconds span);
    std::size_t handlerCount() const { return handlers_.size(); }
    Steinberg::uint32 references() const { return refs_; }

    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view, Steinberg::ViewRect* newSize) override;

    Steinberg::tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler* handler,
                                                       Steinberg::Linux::FileDescriptor fd) override;
    Steinberg::tresult PLUGIN_API unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
    Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler*, Steinberg::Linux::TimerInterval) override {
        return Steinberg::kNotImplemented;
    }
    Steinberg::tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler*) override { return Steinberg::kNotImplemented; }

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    // Owned by the test; the count shows what the plug-in still holds.
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs_; }
    Steinberg::uint32 PLUGIN_API release() override { return --refs_; }

private:
    struct Registration {
        Steinberg::Linux::IEventHandler* handler;
        int fd;
    };
    bool turnOnce(std::chrono::milliseconds wait);

    bool offersRunLoop_;
    std::vector<Registration> handlers_;
    std::atomic<Steinberg::uint32> refs_{0};
};

}  // namespace kez::test
