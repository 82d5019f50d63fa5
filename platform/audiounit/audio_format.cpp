#include "platform/audiounit/audio_format.h"

#include <cmath>

namespace pulvan::au {

bool AudioUnitBus::setFormat(const AudioFormat& format) {
    if (format.channelCount == 0 || format.channelCount > maximumChannelCount_ || !(format.sampleRate > 0.0) ||
        !std::isfinite(format.sampleRate)) {
        return false;
    }
    format_ = format;
    return true;
}

}  // namespace pulvan::au
