#include "platform/midi/client.h"

#include "platform/midi/backend.h"
#include "platform/midi/dispatcher.h"

#include <map>
#include <vector>

namespace pulvan::midi {
namespace {

// How often a port asks again for a MIDI system that is not there (a JACK server restarting).
constexpr auto kReopenInterval = std::chrono::milliseconds(500);

// Whether it is time to open again, and when the next time will be.
bool openDue(std::chrono::steady_clock::time_point& nextOpen) {
    const auto time = std::chrono::steady_clock::now();
    if (time < nextOpen) return false;
    nextOpen = time + kReopenInterval;
    return true;
}

// Every port of ours, so that leaving the module can close those nobody let go of. Never destroyed:
// a host may end the plug-in from its exit handlers, after the statics went.
struct OpenPorts {
    std::mutex mutex;
    std::map<const void*, std::function<void()>> closers;
};

OpenPorts& openPorts() {
    static auto* ports = new OpenPorts;
    return *ports;
}

void enlist(const void* port, std::function<void()> close) {
    std::lock_guard lock(openPorts().mutex);
    openPorts().closers.emplace(port, std::move(close));
}

// Before anything of the port goes: a closing under way ends first.
void delist(const void* port) {
    std::lock_guard lock(openPorts().mutex);
    openPorts().closers.erase(port);
}

}  // namespace

void closeEveryPort() {
    std::lock_guard lock(openPorts().mutex);
    for (auto& [port, close] : openPorts().closers) close();
}

Client::Client(std::string name, std::function<void()> onSetupChanged)
    : name_(std::move(name)),
      backend_(activeBackend()),
      dispatcher_(Dispatcher::shared()) {
    if (onSetupChanged) {
        setupSlot_ = std::make_shared<SetupSlot>(std::move(onSetupChanged));
        dispatcher_->watchSetup(setupSlot_, backend_);
    }
}

Client::~Client() {
    if (setupSlot_) setupSlot_->close();
}

OutputPort::OutputPort(const Client& client, std::string name)
    : clientName_(client.name_),
      name_(std::move(name)),
      backend_(client.backend_) {
    enlist(this, [this] { closeForGood(); });
    std::lock_guard lock(mutex_);
    connectionLocked();
}

OutputPort::~OutputPort() { delist(this); }  // the connection ends its notes as it closes

void OutputPort::closeForGood() {
    std::lock_guard lock(mutex_);
    closedForGood_ = true;
    connection_.reset();
}

OutputConnection* OutputPort::connectionLocked() {
    if (closedForGood_) return nullptr;
    if (connection_ && connection_->alive()) return connection_.get();
    if (!openDue(nextOpen_)) return nullptr;
    connection_.reset();
    connection_ = backend_->openOutput(clientName_, name_);
    return connection_.get();
}

bool OutputPort::send(const Endpoint& destination, std::span<const std::uint8_t> bytes, Timestamp deliverAt) {
    if (bytes.empty() || bytes.size() > 3) return false;
    std::lock_guard lock(mutex_);
    OutputConnection* connection = connectionLocked();
    return connection && connection->connect(destination.address) && connection->send(bytes, deliverAt);
}

bool OutputPort::connect(const Endpoint& destination) {
    std::lock_guard lock(mutex_);
    OutputConnection* connection = connectionLocked();
    return connection && connection->connect(destination.address);
}

void OutputPort::silence() {
    std::lock_guard lock(mutex_);
    if (connection_ && connection_->alive()) connection_->silence();
}

InputPort::InputPort(const Client& client, std::string name, ReadCallback onRead)
    : clientName_(client.name_),
      name_(std::move(name)),
      backend_(client.backend_),
      dispatcher_(client.dispatcher_),
      readSlot_(std::make_shared<ReadSlot>(std::move(onRead))) {
    enlist(this, [this] { closeForGood(); });
    std::lock_guard lock(mutex_);
    connectionLocked();
}

InputPort::~InputPort() {
    delist(this);
    {
        std::lock_guard lock(mutex_);
        connection_.reset();
    }
    readSlot_->close();
}

void InputPort::closeForGood() {
    std::lock_guard lock(mutex_);
    closedForGood_ = true;
    connection_.reset();
}

InputConnection* InputPort::connectionLocked() {
    if (closedForGood_) return nullptr;
    if (connection_ && connection_->alive()) return connection_.get();
    if (!openDue(nextOpen_)) return nullptr;
    connection_.reset();
    auto receive = [slot = std::weak_ptr<ReadSlot>(readSlot_), dispatcher = dispatcher_](std::span<const std::uint8_t> bytes,
                                                                                         Timestamp receivedAt) {
        dispatcher->post(slot, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), receivedAt);
    };
    connection_ = backend_->openInput(clientName_, name_, std::move(receive));
    return connection_.get();
}

bool InputPort::connectSource(const Endpoint& source) {
    std::lock_guard lock(mutex_);
    InputConnection* connection = connectionLocked();
    return connection && connection->connect(source.address);
}

void InputPort::disconnectSource(const Endpoint& source) {
    std::lock_guard lock(mutex_);
    if (connection_ && connection_->alive()) connection_->disconnect(source.address);
}

}  // namespace pulvan::midi
