#include "platform/midi/loopback_backend.h"

#include "platform/midi/dispatcher.h"
#include "platform/midi/endpoint_naming.h"
#include "platform/midi/sounding_notes.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace pulvan::midi {

namespace {

// Delivers on the dispatcher's thread at each message's time, as a MIDI system does.
class LoopbackOutput final : public OutputConnection {
public:
    // `deliver` hands one message on; the virtual source sends from itself, a port to its destination.
    using Deliver = std::function<void(const std::string& destination, std::span<const std::uint8_t> bytes)>;

    LoopbackOutput(Deliver deliver, std::function<void()> onClose = {})
        : state_(std::make_shared<State>(std::move(deliver))),
          dispatcher_(Dispatcher::shared()),
          onClose_(std::move(onClose)) {}
    ~LoopbackOutput() override {
        silence();
        if (onClose_) onClose_();
    }

    bool alive() const override { return true; }
    bool connect(const std::string& destinationAddress) override {
        std::lock_guard lock(state_->mutex);
        state_->destination = destinationAddress;
        return true;
    }
    bool send(std::span<const std::uint8_t> bytes, Timestamp deliverAt) override {
        dispatcher_->schedule(state_.get(), deliverAt, [state = state_, message = std::vector<std::uint8_t>(bytes.begin(), bytes.end())] {
            state->deliver(message);
        });
        return true;
    }
    void silence() override {
        dispatcher_->cancel(state_.get());
        SoundingNotes sounded;
        {
            std::lock_guard lock(state_->mutex);
            sounded = std::exchange(state_->sounding, SoundingNotes{});
        }
        sounded.releaseAll([&](std::span<const std::uint8_t> off) { state_->deliver(off); });
    }

private:
    struct State {
        explicit State(Deliver handOn) : handOn(std::move(handOn)) {}
        void deliver(std::span<const std::uint8_t> bytes) {
            std::string to;
            {
                std::lock_guard lock(mutex);
                sounding.deliver(bytes);
                to = destination;
            }
            handOn(to, bytes);
        }
        Deliver handOn;
        std::mutex mutex;
        std::string destination;
        SoundingNotes sounding;
    };

    std::shared_ptr<State> state_;
    std::shared_ptr<Dispatcher> dispatcher_;
    std::function<void()> onClose_;
};

class LoopbackInput final : public InputConnection {
public:
    LoopbackInput(std::shared_ptr<LoopbackBackend> backend, LoopbackBackend::Subscriber subscriber)
        : backend_(std::move(backend)),
          subscriber_(std::make_shared<const LoopbackBackend::Subscriber>(std::move(subscriber))) {}
    ~LoopbackInput() override {
        for (const auto& [address, subscription] : subscriptions_) backend_->unsubscribe(address, subscription);
    }

    bool alive() const override { return true; }
    bool connect(const std::string& sourceAddress) override {
        if (subscriptions_.contains(sourceAddress)) return true;
        const auto subscription = backend_->subscribe(sourceAddress, subscriber_);
        if (subscription == 0) return false;
        subscriptions_[sourceAddress] = subscription;
        return true;
    }
    void disconnect(const std::string& sourceAddress) override {
        const auto found = subscriptions_.find(sourceAddress);
        if (found == subscriptions_.end()) return;
        backend_->unsubscribe(found->first, found->second);
        subscriptions_.erase(found);
    }

private:
    std::shared_ptr<LoopbackBackend> backend_;
    std::shared_ptr<const LoopbackBackend::Subscriber> subscriber_;
    std::map<std::string, std::uint64_t> subscriptions_;
};

void eraseAddress(std::vector<std::string>& order, const std::string& address) {
    order.erase(std::remove(order.begin(), order.end(), address), order.end());
}

}  // namespace

std::string LoopbackBackend::freeAddress(const std::string& clientName, const std::string& portName) const {
    std::string client = clientName;
    for (int suffix = 1; sourcesByAddress_.contains(client + ":" + portName) || destinationsByAddress_.contains(client + ":" + portName);
         ++suffix) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "-%02d", suffix);
        client = clientName + digits;
    }
    return client + ":" + portName;
}

std::string LoopbackBackend::addSource(const std::string& clientName, const std::string& portName, bool inThisProcess) {
    std::lock_guard lock(mutex_);
    std::string address = freeAddress(clientName, portName);
    sourcesByAddress_[address] = {};
    if (inThisProcess) inThisProcess_.insert(address);
    sourceOrder_.push_back(address);
    generation_.fetch_add(1);
    return address;
}

std::string LoopbackBackend::addDestination(const std::string& clientName, const std::string& portName, DestinationHandler handler) {
    std::lock_guard lock(mutex_);
    std::string address = freeAddress(clientName, portName);
    destinationsByAddress_[address] = {std::make_shared<DestinationHandler>(std::move(handler))};
    destinationOrder_.push_back(address);
    generation_.fetch_add(1);
    return address;
}

void LoopbackBackend::removeEndpoint(const std::string& address) {
    std::lock_guard lock(mutex_);
    sourcesByAddress_.erase(address);
    destinationsByAddress_.erase(address);
    inThisProcess_.erase(address);
    eraseAddress(sourceOrder_, address);
    eraseAddress(destinationOrder_, address);
    generation_.fetch_add(1);
}

std::optional<std::vector<std::shared_ptr<const LoopbackBackend::Subscriber>>> LoopbackBackend::subscribersOf(
    const std::string& address) const {
    std::lock_guard lock(mutex_);
    const auto found = sourcesByAddress_.find(address);
    if (found == sourcesByAddress_.end()) return std::nullopt;
    std::vector<std::shared_ptr<const Subscriber>> subscribers;
    for (const auto& [id, subscriber] : found->second.subscribers) subscribers.push_back(subscriber);
    return subscribers;
}

bool LoopbackBackend::sendFromSource(const std::string& address, std::span<const std::uint8_t> bytes) {
    const auto subscribers = subscribersOf(address);
    if (!subscribers) return false;
    const Timestamp receivedAt = now();
    for (const auto& subscriber : *subscribers) subscriber->receive(bytes, receivedAt);
    return true;
}

bool LoopbackBackend::loseFromSource(const std::string& address, const NoteSet& held) {
    const auto subscribers = subscribersOf(address);
    if (!subscribers) return false;
    for (const auto& subscriber : *subscribers) {
        if (subscriber->heldNotesAfterLoss) subscriber->heldNotesAfterLoss(held);
    }
    return true;
}

bool LoopbackBackend::sendToDestination(const std::string& address, std::span<const std::uint8_t> bytes) {
    std::shared_ptr<DestinationHandler> handler;
    {
        std::lock_guard lock(mutex_);
        const auto found = destinationsByAddress_.find(address);
        if (found == destinationsByAddress_.end()) return false;
        handler = found->second.handler;
    }
    (*handler)(bytes, now());
    return true;
}

void LoopbackBackend::unsubscribe(const std::string& address, std::uint64_t subscription) {
    std::lock_guard lock(mutex_);
    const auto found = sourcesByAddress_.find(address);
    if (found != sourcesByAddress_.end()) found->second.subscribers.erase(subscription);
}

std::vector<Endpoint> LoopbackBackend::list(const std::vector<std::string>& addresses) const {
    std::vector<Endpoint> endpoints;
    for (const auto& address : addresses) {
        endpoints.push_back(makeEndpoint(address, jackPortIdentity(address)));
        endpoints.back().inThisProcess = inThisProcess_.contains(address);
    }
    return endpoints;
}

std::vector<Endpoint> LoopbackBackend::sources() {
    std::lock_guard lock(mutex_);
    return list(sourceOrder_);
}

std::vector<Endpoint> LoopbackBackend::destinations() {
    std::lock_guard lock(mutex_);
    return list(destinationOrder_);
}

std::unique_ptr<OutputConnection> LoopbackBackend::openOutput(const std::string&, const std::string&) {
    return std::make_unique<LoopbackOutput>(
        [backend = shared_from_this()](const std::string& destination, std::span<const std::uint8_t> bytes) {
            backend->sendToDestination(destination, bytes);
        });
}

std::unique_ptr<InputConnection> LoopbackBackend::openInput(const std::string&, const std::string&, ReceiveFunction receive,
                                                            HeldNotesFunction heldNotesAfterLoss) {
    return std::make_unique<LoopbackInput>(shared_from_this(), Subscriber{std::move(receive), std::move(heldNotesAfterLoss)});
}

std::uint64_t LoopbackBackend::subscribe(const std::string& address, std::shared_ptr<const Subscriber> subscriber) {
    std::lock_guard lock(mutex_);
    const auto found = sourcesByAddress_.find(address);
    if (found == sourcesByAddress_.end()) return 0;
    const std::uint64_t subscription = nextSubscription_++;
    found->second.subscribers[subscription] = std::move(subscriber);
    return subscription;
}

std::unique_ptr<OutputConnection> LoopbackBackend::openVirtualSource(const std::string& name) {
    const std::string address = addSource(name, name);
    auto backend = shared_from_this();
    return std::make_unique<LoopbackOutput>(
        [backend, address](const std::string&, std::span<const std::uint8_t> bytes) { backend->sendFromSource(address, bytes); },
        [backend, address] { backend->removeEndpoint(address); });
}

}  // namespace pulvan::midi
