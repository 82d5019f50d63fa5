#include "platform/midi/client.h"

#include "platform/midi/backend.h"
#include "platform/midi/dispatcher.h"

#include <algorithm>
#include <map>
#include <thread>
#include <vector>

namespace pulvan::midi {
namespace {

// How often a port looks whether the MIDI system dropped it (a JACK server restarting).
constexpr Timestamp kKeepOpenInterval = 250'000'000;

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

// Whether the MIDI system lists the endpoint; it answers from what the process knows.
bool listed(const std::vector<Endpoint>& endpoints, const std::string& address) {
    return std::ranges::any_of(endpoints, [&](const Endpoint& endpoint) { return endpoint.address == address; });
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
      backend_(client.backend_),
      dispatcher_(client.dispatcher_) {
    {
        std::lock_guard lock(mutex_);
        openLocked();
    }
    dispatcher_->schedule(this, now() + kKeepOpenInterval, [this] { keepOpen(); });
    enlist(this, [this] { closeForGood(); });
}

OutputPort::~OutputPort() {
    delist(this);
    dispatcher_->cancel(this);
    std::unique_ptr<OutputConnection> closing;
    {
        std::lock_guard lock(mutex_);
        closing = detachLocked();
    }
    // It ends its notes as it closes, which may wait on the layer's thread: not under our lock.
    closing.reset();
}

std::unique_ptr<OutputConnection> OutputPort::detachLocked() {
    // The real-time senders let go of the connection before it closes.
    open_.store(nullptr);
    connected_.store(false);
    while (senders_.load() > 0) std::this_thread::yield();
    return std::move(connection_);
}

void OutputPort::closeForGood() {
    std::lock_guard lock(mutex_);
    closedForGood_ = true;
    detachLocked().reset();
}

void OutputPort::keepOpen() {
    {
        std::lock_guard lock(mutex_);
        if (closedForGood_) return;
        if (!connection_ || !connection_->alive()) {
            openLocked();
            if (!destination_.empty()) connectLocked(destination_);
        } else if (!connected_.load() && !destination_.empty() && listed(backend_->destinations(), destination_)) {
            // A program shows its ports before it takes part (JACK refuses connections until then).
            connectLocked(destination_);
        }
    }
    dispatcher_->schedule(this, now() + kKeepOpenInterval, [this] { keepOpen(); });
}

void OutputPort::openLocked() {
    detachLocked().reset();
    connection_ = backend_->openOutput(clientName_, name_);
    open_.store(connection_.get());
}

bool OutputPort::connectLocked(const std::string& address) {
    destination_ = address;
    const bool connected = connection_ && connection_->alive() && connection_->connect(address);
    connected_.store(connected);
    return connected;
}

bool OutputPort::send(const Endpoint& destination, std::span<const std::uint8_t> bytes, Timestamp deliverAt) {
    if (bytes.empty() || bytes.size() > 3) return false;
    if (!connect(destination)) return false;
    return sendToConnected(bytes, deliverAt);
}

bool OutputPort::sendToConnected(std::span<const std::uint8_t> bytes, Timestamp deliverAt) noexcept {
    if (bytes.empty() || bytes.size() > 3) return false;
    senders_.fetch_add(1);
    OutputConnection* connection = open_.load();
    const bool sent = connection && connected_.load() && connection->send(bytes, deliverAt);
    senders_.fetch_sub(1);
    return sent;
}

bool OutputPort::connect(const Endpoint& destination) {
    std::lock_guard lock(mutex_);
    if (closedForGood_) return false;
    // One that is there but refuses for now is connected to as soon as it accepts.
    return connectLocked(destination.address) || listed(backend_->destinations(), destination.address);
}

void OutputPort::silence() noexcept {
    senders_.fetch_add(1);
    if (OutputConnection* connection = open_.load(); connection && connection->alive()) connection->silence();
    senders_.fetch_sub(1);
}

std::int64_t OutputPort::periodNanoseconds() const noexcept {
    senders_.fetch_add(1);
    const OutputConnection* connection = open_.load();
    const std::int64_t period = connection ? connection->periodNanoseconds() : 0;
    senders_.fetch_sub(1);
    return period;
}

InputPort::InputPort(const Client& client, std::string name, ReadCallback onRead, HeldNotesCallback onHeldNotesAfterLoss)
    : clientName_(client.name_),
      name_(std::move(name)),
      backend_(client.backend_),
      dispatcher_(client.dispatcher_),
      readSlot_(std::make_shared<ReadSlot>(std::move(onRead))),
      heldNotesSlot_(std::make_shared<HeldNotesSlot>(std::move(onHeldNotesAfterLoss))) {
    {
        std::lock_guard lock(mutex_);
        openLocked();
    }
    dispatcher_->schedule(this, now() + kKeepOpenInterval, [this] { keepOpen(); });
    enlist(this, [this] { closeForGood(); });
}

InputPort::~InputPort() {
    delist(this);
    dispatcher_->cancel(this);
    {
        std::lock_guard lock(mutex_);
        connection_.reset();
    }
    readSlot_->close();
    heldNotesSlot_->close();
}

void InputPort::closeForGood() {
    std::lock_guard lock(mutex_);
    closedForGood_ = true;
    connection_.reset();
}

void InputPort::keepOpen() {
    {
        std::lock_guard lock(mutex_);
        if (closedForGood_) return;
        if (!connection_ || !connection_->alive()) {
            openLocked();
            std::erase_if(sources_, [&](const std::string& source) { return !connection_ || !connection_->connect(source); });
        }
        if (!waiting_.empty() && connection_ && connection_->alive()) {
            // A program shows its ports before it takes part (JACK refuses connections until then).
            const auto present = backend_->sources();
            std::erase_if(waiting_, [&](const std::string& source) {
                if (!listed(present, source)) return true;
                if (!connection_->connect(source)) return false;
                sources_.insert(source);
                return true;
            });
        }
    }
    dispatcher_->schedule(this, now() + kKeepOpenInterval, [this] { keepOpen(); });
}

void InputPort::openLocked() {
    connection_.reset();
    auto receive = [slot = std::weak_ptr<ReadSlot>(readSlot_), dispatcher = dispatcher_](std::span<const std::uint8_t> bytes,
                                                                                         Timestamp receivedAt) {
        dispatcher->post(slot, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), receivedAt);
    };
    auto heldNotesAfterLoss = [slot = std::weak_ptr<HeldNotesSlot>(heldNotesSlot_), dispatcher = dispatcher_](const NoteSet& held) {
        dispatcher->post(slot, held);
    };
    connection_ = backend_->openInput(clientName_, name_, std::move(receive), std::move(heldNotesAfterLoss));
}

bool InputPort::connectSource(const Endpoint& source) {
    std::lock_guard lock(mutex_);
    if (closedForGood_) return false;
    const bool connected = connection_ && connection_->alive() && connection_->connect(source.address);
    if (connected) sources_.insert(source.address);
    // One that is there but refuses for now is connected to as soon as it accepts.
    if (!connected && connection_ && listed(backend_->sources(), source.address)) waiting_.insert(source.address);
    return connected;
}

void InputPort::disconnectEverySource() {
    std::lock_guard lock(mutex_);
    waiting_.clear();
    if (connection_ && connection_->alive()) {
        for (const std::string& source : sources_) connection_->disconnect(source);
    }
    sources_.clear();
}

void InputPort::disconnectSource(const Endpoint& source) {
    std::lock_guard lock(mutex_);
    sources_.erase(source.address);
    waiting_.erase(source.address);
    if (connection_ && connection_->alive()) connection_->disconnect(source.address);
}

}  // namespace pulvan::midi
