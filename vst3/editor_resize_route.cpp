#include "vst3/editor_resize_route.h"

#include <utility>

namespace kez {

void EditorResizeRoute::request(double width, double height) {
    std::lock_guard lock(mutex_);
    if (!listener_) return;
    const bool wasWaiting = pending_.has_value();
    pending_ = EditorSize{width, height};
    // Under the lock, so that stopListening() returning means no wake is under way.
    if (!wasWaiting) wake_();
}

void EditorResizeRoute::listen(const void* listener, std::function<void()> wake) {
    std::lock_guard lock(mutex_);
    listener_ = listener;
    wake_ = std::move(wake);
    pending_.reset();
}

void EditorResizeRoute::stopListening(const void* listener) {
    std::lock_guard lock(mutex_);
    if (listener_ != listener) return;
    listener_ = nullptr;
    wake_ = nullptr;
    pending_.reset();
}

std::optional<EditorSize> EditorResizeRoute::collect(const void* listener) {
    std::lock_guard lock(mutex_);
    if (listener_ != listener) return std::nullopt;
    return std::exchange(pending_, std::nullopt);
}

}  // namespace kez
