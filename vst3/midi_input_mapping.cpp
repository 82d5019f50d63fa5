#include "vst3/midi_input_mapping.h"

#include <cmath>

using namespace Steinberg::Vst;

namespace kez {

std::uint32_t echoTag(EchoKind kind, std::uint8_t data1, std::uint8_t data2) {
    const std::uint32_t d1 = data1 & 0x7Fu;
    const std::uint32_t d2 = kind == EchoKind::noteOff ? 0u : (data2 & 0x7Fu);
    return static_cast<std::uint32_t>(kind) | d1 << 8 | d2;
}

std::uint8_t normalizedToMidiByte(double value, std::uint8_t lo, std::uint8_t hi) {
    // Compare as doubles before converting: hosts do send NaN and infinities.
    if (std::isnan(value)) return lo;
    const double scaled = std::round(value * 127.0);
    if (scaled <= lo) return lo;
    if (scaled >= hi) return hi;
    return static_cast<std::uint8_t>(scaled);
}

namespace {

std::optional<MappedMidiMessage> noteMessage(EchoKind kind, int channel, int pitch, double velocity) {
    if (pitch < 0 || pitch > 127) return std::nullopt;
    const bool on = kind == EchoKind::noteOn;
    // A note-on keeps velocity 1 at least: velocity 0 would turn it into a note-off.
    const std::uint8_t velocityByte = normalizedToMidiByte(velocity, on ? 1 : 0, 127);
    const auto status = static_cast<std::uint8_t>((on ? 0x90 : 0x80) | (channel & 0x0F));
    const auto data1 = static_cast<std::uint8_t>(pitch);
    return MappedMidiMessage{status, data1, velocityByte, echoTag(kind, data1, velocityByte)};
}

}  // namespace

std::optional<MappedMidiMessage> mapInputEvent(const Event& event) {
    if (event.type == Event::kNoteOnEvent)
        return noteMessage(EchoKind::noteOn, event.noteOn.channel, event.noteOn.pitch, event.noteOn.velocity);
    if (event.type == Event::kNoteOffEvent)
        return noteMessage(EchoKind::noteOff, event.noteOff.channel, event.noteOff.pitch, event.noteOff.velocity);
    return std::nullopt;
}

std::optional<MappedMidiMessage> mapParameterPoint(ParamID id, ParamValue value) {
    if (id < kFirstMidiControllerParam || id > kLastMidiControllerParam) return std::nullopt;
    const ParamID index = id - kFirstMidiControllerParam;
    const auto channel = static_cast<std::uint8_t>(index / kMidiControllersPerChannel);
    const auto controller = static_cast<std::uint8_t>(index % kMidiControllersPerChannel);
    if (controller > 127) return std::nullopt;
    const std::uint8_t byte = normalizedToMidiByte(value, 0, 127);
    return MappedMidiMessage{static_cast<std::uint8_t>(0xB0 | channel), controller, byte,
                             echoTag(EchoKind::controlChange, controller, byte)};
}

}  // namespace kez
