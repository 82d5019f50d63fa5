#include "platform/midi/rtmidi_backend.h"

#include <jack/jack.h>
#include <unistd.h>

#include <RtMidi.h>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

#include "platform/midi/endpoint_naming.h"

namespace pulvan::midi {
namespace {

void ignoreJackMessage(const char*) {}

bool jackServerRunning() {
    // libjack reports a missing server on stderr; keep a failed probe quiet and
    // give the host process its own handlers back.
    auto* const previousError = jack_error_callback;
    auto* const previousInfo = jack_info_callback;
    jack_set_error_function(ignoreJackMessage);
    jack_set_info_function(ignoreJackMessage);
    jack_status_t status{};
    jack_client_t* client = jack_client_open("PulvanMIDIProbe", JackNoStartServer, &status);
    if (client) jack_client_close(client);
    jack_error_callback = previousError;
    jack_info_callback = previousInfo;
    return client != nullptr;
}

RtMidi::Api probeApi() {
    if (::access("/dev/snd/seq", R_OK | W_OK) == 0) {
        try {
            RtMidiOut probe(RtMidi::LINUX_ALSA, "PulvanMIDIProbe");
            return RtMidi::LINUX_ALSA;
        } catch (const RtMidiError&) {
        }
    }
    return jackServerRunning() ? RtMidi::UNIX_JACK : RtMidi::UNSPECIFIED;
}

// Records RtMidi's complaints instead of printing them.
struct ErrorFlag {
    bool raised = false;
    static void record(RtMidiError::Type, const std::string&, void* self) { static_cast<ErrorFlag*>(self)->raised = true; }
};

// What the backend and its connections share: which ports are ours, and a
// counter that moves whenever the listed endpoints change.
struct SharedState {
    std::mutex mutex;
    std::multiset<std::pair<std::string, std::string>> ownPorts;
    std::atomic<std::uint64_t> setupGeneration{0};

    bool isOwn(const PortIdentity& identity) {
        std::lock_guard lock(mutex);
        return ownPorts.contains({identity.clientName, identity.portName});
    }
};

class OwnPortRegistration {
public:
    OwnPortRegistration(std::shared_ptr<SharedState> state, std::string client, std::string port)
        : state_(std::move(state)), key_(std::move(client), std::move(port)) {
        std::lock_guard lock(state_->mutex);
        state_->ownPorts.insert(key_);
    }
    ~OwnPortRegistration() {
        std::lock_guard lock(state_->mutex);
        state_->ownPorts.erase(state_->ownPorts.find(key_));
    }
    OwnPortRegistration(const OwnPortRegistration&) = delete;
    OwnPortRegistration& operator=(const OwnPortRegistration&) = delete;

private:
    std::shared_ptr<SharedState> state_;
    std::pair<std::string, std::string> key_;
};

template <typename Port>
std::optional<unsigned> indexOfPort(Port& port, const std::string& fullName) {
    const unsigned count = port.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        if (port.getPortName(i) == fullName) return i;
    }
    return std::nullopt;
}

template <typename Port>
std::unique_ptr<Port> makePort(RtMidi::Api api, const std::string& clientName, ErrorFlag& errors) {
    try {
        auto port = std::make_unique<Port>(api, clientName);
        port->setErrorCallback(&ErrorFlag::record, &errors);
        return port;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

class RtMidiOutputConnection final : public OutputConnection {
public:
    RtMidiOutputConnection(std::shared_ptr<SharedState> state, std::unique_ptr<ErrorFlag> errors,
                           std::unique_ptr<RtMidiOut> out, const std::string& clientName, std::string portName)
        : state_(state), errors_(std::move(errors)), out_(std::move(out)), portName_(std::move(portName)),
          registration_(state, clientName, portName_) {}

    bool sendTo(const std::string& destinationAddress, std::span<const std::uint8_t> bytes) override {
        // A destination that went away and came back under the same name needs a new connection.
        const auto generation = state_->setupGeneration.load(std::memory_order_acquire);
        if (destinationAddress != connectedAddress_ || generation != connectedGeneration_) {
            if (!connect(destinationAddress, generation)) return false;
        }
        errors_->raised = false;
        out_->sendMessage(bytes.data(), bytes.size());
        return !errors_->raised;
    }

private:
    bool connect(const std::string& address, std::uint64_t generation) {
        if (out_->isPortOpen()) out_->closePort();
        connectedAddress_.clear();
        const auto index = indexOfPort(*out_, address);
        if (!index) return false;
        errors_->raised = false;
        out_->openPort(*index, portName_);
        if (errors_->raised) return false;
        connectedAddress_ = address;
        connectedGeneration_ = generation;
        return true;
    }

    std::shared_ptr<SharedState> state_;
    std::unique_ptr<ErrorFlag> errors_;
    std::unique_ptr<RtMidiOut> out_;
    std::string portName_;
    OwnPortRegistration registration_;
    std::string connectedAddress_;
    std::uint64_t connectedGeneration_ = 0;
};

class RtMidiInputConnection final : public InputConnection {
public:
    RtMidiInputConnection(std::shared_ptr<SharedState> state, std::unique_ptr<ErrorFlag> errors,
                          std::unique_ptr<RtMidiIn> in, const std::string& clientName, const std::string& portName,
                          ReceiveFunction receive)
        : errors_(std::move(errors)), receive_(std::move(receive)), registration_(std::move(state), clientName, portName),
          in_(std::move(in)) {
        in_->ignoreTypes(false, false, false);  // raw bytes, as the source sent them
        in_->setCallback(&RtMidiInputConnection::onMessage, this);
    }

    bool open(const std::string& sourceAddress, const std::string& portName) {
        const auto index = indexOfPort(*in_, sourceAddress);
        if (!index) return false;
        errors_->raised = false;
        in_->openPort(*index, portName);
        return !errors_->raised;
    }

private:
    static void onMessage(double, std::vector<unsigned char>* message, void* self) {
        if (message && !message->empty()) static_cast<RtMidiInputConnection*>(self)->receive_(*message, now());
    }

    // Closing the port stops RtMidi's thread, so the port goes first.
    std::unique_ptr<ErrorFlag> errors_;
    ReceiveFunction receive_;
    OwnPortRegistration registration_;
    std::unique_ptr<RtMidiIn> in_;
};

class RtMidiVirtualEndpoint final : public VirtualEndpoint {
public:
    RtMidiVirtualEndpoint(std::unique_ptr<ErrorFlag> errors, std::unique_ptr<RtMidiOut> out)
        : errors_(std::move(errors)), out_(std::move(out)) {}

    bool send(std::span<const std::uint8_t> bytes) override {
        errors_->raised = false;
        out_->sendMessage(bytes.data(), bytes.size());
        return !errors_->raised;
    }

private:
    std::unique_ptr<ErrorFlag> errors_;
    std::unique_ptr<RtMidiOut> out_;
};

class RtMidiBackend final : public Backend {
public:
    std::vector<Endpoint> sources() override {
        std::lock_guard lock(listMutex_);
        return list(sourceLister_, lastSources_);
    }

    std::vector<Endpoint> destinations() override {
        std::lock_guard lock(listMutex_);
        return list(destinationLister_, lastDestinations_);
    }

    std::unique_ptr<OutputConnection> openOutput(const std::string& clientName, const std::string& portName) override {
        const RtMidi::Api api = currentApi();
        if (api == RtMidi::UNSPECIFIED) return nullptr;
        auto errors = std::make_unique<ErrorFlag>();
        auto out = makePort<RtMidiOut>(api, clientName, *errors);
        if (!out || errors->raised) return nullptr;
        return std::make_unique<RtMidiOutputConnection>(state_, std::move(errors), std::move(out), clientName, portName);
    }

    std::unique_ptr<InputConnection> openInput(const std::string& clientName, const std::string& portName,
                                               const std::string& sourceAddress, ReceiveFunction receive) override {
        const RtMidi::Api api = currentApi();
        if (api == RtMidi::UNSPECIFIED) return nullptr;
        auto errors = std::make_unique<ErrorFlag>();
        auto in = makePort<RtMidiIn>(api, clientName, *errors);
        if (!in || errors->raised) return nullptr;
        auto connection = std::make_unique<RtMidiInputConnection>(state_, std::move(errors), std::move(in), clientName,
                                                                  portName, std::move(receive));
        if (!connection->open(sourceAddress, portName)) return nullptr;
        return connection;
    }

    std::unique_ptr<VirtualEndpoint> openVirtualSource(const std::string& name) override {
        const RtMidi::Api api = currentApi();
        if (api == RtMidi::UNSPECIFIED) return nullptr;
        auto errors = std::make_unique<ErrorFlag>();
        auto out = makePort<RtMidiOut>(api, name, *errors);
        if (!out || errors->raised) return nullptr;
        out->openVirtualPort(name);
        if (errors->raised) return nullptr;
        return std::make_unique<RtMidiVirtualEndpoint>(std::move(errors), std::move(out));
    }

private:
    // Without a MIDI system, look again now and then: a JACK server may start later.
    RtMidi::Api currentApi() {
        std::lock_guard lock(apiMutex_);
        const auto time = std::chrono::steady_clock::now();
        if (api_ == RtMidi::UNSPECIFIED && (!lastProbe_ || time - *lastProbe_ >= std::chrono::seconds(2))) {
            lastProbe_ = time;
            api_ = probeApi();
        }
        return api_;
    }

    template <typename Port>
    std::vector<Endpoint> list(std::unique_ptr<Port>& lister, std::vector<std::string>& lastNames) {
        std::vector<Endpoint> endpoints;
        const RtMidi::Api api = currentApi();
        if (api == RtMidi::UNSPECIFIED) return endpoints;
        if (!lister) lister = makePort<Port>(api, "PulvanMIDISetup", listerErrors_);
        if (!lister) return endpoints;
        std::vector<std::string> names;
        const unsigned count = lister->getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            std::string fullName = lister->getPortName(i);
            if (fullName.empty()) continue;  // vanished while listing
            names.push_back(fullName);
            const PortIdentity identity = api == RtMidi::LINUX_ALSA ? alsaPortIdentity(fullName) : jackPortIdentity(fullName);
            if (state_->isOwn(identity)) continue;
            endpoints.push_back(makeEndpoint(std::move(fullName), identity));
        }
        if (names != lastNames) {
            lastNames = std::move(names);
            state_->setupGeneration.fetch_add(1, std::memory_order_acq_rel);
        }
        return endpoints;
    }

    std::shared_ptr<SharedState> state_ = std::make_shared<SharedState>();
    std::mutex apiMutex_;
    RtMidi::Api api_ = RtMidi::UNSPECIFIED;
    std::optional<std::chrono::steady_clock::time_point> lastProbe_;
    std::mutex listMutex_;
    ErrorFlag listerErrors_;
    std::unique_ptr<RtMidiIn> sourceLister_;
    std::unique_ptr<RtMidiOut> destinationLister_;
    std::vector<std::string> lastSources_;
    std::vector<std::string> lastDestinations_;
};

}  // namespace

std::shared_ptr<Backend> makeRtMidiBackend() { return std::make_shared<RtMidiBackend>(); }

}  // namespace pulvan::midi
