#include "platform/audiounit/audio_unit.h"

namespace pulvan::au {

bool AudioUnit::allocateRenderResources(std::string* error) {
    if (AudioUnitBusArray* outputs = outputBusses()) {
        for (std::size_t i = 0; i < outputs->count(); ++i) {
            if ((*outputs)[i].format().sampleRate > 0.0) continue;
            if (error) *error = "output bus " + std::to_string(i) + " has no valid format";
            return false;
        }
    }
    renderResourcesAllocated_ = true;
    return true;
}

void AudioUnit::deallocateRenderResources() { renderResourcesAllocated_ = false; }

}  // namespace pulvan::au
