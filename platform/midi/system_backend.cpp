#include "platform/midi/system_backend.h"

#include "platform/midi/alsa_backend.h"
#include "platform/midi/jack_backend.h"

#include <chrono>
#include <mutex>

namespace pulvan::midi {
namespace {

// While there is no MIDI system: a JACK server that starts is found within a second. Costs nothing
// while jack2's server is not there (see jackServerMayAnswer).
constexpr auto kProbeInterval = std::chrono::milliseconds(500);

class SystemBackend final : public Backend {
public:
    std::vector<Endpoint> sources() override {
        const auto chosen = current();
        return chosen ? chosen->sources() : std::vector<Endpoint>{};
    }
    std::vector<Endpoint> destinations() override {
        const auto chosen = current();
        return chosen ? chosen->destinations() : std::vector<Endpoint>{};
    }
    std::unique_ptr<OutputConnection> openOutput(const std::string& clientName, const std::string& portName) override {
        const auto chosen = current();
        return chosen ? chosen->openOutput(clientName, portName) : nullptr;
    }
    std::unique_ptr<InputConnection> openInput(const std::string& clientName, const std::string& portName, ReceiveFunction receive,
                                               HeldNotesFunction heldNotesAfterLoss) override {
        const auto chosen = current();
        return chosen ? chosen->openInput(clientName, portName, std::move(receive), std::move(heldNotesAfterLoss)) : nullptr;
    }
    std::unique_ptr<OutputConnection> openVirtualSource(const std::string& name) override {
        const auto chosen = current();
        return chosen ? chosen->openVirtualSource(name) : nullptr;
    }
    void closeOwnClients() override {
        std::shared_ptr<Backend> chosen;
        {
            std::lock_guard lock(mutex_);
            chosen = std::move(chosen_);
            nextProbe_ = {};
        }
        // Closes its clients as it goes, unless a port of ours still holds them.
        chosen.reset();
    }

private:
    std::shared_ptr<Backend> current() {
        std::lock_guard lock(mutex_);
        const auto time = std::chrono::steady_clock::now();
        if (!chosen_ && time >= nextProbe_) {
            nextProbe_ = time + kProbeInterval;
            // Not a client opened and closed again just to look: a client of ours closing while others
            // open makes jack2's libjack mix up their wake-ups (see JackClient::activate).
            chosen_ = openJackBackend();
            if (!chosen_) chosen_ = makeAlsaBackend();
        }
        return chosen_;
    }

    std::mutex mutex_;
    std::shared_ptr<Backend> chosen_;
    std::chrono::steady_clock::time_point nextProbe_{};
};

}  // namespace

std::shared_ptr<Backend> makeSystemBackend() { return std::make_shared<SystemBackend>(); }

}  // namespace pulvan::midi
