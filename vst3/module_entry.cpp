// The bundle's exported entry points; the version script keeps every other
// symbol inside. Entering the module also makes the Audio-Unit-style class it
// holds instantiable through the module's component registry.
#include "audiounit/pulvan_audio_unit.h"
#include "audiounit/registration.h"
#include "editor/link/editor_thread.h"
#include "platform/foundation/pasteboard.h"
#include "platform/midi/shutdown.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "vst3/host_run_loop_queue.h"
#include "vst3/pulvan_factory.h"

#include <mutex>

namespace {

std::mutex moduleMutex;
int moduleEntries = 0;  // hosts and the application may each enter the module

}  // namespace

extern "C" {

__attribute__((visibility("default"))) bool ModuleEntry(void*) {
    std::lock_guard lock(moduleMutex);
    if (moduleEntries++ == 0) pulvan::au::registerPulvanAudioUnit(pulvan::au::ComponentRegistry::shared());
    return true;
}

__attribute__((visibility("default"))) bool ModuleExit() {
    std::lock_guard lock(moduleMutex);
    if (moduleEntries == 0) return false;
    // Units made before stay usable; only new ones can no longer be made. No thread of ours outlives the
    // module, and no MIDI client of ours stays open, whatever the host did not release.
    if (--moduleEntries == 0) {
        pulvan::au::ComponentRegistry::shared().unregisterComponent(pulvan::au::PulvanAudioUnit::kComponentDescription);
        pulvan::link::EditorThread::endAll();
        pulvan::foundation::Pasteboard::retireGeneral();
        pulvan::midi::shutDown();
        // From exit handlers the host's run loop may be gone already; nothing turns it afterwards.
        if (!pulvan::link::EditorThread::processIsExiting()) kez::HostRunLoopQueue::leaveEveryRunLoop();
    }
    return true;
}

__attribute__((visibility("default"))) bool bundleEntry(void* handle) { return ModuleEntry(handle); }
__attribute__((visibility("default"))) bool bundleExit() { return ModuleExit(); }

__attribute__((visibility("default"))) Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory() { return kez::acquirePulvanFactory(); }
}
