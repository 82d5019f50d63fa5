#pragma once
#include "platform/midi/midi_types.h"

#include <cstddef>
#include <cstdint>

namespace pulvan::midi {

inline constexpr char kVirtualSourceName[] = "Kez Virtual Port";
inline constexpr UniqueId kVirtualSourceUniqueId = 0x4B5A3001;

// One holder of the process-wide virtual source "Kez Virtual Port". The source
// opens with the first holder and closes with the last, so every instance of
// the plug-in in one process sends through the same endpoint.
//
// Construct and destroy holders off the audio thread. send() may be called from
// any thread, the audio thread included: it copies the message into a lock-free
// queue that the MIDI layer's own thread drains, and never allocates, locks or
// waits.
class SharedVirtualSource {
public:
    // Opens the source when no holder has it open yet. Never throws: when there
    // is no MIDI system (no JACK server and no ALSA sequencer) the holder stays
    // closed and a later holder tries again.
    SharedVirtualSource();
    // The last holder's release ends every note the source left sounding, then closes it.
    ~SharedVirtualSource();
    SharedVirtualSource(const SharedVirtualSource&) = delete;
    SharedVirtualSource& operator=(const SharedVirtualSource&) = delete;

    // Whether this holder holds the open source.
    bool isOpen() const noexcept { return holdsOpenSource(); }

    // Queues one message of 1 to 3 bytes for delivery at `deliverAt`. Returns
    // false, dropping the message, when this holder is closed, the length is
    // outside 1...3 or the queue is full.
    bool send(const std::uint8_t* bytes, std::size_t length, Timestamp deliverAt = kSendNow) noexcept;

    // How many holders keep the source open.
    static std::uint32_t holderCount() noexcept;

    // Closes the source now, as the last holder would, for holders that were never let go (the module
    // is being left); they hold nothing from then on, and the next holder opens it again.
    static void closeUnderEveryHolder();

private:
    bool holdsOpenSource() const noexcept;

    bool held_ = false;
    std::uint32_t generation_ = 0;
};

}  // namespace pulvan::midi
