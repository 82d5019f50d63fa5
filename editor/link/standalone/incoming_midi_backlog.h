#pragma once
#include "platform/midi/sounding_notes.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <variant>

namespace pulvan::link {

// Incoming notes and control changes on their way from the MIDI layer's thread to the
// main thread, in a fixed amount of memory whatever the rate. Up to kCapacity messages
// wait in order, which is every message a hand plays. Beyond that only what lasts is
// kept: the keys held at the input and each controller's last value. Once the queued
// messages are taken, the main thread takes those (the held keys first), and messages
// queue in order again.
class IncomingMIDIBacklog {
public:
    static constexpr std::size_t kCapacity = 256;

    struct Message {
        enum class Kind : std::uint8_t { note, controlChange };
        Kind kind;
        std::uint8_t number;       // note or controller, 0...127
        std::uint8_t value;        // a note: 1 on, 0 off; a controller: its value
        std::uint8_t channel = 0;  // a note's, 0...15
        bool operator==(const Message&) const = default;
    };
    // For every key held at the input, how many channels hold it: each holds it until its own release.
    using HeldKeys = std::array<std::uint8_t, 128>;
    using Item = std::variant<Message, HeldKeys>;

    // The MIDI layer's thread. True when the backlog was idle: the caller has the main
    // thread take from it.
    bool push(Message message);
    // The MIDI layer's thread: the keys held at the input, where messages were lost before
    // they reached the backlog. Taken as after an overflow of its own: once the messages
    // queued before it. True when the backlog was idle, as for push.
    bool replaceHeldKeys(const midi::NoteSet& held);
    // The main thread. The next item, or none: the backlog is then idle.
    std::optional<Item> take();

private:
    std::optional<Item> takeMergedLocked();
    bool leaveIdleLocked();

    std::mutex mutex_;
    std::array<Message, kCapacity> queue_{};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    bool idle_ = true;
    bool merging_ = false;  // the queue overflowed and has not caught up with the input since
    midi::NoteSet heldAtInput_;
    bool heldKeysMoved_ = false;  // while merging
    std::array<std::uint8_t, 128> lastValue_{};
    std::bitset<128> controllerMoved_;  // while merging
};

}  // namespace pulvan::link
