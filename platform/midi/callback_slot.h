#pragma once
#include <functional>
#include <mutex>
#include <utility>

namespace pulvan::midi {

// A callback that its owner can switch off: once close() returns, the callback
// is not running and never runs again. close() from inside the callback itself
// is allowed (the mutex is recursive for that) and stops later calls.
template <typename... Args>
class CallbackSlot {
public:
    explicit CallbackSlot(std::function<void(Args...)> callback) : callback_(std::move(callback)) {}

    void invoke(Args... args) {
        std::lock_guard lock(mutex_);
        if (open_ && callback_) callback_(args...);
    }

    void close() {
        std::lock_guard lock(mutex_);
        open_ = false;
    }

private:
    std::recursive_mutex mutex_;
    bool open_ = true;
    std::function<void(Args...)> callback_;
};

}  // namespace pulvan::midi
