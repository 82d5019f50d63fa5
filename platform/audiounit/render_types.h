#pragma once
#include <cstdint>
#include <functional>

namespace pulvan::au {

// A MIDI event with this sample time is sent as soon as the host can.
constexpr std::int64_t kEventSampleTimeImmediate = static_cast<std::int64_t>(0xFFFFFFFF00000000ull);

constexpr std::uint32_t kAudioTimeStampSampleTimeValid = 1;
constexpr std::uint32_t kAudioTimeStampHostTimeValid = 2;

struct AudioTimeStamp {
    double sampleTime = 0.0;
    std::uint64_t hostTime = 0;
    std::uint32_t flags = 0;
};

struct AudioBuffer {
    std::uint32_t numberChannels = 0;
    std::uint32_t dataByteSize = 0;
    void* data = nullptr;  // null: the unit supplies its own memory
};

struct AudioBufferList {
    std::uint32_t numberBuffers = 0;
    AudioBuffer buffers[1];
};

enum class RenderEventType : std::uint8_t { parameter = 1, parameterRamp = 2, midi = 8, midiSysEx = 9 };

// One entry of the realtime event list that the host hands to each render call, linked in time order.
struct RenderEvent {
    const RenderEvent* next = nullptr;
    std::int64_t eventSampleTime = 0;
    RenderEventType eventType = RenderEventType::midi;
    std::uint16_t length = 0;
    std::uint8_t cable = 0;
    std::uint8_t data[3] = {0, 0, 0};
};

using RenderActionFlags = std::uint32_t;
using RenderStatus = std::int32_t;
constexpr RenderStatus kRenderNoErr = 0;

using PullInputBlock = std::function<RenderStatus(RenderActionFlags* actionFlags, const AudioTimeStamp& timestamp, std::uint32_t frameCount,
                                                  std::int64_t inputBusNumber, AudioBufferList* inputData)>;

using RenderBlock = std::function<RenderStatus(RenderActionFlags* actionFlags, const AudioTimeStamp& timestamp, std::uint32_t frameCount,
                                               std::int64_t outputBusNumber, AudioBufferList* outputData,
                                               const RenderEvent* realtimeEventListHead, const PullInputBlock* pullInputBlock)>;

}  // namespace pulvan::au
