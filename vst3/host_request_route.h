#pragma once
// What the editor side asks of the host, on its way from the editor thread,
// where the editor asks, to the host's UI thread, the only thread on which a
// host lets us call its plug frame or its component handler. The editor thread
// leaves the newest request and wakes the view that listens; the view collects
// the request on the UI thread.
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

namespace kez {

template <typename Request>
class HostRequestRoute {
public:
    // Any thread. Replaces a request not collected yet; dropped while no view listens.
    void request(Request value) {
        std::lock_guard lock(mutex_);
        if (!listener_) return;
        const bool wasWaiting = pending_.has_value();
        pending_ = std::move(value);
        // Under the lock, so that stopListening() returning means no wake is under way.
        if (!wasWaiting) wake_();
    }

    // UI thread. `wake` runs on the requesting thread, once for each request that
    // finds nothing waiting. A later listener takes over from an earlier one.
    void listen(const void* listener, std::function<void()> wake) {
        std::lock_guard lock(mutex_);
        listener_ = listener;
        wake_ = std::move(wake);
        pending_.reset();
    }

    // UI thread. Once it returns, the listener is never woken again.
    void stopListening(const void* listener) {
        std::lock_guard lock(mutex_);
        if (listener_ != listener) return;
        listener_ = nullptr;
        wake_ = nullptr;
        pending_.reset();
    }

    // UI thread: the waiting request, when `listener` is the one listening.
    std::optional<Request> collect(const void* listener) {
        std::lock_guard lock(mutex_);
        if (listener_ != listener) return std::nullopt;
        return std::exchange(pending_, std::nullopt);
    }

private:
    std::mutex mutex_;
    const void* listener_ = nullptr;
    std::function<void()> wake_;
    std::optional<Request> pending_;
};

struct EditorSize {
    double width = 0;
    double height = 0;
};
using EditorResizeRoute = HostRequestRoute<EditorSize>;

// An edit of the preset that the host keeps in its project: the host marks the project modified.
struct PresetEdit {};
using PresetEditRoute = HostRequestRoute<PresetEdit>;

}  // namespace kez
