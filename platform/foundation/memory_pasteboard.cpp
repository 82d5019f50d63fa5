#include "platform/foundation/pasteboard.h"

#include <algorithm>

namespace pulvan::foundation {

void MemoryPasteboard::clearContents() {
    std::lock_guard lock(mutex_);
    items_.clear();
}

bool MemoryPasteboard::setData(const std::string& type, std::vector<std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& item) { return item.first == type; });
    if (it != items_.end()) {
        it->second = std::move(bytes);
    } else {
        items_.emplace_back(type, std::move(bytes));
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> MemoryPasteboard::data(const std::string& type) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& item) { return item.first == type; });
    if (it == items_.end()) return std::nullopt;
    return it->second;
}

bool MemoryPasteboard::offers(const std::string& type) {
    std::lock_guard lock(mutex_);
    return std::any_of(items_.begin(), items_.end(), [&](const auto& item) { return item.first == type; });
}

}  // namespace pulvan::foundation
