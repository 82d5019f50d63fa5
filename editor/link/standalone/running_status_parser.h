#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace pulvan::link {

// Turns a MIDI byte stream into note events and control changes, keeping running status across
// calls: the bytes of consecutive packets (and of every source) run through one
// state, so a message split over two packets still arrives whole.
class RunningStatusParser {
public:
    using NoteHandler = std::function<void(int channel, int note, bool isOn)>;
    using ControlChangeHandler = std::function<void(int controller, int value)>;

    explicit RunningStatusParser(NoteHandler noteHandler, ControlChangeHandler controlChangeHandler = {})
        : noteHandler_(std::move(noteHandler)),
          controlChangeHandler_(std::move(controlChangeHandler)) {}

    void parse(std::span<const std::uint8_t> bytes);

private:
    void acceptDataByte(std::uint8_t byte);
    void deliver(std::uint8_t status, std::uint8_t data0, std::uint8_t data1) const;

    NoteHandler noteHandler_;
    ControlChangeHandler controlChangeHandler_;
    std::optional<std::uint8_t> runningStatus_;
    std::uint8_t pendingDataBytes_[2] = {0, 0};
    int pendingDataByteCount_ = 0;
};

}  // namespace pulvan::link
