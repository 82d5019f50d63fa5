#include "platform/midi/jack_port_client.h"

#include "platform/midi/jack_ports.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <chrono>

namespace pulvan::midi {
namespace {

// Long enough for a few cycles of any period a desktop runs.
constexpr auto kReleaseWait = std::chrono::milliseconds(300);
// A client's process thread runs within a few of the server's cycles of its activation: with room
// for a busy machine, whose threads come late now and then. And within this long, unless the server
// itself does not run.
constexpr jack_nframes_t kFirstCycleWithin = 4;
constexpr auto kFirstCycleWait = std::chrono::seconds(1);

// This cycle's start on the monotonic clock, and its frame rate as the server's
// clock runs (which may stray from the nominal sample rate).
struct CycleClock {
    std::uint64_t startNs = 0;
    double framesPerNs = 0;

    static CycleClock of(jack_client_t* client, std::uint32_t cycleFrames) {
        jack_nframes_t frames = 0;
        jack_time_t startUs = 0, nextUs = 0;
        float periodUs = 0;
        CycleClock clock;
        if (jack_get_cycle_times(client, &frames, &startUs, &nextUs, &periodUs) != 0) return clock;
        const std::int64_t offsetNs = jackClockOffsetNanoseconds();
        clock.startNs = static_cast<std::uint64_t>(static_cast<std::int64_t>(startUs) * 1000 + offsetNs);
        clock.framesPerNs = periodUs > 0 ? cycleFrames / (periodUs * 1e3) : jack_get_sample_rate(client) / 1e9;
        return clock;
    }
};

}  // namespace

std::unique_ptr<JackPortClient> JackPortClient::open(const std::string& clientName, const std::string& portName, Direction direction) {
    auto client = JackClient::open(clientName);
    if (!client) return nullptr;
    std::unique_ptr<JackPortClient> opened(new JackPortClient(std::move(client), direction));
    bool registered = false;
    opened->client_->use([&](jack_client_t* jack) {
        opened->port_ = jack_port_register(jack, portName.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                           direction == Direction::output ? JackPortIsOutput : JackPortIsInput, 0);
        if (!opened->port_) return;
        opened->portName_ = jack_port_name(opened->port_);
        registered = jack_set_process_callback(jack, &JackPortClient::process, opened.get()) == 0;
    });
    opened->active_ = registered && opened->client_->activate() && opened->firstCycleRuns();
    return opened->active_ ? std::move(opened) : nullptr;
}

// A client whose process thread does not run holds the server's cycle, and every other program's,
// each time it is due; closing it takes it out. The first cycle comes within a few of the server's
// cycles, counted as the server runs them, so that a server itself starved of time is waited for.
bool JackPortClient::firstCycleRuns() const {
    jack_nframes_t start = 0;
    jack_nframes_t period = 0;
    client_->use([&](jack_client_t* jack) {
        start = jack_last_frame_time(jack);
        period = jack_get_buffer_size(jack);
    });
    const auto serverRanTooMany = [&] {
        jack_nframes_t now = start;
        client_->use([&](jack_client_t* jack) { now = jack_last_frame_time(jack); });
        return period > 0 && now - start > kFirstCycleWithin * period;
    };
    return awaitWhileAlive(std::chrono::steady_clock::now() + kFirstCycleWait,
                           [&] { return cycles_.load(std::memory_order_acquire) > 0 || serverRanTooMany(); }) &&
           cycles_.load(std::memory_order_acquire) > 0;
}

JackPortClient::JackPortClient(std::unique_ptr<JackClient> client, Direction direction)
    : client_(std::move(client)),
      direction_(direction) {}

JackPortClient::~JackPortClient() {
    if (direction_ == Direction::output && active_ && alive()) {
        silence();
        const auto deadline = std::chrono::steady_clock::now() + kReleaseWait;
        awaitWhileAlive(deadline, [&] { return silencesDone_.load() >= silencesAsked_.load(); });
        // And their copies, for a listener that missed the cycle they went out in.
        const std::uint64_t released = cycles_.load();
        awaitWhileAlive(deadline, [&] { return cycles_.load() >= released + CycleOutput::kRepeatAfterCycles; });
    }
}

bool JackPortClient::send(std::span<const std::uint8_t> bytes, std::uint64_t deliverAt) noexcept {
    if (!alive() || bytes.empty() || bytes.size() > 3) return false;
    ShortMessage message;
    message.deliverAt = deliverAt;
    message.length = static_cast<std::uint8_t>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), message.bytes.begin());
    return queue_.tryPush(message);
}

void JackPortClient::silence() noexcept {
    // The marker keeps its place among the messages, so what is sent after it stays.
    if (queue_.tryPush(ShortMessage{})) silencesAsked_.fetch_add(1);
}

int JackPortClient::process(std::uint32_t frames, void* self) {
    auto& port = *static_cast<JackPortClient*>(self);
    const jack_nframes_t rate = jack_get_sample_rate(port.client_->raw());
    if (rate > 0) port.periodNanoseconds_.store(static_cast<std::int64_t>(frames) * 1'000'000'000 / rate, std::memory_order_release);
    if (port.direction_ == Direction::output) {
        port.writeOutput(frames);
    } else {
        port.readInput(frames);
    }
    port.cycles_.fetch_add(1, std::memory_order_release);
    return 0;
}

void JackPortClient::writeOutput(std::uint32_t frames) {
    void* buffer = jack_port_get_buffer(port_, frames);
    if (!buffer) return;
    jack_midi_clear_buffer(buffer);
    ShortMessage message;
    while (queue_.tryPop(message)) output_.take(message);
    const CycleClock clock = CycleClock::of(client_->raw(), frames);
    output_.writeCycle({clock.startNs, clock.framesPerNs, frames}, [&](std::span<const std::uint8_t> bytes, std::uint32_t offset) {
        jack_midi_data_t* data = jack_midi_event_reserve(buffer, offset, bytes.size());
        if (data) std::copy(bytes.begin(), bytes.end(), data);
        return data != nullptr;
    });
    silencesDone_.store(output_.silencesTaken(), std::memory_order_release);
}

void JackPortClient::readInput(std::uint32_t frames) {
    void* buffer = jack_port_get_buffer(port_, frames);
    if (!buffer) return;
    const CycleClock clock = CycleClock::of(client_->raw(), frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0 || event.size > 3) continue;  // no system exclusive
        ShortMessage message;
        message.length = static_cast<std::uint8_t>(event.size);
        std::copy(event.buffer, event.buffer + event.size, message.bytes.begin());
        message.deliverAt = clock.framesPerNs > 0 ? clock.startNs + static_cast<std::uint64_t>(event.time / clock.framesPerNs) : now();
        // Before the push: whoever receives this message, or learns that one was refused, finds it counted.
        heldNotes_.follow(std::span<const std::uint8_t>(message.bytes.data(), message.length));
        if (!queue_.tryPush(message)) refused_.fetch_add(1, std::memory_order_release);
    }
}

}  // namespace pulvan::midi
