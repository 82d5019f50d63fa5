// The bundle's exported entry points; the version script keeps every other
// symbol inside.
#include "pluginterfaces/base/ipluginbase.h"
#include "vst3/pulvan_factory.h"

extern "C" {

__attribute__((visibility("default"))) bool ModuleEntry(void*) { return true; }
__attribute__((visibility("default"))) bool ModuleExit() { return true; }

__attribute__((visibility("default"))) bool bundleEntry(void* handle) { return ModuleEntry(handle); }
__attribute__((visibility("default"))) bool bundleExit() { return ModuleExit(); }

__attribute__((visibility("default"))) Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory() {
    return kez::acquirePulvanFactory();
}

}
