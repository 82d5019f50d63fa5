#include "platform/midi/jack_backend.h"

#include "platform/midi/dispatcher.h"
#include "platform/midi/endpoint_naming.h"
#include "platform/midi/jack_port_client.h"
#include "platform/midi/jack_ports.h"

#include <jack/jack.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <set>
#include <utility>

namespace pulvan::midi {
namespace {

// Long enough for the server to switch its graph a few times, at any period a desktop runs,
// even while a late program holds each switch back for as long as the server lets it.
constexpr auto kConnectionTakesEffect = std::chrono::milliseconds(300);

// Which ports are ours, so that nobody is offered them, and what the server has.
struct SharedState {
    JackPortLookup lookup;
    std::mutex mutex;
    std::multiset<std::string> ownPorts;
};

// A port name of ours, listed while this lives so that nobody is offered the port. A port being made
// is listed too: the server tells of it before its owner knows its full name, and a setup watch
// would see it come and go.
class ListedOwnPort {
public:
    ListedOwnPort(SharedState& state, std::string name) : state_(state), name_(std::move(name)) {
        std::lock_guard lock(state_.mutex);
        state_.ownPorts.insert(name_);
    }
    ~ListedOwnPort() {
        std::lock_guard lock(state_.mutex);
        state_.ownPorts.erase(state_.ownPorts.find(name_));
    }
    ListedOwnPort(const ListedOwnPort&) = delete;
    ListedOwnPort& operator=(const ListedOwnPort&) = delete;

private:
    SharedState& state_;
    std::string name_;
};

class OwnPort {
public:
    OwnPort(std::shared_ptr<SharedState> state, std::unique_ptr<JackPortClient> port)
        : state_(std::move(state)),
          listed_(*state_, port->portName()),
          port_(std::move(port)) {}

    JackPortClient& port() { return *port_; }

private:
    std::shared_ptr<SharedState> state_;
    ListedOwnPort listed_;  // until the port below has closed
    std::unique_ptr<JackPortClient> port_;
};

class JackOutput final : public OutputConnection {
public:
    JackOutput(std::shared_ptr<SharedState> state, std::unique_ptr<JackPortClient> port) : own_(std::move(state), std::move(port)) {}

    bool alive() const override { return own_.port().alive(); }

    // Asks the server only to make a connection: whether one is in place, libjack
    // knows in this process (a port that went and came back under its name has lost it).
    bool connect(const std::string& destinationAddress) override {
        JackPortClient& port = own_.port();
        const char* own = port.portName().c_str();
        bool connected = false;
        bool made = false;
        port.client().use([&](jack_client_t* client) {
            if (!connected_.empty() && connected_ != destinationAddress) jack_disconnect(client, own, connected_.c_str());
            if (jack_port_connected_to(port.port(), destinationAddress.c_str())) {
                connected = true;
                return;
            }
            const int result = jack_connect(client, own, destinationAddress.c_str());
            connected = made = result == 0 || result == EEXIST;
        });
        if (made) awaitInEffect(destinationAddress);
        connected_ = connected ? destinationAddress : std::string();
        return connected;
    }

    bool send(std::span<const std::uint8_t> bytes, Timestamp deliverAt) override { return own_.port().send(bytes, deliverAt); }
    void silence() override { own_.port().silence(); }
    std::int64_t periodNanoseconds() const noexcept override { return own_.port().periodNanoseconds(); }

private:
    // The server puts a new connection in place only when it next switches its graph, at the
    // start of a cycle, and holds the switch back while a program is late with the last one:
    // what the port writes until then reaches nobody, or the destination it left. libjack
    // answers from the graph in effect, without asking the server.
    void awaitInEffect(const std::string& destinationAddress) {
        JackPortClient& port = own_.port();
        port.awaitWhileAlive(std::chrono::steady_clock::now() + kConnectionTakesEffect, [&] {
            bool inEffect = true;  // a closed client has nothing to wait for
            port.client().use([&](jack_client_t*) { inEffect = jack_port_connected_to(port.port(), destinationAddress.c_str()); });
            return inEffect;
        });
    }

    mutable OwnPort own_;
    std::string connected_;
};

class JackInput final : public InputConnection {
public:
    JackInput(std::shared_ptr<SharedState> state, std::unique_ptr<JackPortClient> port, ReceiveFunction receive,
              HeldNotesFunction heldNotesAfterLoss)
        : own_(std::move(state), std::move(port)),
          receive_(std::move(receive)),
          heldNotesAfterLoss_(std::move(heldNotesAfterLoss)),
          dispatcher_(Dispatcher::shared()) {
        dispatcher_->addPoller(this, [this] { receiveWhatArrived(); });
    }
    ~JackInput() override { dispatcher_->removePoller(this); }

    bool alive() const override { return own_.port().alive(); }

    bool connect(const std::string& sourceAddress) override {
        int result = -1;
        own_.port().client().use(
            [&](jack_client_t* client) { result = jack_connect(client, sourceAddress.c_str(), own_.port().portName().c_str()); });
        return result == 0 || result == EEXIST;
    }

    void disconnect(const std::string& sourceAddress) override {
        if (!alive()) return;  // the server took every connection with it
        own_.port().client().use(
            [&](jack_client_t* client) { jack_disconnect(client, sourceAddress.c_str(), own_.port().portName().c_str()); });
    }

private:
    // At most a queue's worth a turn: while a flood comes as fast as it is read, what was read waits for
    // the turn's end in the layer's memory, and the rest, refused at the port, still counts for the notes held.
    void receiveWhatArrived() {
        JackPortClient& port = own_.port();
        ShortMessage message;
        bool emptied = false;
        for (std::size_t taken = 0; taken < JackPortClient::kQueueCapacity && !emptied; ++taken) {
            emptied = !port.receive(message);
            if (!emptied) receive_(std::span<const std::uint8_t>(message.bytes.data(), message.length), message.deliverAt);
        }
        if (!emptied) return;  // with messages older than the loss still waiting, later
        const std::uint64_t refused = port.refused();
        if (refused == refusedTold_) return;
        // A message that arrived since the queue was emptied would be in the set and delivered again after it.
        const std::optional<NoteSet> held = port.heldNotesAfter(refused);
        if (!held) return;  // the next turn receives it first
        refusedTold_ = refused;
        if (heldNotesAfterLoss_) heldNotesAfterLoss_(*held);
    }

    mutable OwnPort own_;
    ReceiveFunction receive_;
    HeldNotesFunction heldNotesAfterLoss_;
    std::uint64_t refusedTold_ = 0;  // the poller's own
    std::shared_ptr<Dispatcher> dispatcher_;
};

class JackBackend final : public Backend {
public:
    std::vector<Endpoint> sources() override { return list(true); }
    std::vector<Endpoint> destinations() override { return list(false); }

    std::unique_ptr<OutputConnection> openOutput(const std::string& clientName, const std::string& portName) override {
        const ListedOwnPort made(*state_, clientName + ":" + portName);
        auto port = JackPortClient::open(clientName, portName, JackPortClient::Direction::output);
        if (!port) return nullptr;
        return std::make_unique<JackOutput>(state_, std::move(port));
    }

    std::unique_ptr<InputConnection> openInput(const std::string& clientName, const std::string& portName, ReceiveFunction receive,
                                               HeldNotesFunction heldNotesAfterLoss) override {
        const ListedOwnPort made(*state_, clientName + ":" + portName);
        auto port = JackPortClient::open(clientName, portName, JackPortClient::Direction::input);
        if (!port) return nullptr;
        return std::make_unique<JackInput>(state_, std::move(port), std::move(receive), std::move(heldNotesAfterLoss));
    }

    std::unique_ptr<OutputConnection> openVirtualSource(const std::string& name) override { return openOutput(name, name); }

    bool serverAnswers() { return state_->lookup.open(); }

private:
    std::vector<Endpoint> list(bool sources) {
        const std::vector<std::string> names = state_->lookup.midiPorts(sources);
        std::set<std::string> clients;
        for (const std::string& fullName : names) clients.insert(fullName.substr(0, fullName.find(':')));
        const std::set<std::string> inThisProcess = sources ? state_->lookup.clientsInThisProcess(clients) : std::set<std::string>{};
        std::vector<Endpoint> endpoints;
        std::lock_guard lock(state_->mutex);
        for (const std::string& fullName : names) {
            if (state_->ownPorts.contains(fullName)) continue;
            Endpoint endpoint = makeEndpoint(fullName, jackPortIdentity(fullName));
            endpoint.inThisProcess = inThisProcess.contains(fullName.substr(0, fullName.find(':')));
            endpoints.push_back(std::move(endpoint));
        }
        return endpoints;
    }

    std::shared_ptr<SharedState> state_ = std::make_shared<SharedState>();
};

}  // namespace

std::shared_ptr<Backend> makeJackBackend() { return std::make_shared<JackBackend>(); }

std::shared_ptr<Backend> openJackBackend() {
    auto backend = std::make_shared<JackBackend>();
    return backend->serverAnswers() ? backend : nullptr;
}

}  // namespace pulvan::midi
