#include "tests/editor/link/standalone/host_rig.h"

#include "audiounit/registration.h"
#include "editor/link/standalone/app_play_arguments.h"
#include "tests/editor/link/standalone/demo_payload.h"

#include <thread>

namespace pulvan::link::test {

au::ComponentRegistry& sequencerRegistry() {
    static au::ComponentRegistry* registry = [] {
        auto* r = new au::ComponentRegistry;
        au::registerPulvanAudioUnit(*r);
        return r;
    }();
    return *registry;
}

std::unique_ptr<StandaloneEngineHost> makeDemoHost(StandaloneMIDISender& sender, const foundation::Clock& clock) {
    auto host = StandaloneEngineHost::create(sender, sequencerRegistry(), clock);
    if (!host) return host;
    const store::HostedAppPlayPayload payload = demoPayload();
    configureStandaloneAppPlay(host->audioUnit(), payload, {0});
    host->audioUnit().setAppPlayEnabled(true);
    return host;
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace pulvan::link::test
