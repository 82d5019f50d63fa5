#pragma once
#include "platform/midi/cycle_output.h"
#include "platform/midi/jack_ports.h"
#include "platform/midi/short_message_queue.h"
#include "platform/midi/sounding_notes.h"

#include <jack/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>

namespace pulvan::midi {

// One JACK client of ours with one MIDI port. An output port writes each
// message in the cycle its timestamp falls in, at its frame offset there; an
// input port passes on what arrives with the time it was played. When the
// server goes away the client notices, drops what it is given and stays quiet.
// It asks the server for no notices: a notice the server cannot hand over while
// our process is paused holds the server up for every other program.
class JackPortClient {
public:
    enum class Direction { output, input };
    static constexpr std::size_t kQueueCapacity = CycleOutput::kCapacity;

    // Null when no server answers, it refuses the client or the port, or the client's process thread does not run.
    static std::unique_ptr<JackPortClient> open(const std::string& clientName, const std::string& portName, Direction direction);
    // An output ends every note it left sounding, and waits (briefly) for that to leave, before the client closes.
    ~JackPortClient();
    JackPortClient(const JackPortClient&) = delete;
    JackPortClient& operator=(const JackPortClient&) = delete;

    bool alive() const { return !client_->gone(); }
    JackClient& client() { return *client_; }
    jack_port_t* port() const { return port_; }
    // The port's full name, as other programs see it.
    const std::string& portName() const { return portName_; }

    // Output: queue one message of 1 to 3 bytes; false when dropped.
    bool send(std::span<const std::uint8_t> bytes, std::uint64_t deliverAt) noexcept;
    // Output: drop what has not left and end what sounded, in the next cycle.
    void silence() noexcept;
    // The length of the last cycle the process thread ran: it follows the server's buffer size.
    std::int64_t periodNanoseconds() const noexcept { return periodNanoseconds_.load(std::memory_order_acquire); }
    // Input: the next message that arrived, with the time it was played.
    bool receive(ShortMessage& message) noexcept {
        if (!queue_.tryPop(message)) return false;
        ++received_;
        return true;
    }
    // Input: how many messages arrived while the queue was full, and so were never received.
    std::uint64_t refused() const noexcept { return refused_.load(std::memory_order_acquire); }
    // Input, on the receiving thread: the notes held by exactly the messages received so far and the first
    // `refused` refused; none when another arrived meanwhile, for a later call that received it first.
    std::optional<NoteSet> heldNotesAfter(std::uint64_t refused) const noexcept { return heldNotes_.loadAfter(received_ + refused); }

    // Polls until `done()` holds; false when the deadline passes or the server drops the client first.
    template <typename Done>
    bool awaitWhileAlive(std::chrono::steady_clock::time_point deadline, Done&& done) const {
        while (!done()) {
            if (!alive() || std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

private:
    JackPortClient(std::unique_ptr<JackClient> client, Direction direction);
    // Whether its process thread ran its first cycle in time.
    bool firstCycleRuns() const;
    static int process(std::uint32_t frames, void* self);
    void writeOutput(std::uint32_t frames);
    void readInput(std::uint32_t frames);

    std::unique_ptr<JackClient> client_;
    jack_port_t* port_ = nullptr;
    bool active_ = false;
    Direction direction_;
    std::string portName_;
    // Output: what senders queued; a message of length 0 asks for silence. Input: what arrived.
    ShortMessageQueue<kQueueCapacity> queue_;
    std::atomic<std::uint64_t> silencesAsked_{0};
    std::atomic<std::uint64_t> silencesDone_{0};
    std::atomic<std::uint64_t> cycles_{0};  // those the process thread ran
    std::atomic<std::int64_t> periodNanoseconds_{0};
    std::atomic<std::uint64_t> refused_{0};
    std::uint64_t received_ = 0;  // the receiving thread's own
    HeldNotesAtPort heldNotes_;
    CycleOutput output_;  // the process thread's own
};

}  // namespace pulvan::midi
