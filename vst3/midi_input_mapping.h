#pragma once
// Turns what a host sends (note events, points of the MIDI-controller
// parameters) into three-byte MIDI messages for the engine, each with the echo
// tag that recognises the plug-in's own output coming back.
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/vsttypes.h"

#include <cstdint>
#include <optional>

namespace kez {

enum class EchoKind : std::uint32_t { noteOn = 0x10000, noteOff = 0x20000, controlChange = 0x30000 };

// The channel is not part of a tag; a note-off's velocity is not either.
std::uint32_t echoTag(EchoKind kind, std::uint8_t data1, std::uint8_t data2);

struct MappedMidiMessage {
    std::uint8_t status;
    std::uint8_t data1;
    std::uint8_t data2;
    std::uint32_t echoTag;
};

// round(value × 127) clamped to lo...hi; a value that is not a number gives lo.
std::uint8_t normalizedToMidiByte(double value, std::uint8_t lo, std::uint8_t hi);

inline constexpr Steinberg::Vst::ParamID kFirstMidiControllerParam = 1000;
inline constexpr int kMidiControllersPerChannel = 130;
inline constexpr int kMidiControllerChannels = 16;
inline constexpr Steinberg::Vst::ParamID kLastMidiControllerParam =
    kFirstMidiControllerParam + kMidiControllersPerChannel * kMidiControllerChannels - 1;

inline constexpr Steinberg::Vst::ParamID midiControllerParamId(int channel, int controller) {
    return kFirstMidiControllerParam + static_cast<Steinberg::Vst::ParamID>(kMidiControllersPerChannel * channel + controller);
}

// Note-on and note-off with a pitch below 128; nothing for any other event.
std::optional<MappedMidiMessage> mapInputEvent(const Steinberg::Vst::Event& event);

// A control change for controllers 0...127 of the MIDI-controller parameters;
// nothing for other parameters or for after-touch and pitch bend.
std::optional<MappedMidiMessage> mapParameterPoint(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value);

}  // namespace kez
