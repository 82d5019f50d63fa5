#pragma once
#include <cstdint>
#include <vector>

namespace pulvan::au {

// The standard format: 32-bit float, deinterleaved, at a sample rate and channel count.
struct AudioFormat {
    double sampleRate = 44100.0;
    std::uint32_t channelCount = 2;
};

class AudioUnitBus {
public:
    explicit AudioUnitBus(AudioFormat format) : format_(format) {}

    const AudioFormat& format() const { return format_; }
    // Formats with no channels, more than the bus can take, or a rate that is not a finite
    // positive number are refused.
    bool setFormat(const AudioFormat& format);

    std::uint32_t maximumChannelCount() const { return maximumChannelCount_; }
    void setMaximumChannelCount(std::uint32_t count) { maximumChannelCount_ = count; }

private:
    AudioFormat format_;
    std::uint32_t maximumChannelCount_ = 0xFFFFFFFFu;
};

enum class AudioUnitBusType { input = 1, output = 2 };

class AudioUnitBusArray {
public:
    AudioUnitBusArray(AudioUnitBusType busType, std::vector<AudioUnitBus*> busses) : busType_(busType), busses_(std::move(busses)) {}

    AudioUnitBusType busType() const { return busType_; }
    std::size_t count() const { return busses_.size(); }
    AudioUnitBus& operator[](std::size_t index) const { return *busses_.at(index); }

private:
    AudioUnitBusType busType_;
    std::vector<AudioUnitBus*> busses_;
};

}  // namespace pulvan::au
