#pragma once
#include "platform/audiounit/component_registry.h"

namespace pulvan::au {

// Makes PulvanAudioUnit instantiable by its description ('aumi', "kezs", "kezm") through
// `registry`. The module that holds the unit calls this on the registry it hands out.
void registerPulvanAudioUnit(ComponentRegistry& registry);

}  // namespace pulvan::au
