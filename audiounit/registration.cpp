#include "audiounit/registration.h"

#include "audiounit/pulvan_audio_unit.h"

namespace pulvan::au {

void registerPulvanAudioUnit(ComponentRegistry& registry) {
    registry.registerComponent(PulvanAudioUnit::kComponentDescription, PulvanAudioUnit::kComponentName,
                               [](const ComponentDescription& description, std::uint32_t options, std::string& error) {
                                   return std::unique_ptr<AudioUnit>(PulvanAudioUnit::create(description, options, error));
                               });
}

}  // namespace pulvan::au
