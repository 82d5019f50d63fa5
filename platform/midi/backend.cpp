#include "platform/midi/backend.h"

#include "platform/midi/system_backend.h"

#include <mutex>
#include <utility>

namespace pulvan::midi {
namespace {

std::mutex& overrideMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<Backend>& installedBackend() {
    static std::shared_ptr<Backend> backend;
    return backend;
}

}  // namespace

std::shared_ptr<Backend> activeBackend() {
    {
        std::lock_guard lock(overrideMutex());
        if (installedBackend()) return installedBackend();
    }
    static const std::shared_ptr<Backend> machineBackend = makeSystemBackend();
    return machineBackend;
}

ScopedBackend::ScopedBackend(std::shared_ptr<Backend> backend) {
    std::lock_guard lock(overrideMutex());
    previous_ = std::exchange(installedBackend(), std::move(backend));
}

ScopedBackend::~ScopedBackend() {
    std::lock_guard lock(overrideMutex());
    installedBackend() = std::move(previous_);
}

}  // namespace pulvan::midi
