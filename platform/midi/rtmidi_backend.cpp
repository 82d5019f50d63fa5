#include "platform/midi/rtmidi_backend.h"

#include <unistd.h>

#include <RtMidi.h>
#include <chrono>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

#include "platform/midi/endpoint_naming.h"
#include "platform/midi/jack_ports.h"

namespace pulvan::midi {
namespace {

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

// What the backend and its connections share: which ports are ours, and on
// JACK a way to see that a destination was registered anew under its old name.
struct SharedState {
    std::mutex mutex;
    std::multiset<std::pair<std::string, std::string>> ownPorts;
    std::unique_ptr<JackPortLookup> jackPorts;  // set before the first JACK connection opens

    // ALSA addresses carry the client and port numbers, so a new port has a new address.
    std::uint64_t portIdentity(const std::string& address) { return jackPorts ? jackPorts->portIdentity(address) : 0; }

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

// Sends at once; false when RtMidi complains.
bool sendNow(RtMidiOut& out, ErrorFlag& errors, std::span<const std::uint8_t> bytes) {
    errors.raised = false;
    out.sendMessage(bytes.data(), bytes.size());
    return !errors.raised;
}

// A port and the flag its errors raise; the flag lives on the heap because
// RtMidi keeps its address while the pair moves into a connection.
template <typename Port>
struct PortWithErrors {
    std::unique_ptr<ErrorFlag> errors;
    std::unique_ptr<Port> port;
};

class RtMidiOutputConnection final : public OutputConnection {
public:
    RtMidiOutputConnection(std::shared_ptr<SharedState> state, std::unique_ptr<ErrorFlag> errors,
                           std::unique_ptr<RtMidiOut> out, const std::string& clientName, std::string portName)
        : state_(state), errors_(std::move(errors)), out_(std::move(out)), portName_(std::move(portName)),
          registration_(state, clientName, portName_) {}

    bool connect(const std::string& destinationAddress) override {
        const std::uint64_t identity = state_->portIdentity(destinationAddress);
        if (destinationAddress == connectedAddress_ && identity == connectedIdentity_) return true;
        if (out_->isPortOpen()) out_->closePort();
        connectedAddress_.clear();
        const auto index = indexOfPort(*out_, destinationAddress);
        if (!index) return false;
        errors_->raised = false;
        out_->openPort(*index, portName_);
        if (errors_->raised) return false;
        connectedAddress_ = destinationAddress;
        connectedIdentity_ = identity;
        return true;
    }

    bool send(std::span<const std::uint8_t> bytes) override {
        return !connectedAddress_.empty() && sendNow(*out_, *errors_, bytes);
    }

private:
    std::shared_ptr<SharedState> state_;
    std::unique_ptr<ErrorFlag> errors_;
    std::unique_ptr<RtMidiOut> out_;
    std::string portName_;
    OwnPortRegistration registration_;
    std::string connectedAddress_;
    std::uint64_t connectedIdentity_ = 0;
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

    bool send(std::span<const std::uint8_t> bytes) override { return sendNow(*out_, *errors_, bytes); }

private:
    std::unique_ptr<ErrorFlag> errors_;
    std::unique_ptr<RtMidiOut> out_;
};

class RtMidiBackend final : public Backend {
public:
    std::vector<Endpoint> sources() override {
        return list(sourceLister_, true);
    }

    std::vector<Endpoint> destinations() override {
        return list(destinationLister_, false);
    }

    std::unique_ptr<OutputConnection> openOutput(const std::string& clientName, const std::string& portName) override {
        auto [errors, out] = newPort<RtMidiOut>(clientName);
        if (!out) return nullptr;
        return std::make_unique<RtMidiOutputConnection>(state_, std::move(errors), std::move(out), clientName, portName);
    }

    std::unique_ptr<InputConnection> openInput(const std::string& clientName, const std::string& portName,
                                               const std::string& sourceAddress, ReceiveFunction receive) override {
        auto [errors, in] = newPort<RtMidiIn>(clientName);
        if (!in) return nullptr;
        auto connection = std::make_unique<RtMidiInputConnection>(state_, std::move(errors), std::move(in), clientName,
                                                                  portName, std::move(receive));
        if (!connection->open(sourceAddress, portName)) return nullptr;
        return connection;
    }

    std::unique_ptr<VirtualEndpoint> openVirtualSource(const std::string& name) override {
        auto [errors, out] = newPort<RtMidiOut>(name);
        if (!out) return nullptr;
        out->openVirtualPort(name);
        if (errors->raised) return nullptr;
        return std::make_unique<RtMidiVirtualEndpoint>(std::move(errors), std::move(out));
    }

private:
    // A new port on the current MIDI system; empty when there is none or it refuses.
    template <typename Port>
    PortWithErrors<Port> newPort(const std::string& clientName) {
        const RtMidi::Api api = currentApi();
        if (api == RtMidi::UNSPECIFIED) return {};
        auto errors = std::make_unique<ErrorFlag>();
        auto port = makePort<Port>(api, clientName, *errors);
        if (!port || errors->raised) return {};
        return {std::move(errors), std::move(port)};
    }

    // Without a MIDI system, look again now and then: a JACK server may start later.
    RtMidi::Api currentApi() {
        std::lock_guard lock(apiMutex_);
        const auto time = std::chrono::steady_clock::now();
        if (api_ == RtMidi::UNSPECIFIED && (!lastProbe_ || time - *lastProbe_ >= std::chrono::seconds(2))) {
            lastProbe_ = time;
            api_ = probeApi();
            if (api_ == RtMidi::UNIX_JACK) state_->jackPorts = std::make_unique<JackPortLookup>();
        }
        return api_;
    }

    template <typename Port>
    std::vector<Endpoint> list(std::unique_ptr<Port>& alsaLister, bool sources) {
        std::vector<Endpoint> endpoints;
        const RtMidi::Api api = currentApi();
        if (api == RtMidi::UNSPECIFIED) return endpoints;
        const std::vector<std::string> names =
            api == RtMidi::UNIX_JACK ? state_->jackPorts->midiPorts(sources) : alsaPortNames(alsaLister);
        for (const std::string& fullName : names) {
            const PortIdentity identity = api == RtMidi::LINUX_ALSA ? alsaPortIdentity(fullName) : jackPortIdentity(fullName);
            if (state_->isOwn(identity)) continue;
            endpoints.push_back(makeEndpoint(fullName, identity));
        }
        return endpoints;
    }

    template <typename Port>
    std::vector<std::string> alsaPortNames(std::unique_ptr<Port>& lister) {
        std::vector<std::string> names;
        std::lock_guard lock(listMutex_);
        if (!lister) lister = makePort<Port>(RtMidi::LINUX_ALSA, "PulvanMIDISetup", listerErrors_);
        if (!lister) return names;
        const unsigned count = lister->getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            std::string fullName = lister->getPortName(i);
            if (!fullName.empty()) names.push_back(std::move(fullName));  // empty: vanished while listing
        }
        return names;
    }

    std::shared_ptr<SharedState> state_ = std::make_shared<SharedState>();
    std::mutex apiMutex_;
    RtMidi::Api api_ = RtMidi::UNSPECIFIED;
    std::optional<std::chrono::steady_clock::time_point> lastProbe_;
    std::mutex listMutex_;  // for the ALSA listers
    ErrorFlag listerErrors_;
    std::unique_ptr<RtMidiIn> sourceLister_;
    std::unique_ptr<RtMidiOut> destinationLister_;
};

}  // namespace

std::shared_ptr<Backend> makeRtMidiBackend() { return std::make_shared<RtMidiBackend>(); }

}  // namespace pulvan::midi
