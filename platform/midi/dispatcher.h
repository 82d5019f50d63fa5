#pragma once
#include "platform/midi/backend.h"
#include "platform/midi/callback_slot.h"
#include "platform/midi/midi_types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <thread>
#include <vector>

namespace pulvan::midi {

using ReadSlot = CallbackSlot<std::span<const std::uint8_t>, Timestamp>;
using HeldNotesSlot = CallbackSlot<const NoteSet&>;
using SetupSlot = CallbackSlot<>;

// The MIDI layer's own thread, one per process while anything uses it. It
// hands received messages to input callbacks, drains the audio threads' queues,
// watches the MIDI setup and runs timed work (the loopback's deliveries).
class Dispatcher {
public:
    // The running dispatcher, started when nobody holds one.
    static std::shared_ptr<Dispatcher> shared();
    // Stops the running dispatcher's thread and waits for it, also while others still hold it (the
    // module is being left): what they give it afterwards never runs. The next shared() starts anew.
    static void stopShared();
    ~Dispatcher();
    Dispatcher(const Dispatcher&) = delete;
    Dispatcher& operator=(const Dispatcher&) = delete;

    // Runs `deliver` on the layer's thread at `deliverAt` (kSendNow: at once),
    // in timestamp order; deliveries due at the same time keep the order in
    // which they were scheduled.
    void schedule(const void* owner, Timestamp deliverAt, std::function<void()> deliver);
    // Drops every delivery that `owner` still has waiting; once it returns none
    // of them runs.
    void cancel(const void* owner);

    // Hands received bytes, or the notes held at an input after a loss, to an input's callback on
    // the layer's thread, in the order posted.
    void post(std::weak_ptr<ReadSlot> slot, std::vector<std::uint8_t> bytes, Timestamp receivedAt);
    void post(std::weak_ptr<HeldNotesSlot> slot, const NoteSet& held);

    // Calls `slot` whenever the sources or destinations of `backend` change,
    // for as long as the slot exists.
    void watchSetup(std::weak_ptr<SetupSlot> slot, std::shared_ptr<Backend> backend);

    // Runs `poll` on the layer's thread about every millisecond until removed;
    // once removePoller returns, `poll` is not running.
    void addPoller(const void* owner, std::function<void()> poll);
    void removePoller(const void* owner);

private:
    struct State;
    Dispatcher();
    void stop();

    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace pulvan::midi
