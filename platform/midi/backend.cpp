#include "platform/midi/backend.h"

#include "platform/midi/system_backend.h"

#include <mutex>
#include <utility>

namespace pulvan::midi {
namespace {

// Never destroyed: a host may end the plug-in from its exit handlers, after the statics went.
struct Backends {
    std::mutex mutex;
    std::shared_ptr<Backend> installed;  // a ScopedBackend's
    std::shared_ptr<Backend> machine;    // made when first needed
};

Backends& backends() {
    static auto* kept = new Backends;
    return *kept;
}

}  // namespace

std::shared_ptr<Backend> activeBackend() {
    Backends& kept = backends();
    std::lock_guard lock(kept.mutex);
    if (kept.installed) return kept.installed;
    if (!kept.machine) kept.machine = makeSystemBackend();
    return kept.machine;
}

void forgetMachineBackend() {
    std::shared_ptr<Backend> machine;
    {
        Backends& kept = backends();
        std::lock_guard lock(kept.mutex);
        machine = std::move(kept.machine);
    }
    if (machine) machine->closeOwnClients();
}

ScopedBackend::ScopedBackend(std::shared_ptr<Backend> backend) {
    std::lock_guard lock(backends().mutex);
    previous_ = std::exchange(backends().installed, std::move(backend));
}

ScopedBackend::~ScopedBackend() {
    std::lock_guard lock(backends().mutex);
    backends().installed = std::move(previous_);
}

}  // namespace pulvan::midi
