#pragma once
// Another program's MIDI input on the JACK server: records what arrives and when it sounds.
#include "tests/platform/midi/jack_program.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace pulvan::link {

struct Arrival {
    std::vector<unsigned char> bytes;
    std::int64_t at;  // monotonic nanoseconds at which it sounds
};

class ReceivingProgram {
public:
    ReceivingProgram(const std::string& clientName, const std::string& portName,
                     std::chrono::milliseconds activateAfter = std::chrono::milliseconds(0))
        : program_(midi::test::JackProgram::open(clientName, portName, midi::test::JackProgram::Kind::destination, activateAfter)) {}

    bool open() const { return program_ != nullptr; }
    // The length of the last cycle it ran.
    std::chrono::microseconds period() const { return program_ ? program_->period() : std::chrono::microseconds(0); }

    std::vector<Arrival> arrivals() const {
        std::vector<Arrival> found;
        if (!program_) return found;
        for (const auto& a : program_->arrivals()) found.push_back({{a.bytes.begin(), a.bytes.end()}, static_cast<std::int64_t>(a.at)});
        return found;
    }

private:
    std::unique_ptr<midi::test::JackProgram> program_;
};

inline bool noteOn(const Arrival& a) { return (a.bytes[0] & 0xF0) == 0x90 && a.bytes[2] != 0; }
inline bool noteOff(const Arrival& a) { return (a.bytes[0] & 0xF0) == 0x80 || ((a.bytes[0] & 0xF0) == 0x90 && a.bytes[2] == 0); }

// The notes (channel × 128 + note) whose last message among `arrivals` turned them on.
inline std::set<int> stillSounding(const std::vector<Arrival>& arrivals) {
    std::set<int> sounding;
    for (const Arrival& a : arrivals) {
        const int key = (a.bytes[0] & 0x0F) * 128 + a.bytes[1];
        if (noteOn(a)) sounding.insert(key);
        if (noteOff(a)) sounding.erase(key);
    }
    return sounding;
}

}  // namespace pulvan::link
