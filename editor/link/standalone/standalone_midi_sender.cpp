#include "editor/link/standalone/standalone_midi_sender.h"

#include "editor/link/standalone/endpoint_matching.h"
#include "platform/midi/backend.h"
#include "platform/midi/endpoints.h"

namespace pulvan::link {

StandaloneMIDISender::StandaloneMIDISender() : backend_(midi::activeBackend()) {
    client_.emplace(kClientName);
    outputPort_.emplace(*client_, kPortName);
    setupWatch_ = std::make_unique<midi::Client>(kClientName, [this] { connectDestination(); });
    connectDestination();
}

StandaloneMIDISender::StandaloneMIDISender(Closed) {}

void StandaloneMIDISender::connectDestination() {
    std::lock_guard lock(choiceMutex_);
    choiceGeneration_.store(backend_->setupGeneration());
    const auto destination = resolveDestination();
    connected_.store(destination && outputPort_->connect(*destination));
}

void StandaloneMIDISender::send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    const std::uint8_t message[] = {status, data1, data2};
    sendMessage(message, midi::kSendNow);
}

bool StandaloneMIDISender::sendMessage(std::span<const std::uint8_t> bytes, midi::Timestamp deliverAt) {
    if (!outputPort_ || bytes.empty() || bytes.size() > 3) return false;
    if (backend_->setupGeneration() != choiceGeneration_.load()) connectDestination();
    return connected_.load() && outputPort_->sendToConnected(bytes, deliverAt);
}

std::optional<midi::Endpoint> StandaloneMIDISender::resolveDestination() const { return chooseDestination(midi::destinations()); }

}  // namespace pulvan::link
