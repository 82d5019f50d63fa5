#pragma once
#include "pluginterfaces/base/ipluginbase.h"

namespace kez {

// The module's one factory, created on first use; every call hands out one
// reference. When hosts release it to zero it is gone and the next call builds
// a fresh one.
Steinberg::IPluginFactory* acquirePulvanFactory();

}  // namespace kez
