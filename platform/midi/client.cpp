#include "platform/midi/client.h"

#include <vector>

#include "platform/midi/backend.h"
#include "platform/midi/dispatcher.h"

namespace pulvan::midi {

Client::Client(std::string name, std::function<void()> onSetupChanged)
    : name_(std::move(name)), backend_(activeBackend()), dispatcher_(Dispatcher::shared()) {
    if (onSetupChanged) {
        setupSlot_ = std::make_shared<SetupSlot>(std::move(onSetupChanged));
        dispatcher_->watchSetup(setupSlot_, backend_);
    }
}

Client::~Client() {
    if (setupSlot_) setupSlot_->close();
}

// Used only by deliveries, which the dispatcher runs one at a time.
struct OutputPort::Connection {
    std::shared_ptr<Backend> backend;
    std::string clientName;
    std::string portName;
    std::unique_ptr<OutputConnection> output;

    bool connect(const std::string& destinationAddress) {
        // Opened again when it failed, so that a MIDI system that starts late is still found.
        if (!output) output = backend->openOutput(clientName, portName);
        return output && output->connect(destinationAddress);
    }

    void send(const std::string& destinationAddress, std::span<const std::uint8_t> bytes) {
        if (connect(destinationAddress)) output->send(bytes);
    }
};

OutputPort::OutputPort(const Client& client, std::string name)
    : name_(std::move(name)),
      dispatcher_(client.dispatcher_),
      connection_(std::make_shared<Connection>(
          Connection{client.backend_, client.name_, name_, client.backend_->openOutput(client.name_, name_)})) {}

OutputPort::~OutputPort() { dispatcher_->flush(connection_.get()); }

bool OutputPort::send(const Endpoint& destination, std::span<const std::uint8_t> bytes, Timestamp deliverAt) {
    if (bytes.empty()) return false;
    // Connecting takes a while on some systems: do it now, not when the message is due.
    {
        std::lock_guard lock(sendMutex_);
        if (deliverAt != kSendNow && destination.address != lastDestination_) {
            dispatcher_->schedule(connection_.get(), kSendNow,
                                  [connection = connection_, address = destination.address] { connection->connect(address); });
        }
        lastDestination_ = destination.address;
    }
    dispatcher_->schedule(connection_.get(), deliverAt,
                          [connection = connection_, address = destination.address,
                           message = std::vector<std::uint8_t>(bytes.begin(), bytes.end())] {
                              connection->send(address, message);
                          });
    return true;
}

InputPort::InputPort(const Client& client, std::string name, ReadCallback onRead)
    : clientName_(client.name_),
      name_(std::move(name)),
      backend_(client.backend_),
      dispatcher_(client.dispatcher_),
      readSlot_(std::make_shared<ReadSlot>(std::move(onRead))) {}

InputPort::~InputPort() {
    {
        std::lock_guard lock(connectionsMutex_);
        connections_.clear();
    }
    readSlot_->close();
}

bool InputPort::connectSource(const Endpoint& source) {
    std::lock_guard lock(connectionsMutex_);
    if (connections_.contains(source.address)) return true;
    auto receive = [slot = std::weak_ptr<ReadSlot>(readSlot_), dispatcher = dispatcher_](
                       std::span<const std::uint8_t> bytes, Timestamp receivedAt) {
        dispatcher->post(slot, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), receivedAt);
    };
    auto connection = backend_->openInput(clientName_, name_, source.address, std::move(receive));
    if (!connection) return false;
    connections_.emplace(source.address, std::move(connection));
    return true;
}

void InputPort::disconnectSource(const Endpoint& source) {
    std::lock_guard lock(connectionsMutex_);
    connections_.erase(source.address);
}

}  // namespace pulvan::midi
