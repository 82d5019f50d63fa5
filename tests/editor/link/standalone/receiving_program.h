#pragma once
// Another program's MIDI input on the MIDI system the layer uses (ALSA, else JACK): records what arrives and when.
#include "platform/midi/midi_types.h"

#include <RtMidi.h>
#include <unistd.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace pulvan::link {

inline RtMidi::Api sameApiAsTheMIDILayer() { return ::access("/dev/snd/seq", R_OK | W_OK) == 0 ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK; }

struct Arrival {
    std::vector<unsigned char> bytes;
    std::int64_t at;
};

// Another program's MIDI input: records what arrives and when.
class ReceivingProgram {
public:
    ReceivingProgram(const std::string& clientName, const std::string& portName) : input_(sameApiAsTheMIDILayer(), clientName) {
        input_.setCallback(
            [](double, std::vector<unsigned char>* message, void* self) {
                auto& program = *static_cast<ReceivingProgram*>(self);
                const auto at = static_cast<std::int64_t>(midi::now());
                std::lock_guard lock(program.mutex_);
                program.arrivals_.push_back({*message, at});
            },
            this);
        input_.openVirtualPort(portName);
    }

    std::vector<Arrival> arrivals() {
        std::lock_guard lock(mutex_);
        return arrivals_;
    }

private:
    RtMidiIn input_;
    std::mutex mutex_;
    std::vector<Arrival> arrivals_;
};

inline bool noteOn(const Arrival& a) { return (a.bytes[0] & 0xF0) == 0x90 && a.bytes[2] != 0; }
inline bool noteOff(const Arrival& a) { return (a.bytes[0] & 0xF0) == 0x80 || ((a.bytes[0] & 0xF0) == 0x90 && a.bytes[2] == 0); }


}  // namespace pulvan::link
