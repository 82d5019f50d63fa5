#include "platform/midi/loopback_backend.h"

#include <algorithm>
#include <cstdio>

#include "platform/midi/endpoint_naming.h"

namespace pulvan::midi {

namespace {

class LoopbackOutput final : public OutputConnection {
public:
    explicit LoopbackOutput(std::shared_ptr<LoopbackBackend> backend) : backend_(std::move(backend)) {}
    bool connect(const std::string& destinationAddress) override {
        destination_ = destinationAddress;
        return true;
    }
    bool send(std::span<const std::uint8_t> bytes) override { return backend_->sendToDestination(destination_, bytes); }

private:
    std::shared_ptr<LoopbackBackend> backend_;
    std::string destination_;
};

class LoopbackInput final : public InputConnection {
public:
    LoopbackInput(std::shared_ptr<LoopbackBackend> backend, std::string address, std::uint64_t subscription)
        : backend_(std::move(backend)), address_(std::move(address)), subscription_(subscription) {}
    ~LoopbackInput() override { backend_->unsubscribe(address_, subscription_); }

private:
    std::shared_ptr<LoopbackBackend> backend_;
    std::string address_;
    std::uint64_t subscription_;
};

class LoopbackVirtualSource final : public VirtualEndpoint {
public:
    LoopbackVirtualSource(std::shared_ptr<LoopbackBackend> backend, std::string address)
        : backend_(std::move(backend)), address_(std::move(address)) {}
    ~LoopbackVirtualSource() override { backend_->removeEndpoint(address_); }
    bool send(std::span<const std::uint8_t> bytes) override { return backend_->sendFromSource(address_, bytes); }

private:
    std::shared_ptr<LoopbackBackend> backend_;
    std::string address_;
};

void eraseAddress(std::vector<std::string>& order, const std::string& address) {
    order.erase(std::remove(order.begin(), order.end(), address), order.end());
}

}  // namespace

std::string LoopbackBackend::freeAddress(const std::string& clientName, const std::string& portName) const {
    std::string client = clientName;
    for (int suffix = 1; sourcesByAddress_.contains(client + ":" + portName) ||
                         destinationsByAddress_.contains(client + ":" + portName);
         ++suffix) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "-%02d", suffix);
        client = clientName + digits;
    }
    return client + ":" + portName;
}

std::string LoopbackBackend::addSource(const std::string& clientName, const std::string& portName) {
    std::lock_guard lock(mutex_);
    std::string address = freeAddress(clientName, portName);
    sourcesByAddress_[address] = {};
    sourceOrder_.push_back(address);
    return address;
}

std::string LoopbackBackend::addDestination(const std::string& clientName, const std::string& portName,
                                            DestinationHandler handler) {
    std::lock_guard lock(mutex_);
    std::string address = freeAddress(clientName, portName);
    destinationsByAddress_[address] = {std::make_shared<DestinationHandler>(std::move(handler))};
    destinationOrder_.push_back(address);
    return address;
}

void LoopbackBackend::removeEndpoint(const std::string& address) {
    std::lock_guard lock(mutex_);
    sourcesByAddress_.erase(address);
    destinationsByAddress_.erase(address);
    eraseAddress(sourceOrder_, address);
    eraseAddress(destinationOrder_, address);
}

bool LoopbackBackend::sendFromSource(const std::string& address, std::span<const std::uint8_t> bytes) {
    std::vector<std::shared_ptr<ReceiveFunction>> receivers;
    {
        std::lock_guard lock(mutex_);
        const auto found = sourcesByAddress_.find(address);
        if (found == sourcesByAddress_.end()) return false;
        for (const auto& [id, receive] : found->second.subscribers) receivers.push_back(receive);
    }
    const Timestamp receivedAt = now();
    for (const auto& receive : receivers) (*receive)(bytes, receivedAt);
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
    for (const auto& address : addresses) endpoints.push_back(makeEndpoint(address, jackPortIdentity(address)));
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
    return std::make_unique<LoopbackOutput>(shared_from_this());
}

std::unique_ptr<InputConnection> LoopbackBackend::openInput(const std::string&, const std::string&,
                                                            const std::string& sourceAddress, ReceiveFunction receive) {
    std::lock_guard lock(mutex_);
    const auto found = sourcesByAddress_.find(sourceAddress);
    if (found == sourcesByAddress_.end()) return nullptr;
    const std::uint64_t subscription = nextSubscription_++;
    found->second.subscribers[subscription] = std::make_shared<ReceiveFunction>(std::move(receive));
    return std::make_unique<LoopbackInput>(shared_from_this(), sourceAddress, subscription);
}

std::unique_ptr<VirtualEndpoint> LoopbackBackend::openVirtualSource(const std::string& name) {
    return std::make_unique<LoopbackVirtualSource>(shared_from_this(), addSource(name, name));
}

}  // namespace pulvan::midi
