// The bundle's component registry, for the standalone application that loads the bundle: the audio
// unit it instantiates through it is then the bundle's own code.
#include "platform/audiounit/component_registry.h"

extern "C" __attribute__((visibility("default"))) pulvan::au::ComponentRegistry* KezBundleComponentRegistry() {
    return &pulvan::au::ComponentRegistry::shared();
}
