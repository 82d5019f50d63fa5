#include "platform/midi/alsa_backend.h"

#include "platform/midi/endpoint_naming.h"
#include "platform/midi/sounding_notes.h"

#include <alsa/asoundlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace pulvan::midi {
namespace {

// An event due this close to now may already have left when silence comes.
constexpr Timestamp kDeliveryMargin = 2'000'000;

struct SequencerAddress {
    int client = 0;
    int port = 0;
    bool operator==(const SequencerAddress&) const = default;
};

// Addresses read "client:port 128:0", the numbers last.
std::optional<SequencerAddress> parseAddress(const std::string& address) {
    SequencerAddress parsed;
    const auto space = address.rfind(' ');
    if (space == std::string::npos || std::sscanf(address.c_str() + space + 1, "%d:%d", &parsed.client, &parsed.port) != 2) {
        return std::nullopt;
    }
    return parsed;
}

snd_seq_t* openSequencer(const std::string& clientName, int streams) {
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", streams, SND_SEQ_NONBLOCK) < 0) return nullptr;
    snd_seq_set_client_name(seq, clientName.c_str());
    return seq;
}

// Which sequencer clients are ours, so that nobody is offered their ports.
struct SharedState {
    std::mutex mutex;
    std::multiset<int> ownClients;
    snd_seq_t* lister = nullptr;  // under mutex
};

class OwnClient {
public:
    OwnClient(std::shared_ptr<SharedState> state, snd_seq_t* seq) : state_(std::move(state)), seq_(seq), id_(snd_seq_client_id(seq)) {
        std::lock_guard lock(state_->mutex);
        state_->ownClients.insert(id_);
    }
    ~OwnClient() {
        snd_seq_close(seq_);
        std::lock_guard lock(state_->mutex);
        state_->ownClients.erase(state_->ownClients.find(id_));
    }
    OwnClient(const OwnClient&) = delete;
    OwnClient& operator=(const OwnClient&) = delete;
    snd_seq_t* seq() const { return seq_; }

private:
    std::shared_ptr<SharedState> state_;
    snd_seq_t* seq_;
    int id_;
};

// Sends through a queue that runs in real time, so that the kernel delivers each event at its time.
class AlsaOutput final : public OutputConnection {
public:
    AlsaOutput(std::shared_ptr<SharedState> state, snd_seq_t* seq, int port, int queue, snd_midi_event_t* encoder)
        : own_(std::move(state), seq),
          port_(port),
          queue_(queue),
          encoder_(encoder) {}

    ~AlsaOutput() override {
        silence();
        snd_seq_free_queue(own_.seq(), queue_);
        snd_midi_event_free(encoder_);
    }

    bool alive() const override { return true; }  // the sequencer does not go away under a program

    bool connect(const std::string& destinationAddress) override {
        const auto destination = parseAddress(destinationAddress);
        if (!destination) return false;
        std::lock_guard lock(mutex_);
        if (connected_ == destination) return true;
        if (connected_) snd_seq_disconnect_to(own_.seq(), port_, connected_->client, connected_->port);
        connected_.reset();
        if (snd_seq_connect_to(own_.seq(), port_, destination->client, destination->port) < 0) return false;
        connected_ = destination;
        return true;
    }

    bool send(std::span<const std::uint8_t> bytes, Timestamp deliverAt) override {
        if (bytes.empty() || bytes.size() > 3) return false;
        std::lock_guard lock(mutex_);
        const Timestamp time = now();
        const bool direct = deliverAt == kSendNow || deliverAt <= time;
        if (!output(bytes, direct ? std::nullopt : std::optional(queueTime(deliverAt, time)))) return false;
        log_.push_back({direct ? time : deliverAt, {bytes.begin(), bytes.end()}});
        settleLog(time);
        return true;
    }

    void silence() override {
        std::lock_guard lock(mutex_);
        // Every event of this client still in the library's buffer or on the kernel's queue.
        snd_seq_drop_output(own_.seq());
        settleLog(now() + kDeliveryMargin);
        log_.clear();
        sounding_.releaseAll([&](std::span<const std::uint8_t> off) { output(off, std::nullopt); });
    }

private:
    struct Sent {
        Timestamp at;
        std::vector<std::uint8_t> bytes;
    };

    // Where `deliverAt` falls on the queue's own clock.
    snd_seq_real_time_t queueTime(Timestamp deliverAt, Timestamp time) {
        snd_seq_queue_status_t* status;
        snd_seq_queue_status_alloca(&status);
        std::uint64_t queueNs = 0;
        if (snd_seq_get_queue_status(own_.seq(), queue_, status) >= 0) {
            const snd_seq_real_time_t* real = snd_seq_queue_status_get_real_time(status);
            queueNs = std::uint64_t{real->tv_sec} * 1'000'000'000u + real->tv_nsec;
        }
        const std::uint64_t due = queueNs + (deliverAt - time);
        return {static_cast<unsigned>(due / 1'000'000'000u), static_cast<unsigned>(due % 1'000'000'000u)};
    }

    bool output(std::span<const std::uint8_t> bytes, std::optional<snd_seq_real_time_t> at) {
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        snd_midi_event_reset_encode(encoder_);
        if (snd_midi_event_encode(encoder_, bytes.data(), static_cast<long>(bytes.size()), &event) <= 0 ||
            event.type == SND_SEQ_EVENT_NONE) {
            return false;
        }
        snd_seq_ev_set_source(&event, port_);
        snd_seq_ev_set_subs(&event);
        if (at) {
            snd_seq_ev_schedule_real(&event, queue_, 0, &*at);
        } else {
            snd_seq_ev_set_direct(&event);
        }
        return snd_seq_event_output(own_.seq(), &event) >= 0 && snd_seq_drain_output(own_.seq()) >= 0;
    }

    // What is due by `time` has sounded; the rest may still be taken back.
    void settleLog(Timestamp time) {
        while (!log_.empty() && log_.front().at <= time) {
            sounding_.deliver(log_.front().bytes);
            log_.pop_front();
        }
    }

    OwnClient own_;
    int port_;
    int queue_;
    snd_midi_event_t* encoder_;
    std::mutex mutex_;
    std::optional<SequencerAddress> connected_;
    std::deque<Sent> log_;  // scheduled, in send order; times rise but for messages sent "now"
    SoundingNotes sounding_;
};

class AlsaInput final : public InputConnection {
public:
    AlsaInput(std::shared_ptr<SharedState> state, snd_seq_t* seq, int port, snd_midi_event_t* decoder, ReceiveFunction receive)
        : own_(std::move(state), seq),
          port_(port),
          decoder_(decoder),
          receive_(std::move(receive)),
          wake_(::eventfd(0, EFD_CLOEXEC)) {
        snd_midi_event_no_status(decoder_, 1);  // every message whole, without running status
        reader_ = std::thread([this] { read(); });
    }

    ~AlsaInput() override {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
        reader_.join();
        ::close(wake_);
        snd_midi_event_free(decoder_);
    }

    bool alive() const override { return true; }

    bool connect(const std::string& sourceAddress) override {
        const auto source = parseAddress(sourceAddress);
        if (!source) return false;
        const int result = snd_seq_connect_from(own_.seq(), port_, source->client, source->port);
        return result >= 0 || result == -EBUSY;  // already connected
    }

    void disconnect(const std::string& sourceAddress) override {
        if (const auto source = parseAddress(sourceAddress)) snd_seq_disconnect_from(own_.seq(), port_, source->client, source->port);
    }

private:
    void read() {
        std::vector<pollfd> fds(static_cast<std::size_t>(snd_seq_poll_descriptors_count(own_.seq(), POLLIN)) + 1);
        fds[0] = {wake_, POLLIN, 0};
        snd_seq_poll_descriptors(own_.seq(), fds.data() + 1, static_cast<unsigned>(fds.size() - 1), POLLIN);
        for (;;) {
            if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
            if (fds[0].revents) return;
            snd_seq_event_t* event = nullptr;
            while (snd_seq_event_input(own_.seq(), &event) >= 0 && event) {
                unsigned char bytes[16];
                const long length = snd_midi_event_decode(decoder_, bytes, sizeof bytes, event);
                if (length > 0 && length <= 3) receive_(std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(length)), now());
            }
        }
    }

    OwnClient own_;
    int port_;
    snd_midi_event_t* decoder_;
    ReceiveFunction receive_;
    int wake_;
    std::thread reader_;
};

class AlsaBackend final : public Backend {
public:
    std::vector<Endpoint> sources() override { return list(SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ); }
    std::vector<Endpoint> destinations() override { return list(SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE); }

    std::unique_ptr<OutputConnection> openOutput(const std::string& clientName, const std::string& portName) override {
        snd_seq_t* seq = openSequencer(clientName, SND_SEQ_OPEN_DUPLEX);
        if (!seq) return nullptr;
        const int port = snd_seq_create_simple_port(seq, portName.c_str(), SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                                    SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        const int queue = port < 0 ? -1 : snd_seq_alloc_named_queue(seq, clientName.c_str());
        snd_midi_event_t* encoder = nullptr;
        if (queue < 0 || snd_seq_start_queue(seq, queue, nullptr) < 0 || snd_seq_drain_output(seq) < 0 ||
            snd_midi_event_new(16, &encoder) < 0) {
            snd_seq_close(seq);
            return nullptr;
        }
        return std::make_unique<AlsaOutput>(state_, seq, port, queue, encoder);
    }

    std::unique_ptr<InputConnection> openInput(const std::string& clientName, const std::string& portName, ReceiveFunction receive,
                                               HeldNotesFunction) override {
        snd_seq_t* seq = openSequencer(clientName, SND_SEQ_OPEN_DUPLEX);
        if (!seq) return nullptr;
        const int port = snd_seq_create_simple_port(seq, portName.c_str(), SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                                    SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        snd_midi_event_t* decoder = nullptr;
        if (port < 0 || snd_midi_event_new(16, &decoder) < 0) {
            snd_seq_close(seq);
            return nullptr;
        }
        return std::make_unique<AlsaInput>(state_, seq, port, decoder, std::move(receive));
    }

    std::unique_ptr<OutputConnection> openVirtualSource(const std::string& name) override { return openOutput(name, name); }

    ~AlsaBackend() override {
        if (state_->lister) snd_seq_close(state_->lister);
    }

private:
    std::vector<Endpoint> list(unsigned capabilities) {
        std::vector<Endpoint> endpoints;
        std::lock_guard lock(state_->mutex);
        if (!state_->lister) state_->lister = openSequencer("PulvanMIDIPorts", SND_SEQ_OPEN_DUPLEX);
        if (!state_->lister) return endpoints;
        snd_seq_client_info_t* client;
        snd_seq_port_info_t* port;
        snd_seq_client_info_alloca(&client);
        snd_seq_port_info_alloca(&port);
        snd_seq_client_info_set_client(client, -1);
        while (snd_seq_query_next_client(state_->lister, client) >= 0) {
            const int id = snd_seq_client_info_get_client(client);
            if (id == SND_SEQ_CLIENT_SYSTEM || id == snd_seq_client_id(state_->lister) || state_->ownClients.contains(id)) continue;
            const std::string clientName = snd_seq_client_info_get_name(client);
            snd_seq_port_info_set_client(port, id);
            snd_seq_port_info_set_port(port, -1);
            while (snd_seq_query_next_port(state_->lister, port) >= 0) {
                const unsigned caps = snd_seq_port_info_get_capability(port);
                if ((caps & capabilities) != capabilities || (caps & SND_SEQ_PORT_CAP_NO_EXPORT)) continue;
                const std::string address = clientName + ":" + snd_seq_port_info_get_name(port) + " " + std::to_string(id) + ":" +
                                            std::to_string(snd_seq_port_info_get_port(port));
                Endpoint endpoint = makeEndpoint(address, alsaPortIdentity(address));
                endpoint.inThisProcess = snd_seq_client_info_get_pid(client) == ::getpid();
                endpoints.push_back(std::move(endpoint));
            }
        }
        return endpoints;
    }

    std::shared_ptr<SharedState> state_ = std::make_shared<SharedState>();
};

}  // namespace

std::shared_ptr<Backend> makeAlsaBackend() {
    // Asked first, as alsa-lib tells stderr about a missing device.
    if (::access("/dev/snd/seq", R_OK | W_OK) != 0) return nullptr;
    snd_seq_t* probe = nullptr;
    if (snd_seq_open(&probe, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) return nullptr;
    snd_seq_close(probe);
    return std::make_shared<AlsaBackend>();
}

}  // namespace pulvan::midi
