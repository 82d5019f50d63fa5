#pragma once
// The editor's resize requests on their way from the editor thread, where the
// editor asks, to the host's UI thread, the only thread on which a host lets
// us call its plug frame. The editor thread leaves the newest size and wakes
// the view that listens; the view collects the size on the UI thread.
#include <functional>
#include <mutex>
#include <optional>

namespace kez {

struct EditorSize {
    double width = 0;
    double height = 0;
};

class EditorResizeRoute {
public:
    // Any thread. Replaces a size not collected yet; dropped while no view listens.
    void request(double width, double height);

    // UI thread. `wake` runs on the requesting thread, once for each size that
    // finds nothing waiting. A later listener takes over from an earlier one.
    void listen(const void* listener, std::function<void()> wake);
    // UI thread. Once it returns, the listener is never woken again.
    void stopListening(const void* listener);
    // UI thread: the waiting size, when `listener` is the one listening.
    std::optional<EditorSize> collect(const void* listener);

private:
    std::mutex mutex_;
    const void* listener_ = nullptr;
    std::function<void()> wake_;
    std::optional<EditorSize> pending_;
};

}  // namespace kez
