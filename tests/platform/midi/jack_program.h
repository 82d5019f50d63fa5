#pragma once
// Another program on the JACK server, with one MIDI port: a destination that
// records what arrives and the frame it arrives at, or a source that plays
// what a test gives it. It talks to libjack directly, as other programs do.
#include "platform/midi/jack_ports.h"
#include "platform/midi/midi_types.h"
#include "platform/midi/short_message_queue.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace pulvan::midi::test {

struct JackArrival {
    std::vector<std::uint8_t> bytes;
    std::uint64_t frame;  // the server's frame time at which it sounds
    Timestamp at;         // the same on the monotonic clock
};

class JackProgram {
public:
    enum class Kind { destination, source };

    // Null when no server answers.
    // `activateAfter`: how long its port is shown before the program takes part, as a slow program's is.
    static std::unique_ptr<JackProgram> open(const std::string& clientName, const std::string& portName, Kind kind,
                                             std::chrono::milliseconds activateAfter = std::chrono::milliseconds(0)) {
        auto client = JackClient::open(clientName);
        if (!client) return nullptr;
        jack_client_t* jack = client->raw();
        std::unique_ptr<JackProgram> program(new JackProgram(std::move(client), kind));
        program->port_ = jack_port_register(jack, portName.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                            kind == Kind::destination ? JackPortIsInput : JackPortIsOutput, 0);
        jack_set_process_callback(jack, &JackProgram::process, program.get());
        std::this_thread::sleep_for(activateAfter);
        if (!program->port_ || !program->client_->activate()) return nullptr;
        program->fullName_ = jack_port_name(program->port_);
        return program;
    }
    ~JackProgram() { client_.reset(); }  // its process callback stops before what it records goes

    const std::string& portName() const { return fullName_; }
    // Whether the connection to `port` is in effect: libjack answers from the graph the server runs.
    bool connectedTo(const std::string& port) const { return jack_port_connected_to(port_, port.c_str()) != 0; }
    jack_client_t* client() const { return client_->raw(); }
    double sampleRate() const { return jack_get_sample_rate(client_->raw()); }

    // Its cycles so far: those it ran, and (a destination's) those the server went on without it while
    // it was late, whose messages it never hears. A server starved of time runs few, or misses some.
    std::uint64_t cycles() const { return cycles_.load(); }
    std::uint64_t missedCycles() const { return missedCycles_.load(); }
    // The length of the last cycle it ran.
    std::chrono::microseconds period() const {
        return std::chrono::microseconds(static_cast<std::int64_t>(1e6 * cycleFrames_.load() / sampleRate()));
    }

    // A source plays this in its next cycle.
    void play(std::initializer_list<std::uint8_t> bytes) {
        ShortMessage message;
        message.length = static_cast<std::uint8_t>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), message.bytes.begin());
        outgoing_.tryPush(message);
    }
    // How many messages a source has written into its port so far.
    std::uint64_t played() const { return played_.load(std::memory_order_acquire); }

    // A destination starved of time: each of its next `cycles` cycles first sleeps this long, as
    // a program on a busy machine does, so that the server reports missed cycles.
    void stall(std::chrono::microseconds each, int cycles) {
        stallMicroseconds_.store(static_cast<int>(each.count()));
        stallCycles_.store(cycles);
    }

    std::vector<JackArrival> arrivals() const {
        std::vector<JackArrival> copy;
        const std::size_t count = count_.load(std::memory_order_acquire);
        for (std::size_t i = 0; i < count; ++i) {
            const Recorded& r = recorded_[i];
            copy.push_back({{r.bytes.begin(), r.bytes.begin() + r.length}, r.frame, r.at});
        }
        return copy;
    }

private:
    struct Recorded {
        std::array<std::uint8_t, 3> bytes{};
        std::uint8_t length = 0;
        std::uint64_t frame = 0;
        Timestamp at = 0;
    };

    JackProgram(std::unique_ptr<JackClient> client, Kind kind) : client_(std::move(client)), jack_(client_->raw()), kind_(kind) {}

    static int process(jack_nframes_t frames, void* self) {
        auto& program = *static_cast<JackProgram*>(self);
        void* buffer = jack_port_get_buffer(program.port_, frames);
        if (program.kind_ == Kind::source) {
            jack_midi_clear_buffer(buffer);
            ShortMessage message;
            while (program.outgoing_.tryPop(message)) {
                if (auto* data = jack_midi_event_reserve(buffer, 0, message.length))
                    std::copy_n(message.bytes.begin(), message.length, data);
                program.played_.fetch_add(1, std::memory_order_release);
            }
            program.cycles_.fetch_add(1);
            return 0;
        }
        if (program.stallCycles_.load() > 0) {
            program.stallCycles_.fetch_sub(1);
            std::this_thread::sleep_for(std::chrono::microseconds(program.stallMicroseconds_.load()));
        }
        // The cycle's start and length on the server's clock, as the server's estimate has them.
        jack_nframes_t start = 0;
        jack_time_t startUs = 0, nextUs = 0;
        float periodUs = 0;
        jack_get_cycle_times(program.jack_, &start, &startUs, &nextUs, &periodUs);
        program.count(start, frames);
        const auto offsetNs = static_cast<double>(jackClockOffsetNanoseconds());
        for (std::uint32_t i = 0; i < jack_midi_get_event_count(buffer); ++i) {
            jack_midi_event_t event;
            const std::size_t slot = program.count_.load(std::memory_order_relaxed);
            if (jack_midi_event_get(&event, buffer, i) != 0 || event.size > 3 || slot == program.recorded_.size()) continue;
            Recorded& r = program.recorded_[slot];
            std::copy_n(event.buffer, event.size, r.bytes.begin());
            r.length = static_cast<std::uint8_t>(event.size);
            r.frame = start + event.time;
            r.at = static_cast<Timestamp>(static_cast<double>(startUs) * 1000.0 + offsetNs + event.time * periodUs * 1000.0 / frames);
            program.count_.store(slot + 1, std::memory_order_release);
        }
        return 0;
    }

    // The server's frame counter moves one cycle on at every cycle it runs.
    void count(jack_nframes_t start, jack_nframes_t frames) {
        if (cycles_.load() > 0 && start - lastStart_ > frames) missedCycles_.fetch_add((start - lastStart_) / frames - 1);
        lastStart_ = start;
        cycleFrames_.store(frames);
        cycles_.fetch_add(1);
    }

    std::unique_ptr<JackClient> client_;
    jack_client_t* jack_;  // for the process callback, which runs until the client is closed
    Kind kind_;
    jack_port_t* port_ = nullptr;
    std::string fullName_;
    ShortMessageQueue<1024> outgoing_;
    std::array<Recorded, 1 << 16> recorded_{};
    std::atomic<std::size_t> count_{0};
    std::atomic<std::uint64_t> played_{0};
    std::atomic<int> stallMicroseconds_{0};
    std::atomic<int> stallCycles_{0};
    std::atomic<std::uint64_t> cycles_{0};
    std::atomic<std::uint64_t> missedCycles_{0};
    std::atomic<std::uint32_t> cycleFrames_{0};
    jack_nframes_t lastStart_ = 0;  // the process callback's own
};

}  // namespace pulvan::midi::test
