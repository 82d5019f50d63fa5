// Run by without_jack_test.cpp where neither libjack nor an ALSA sequencer can
// be found: loads the bundle as a host does, plays the demo and lists the MIDI
// ports that Pulvan's MIDI layer sees. Prints what it found; fails with a
// message on the first thing that is not as it should be.
#include "platform/midi/endpoints.h"
#include "platform/midi/jack_library.h"
#include "tests/vst3/plugin_instance.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

using namespace kez::test;

namespace {

[[noreturn]] void fail(const char* what) {
    std::printf("FAILED: %s\n", what);
    std::exit(1);
}

}  // namespace

int main() {
    if (dlopen("libjack.so.0", RTLD_LAZY) || pulvan::midi::jackLibraryPresent()) fail("libjack can still be loaded");

    LoadedBundle bundle(PULVAN_VST3_BUNDLE_PATH);
    if (!bundle.loaded()) fail(bundle.error().c_str());
    std::printf("bundle loaded\n");

    auto host = makeHostContext();
    Steinberg::IPluginFactory* factory = bundle.factory();
    {
        // The editor side starts too, with its MIDI and its store.
        PluginInstance withEditorSide(factory, host.get(), EditorSide::connected);
        if (!withEditorSide.ready()) fail("the plug-in with its editor side did not start");
        PluginInstance demo(factory, host.get(), EditorSide::absent);
        if (!demo.ready()) fail("the plug-in did not start");
        // Eighth notes at 120 BPM and 48 kHz; the demo's fourth step rests.
        const auto ons = ofType(demo.play(200, 512), Steinberg::Vst::Event::kNoteOnEvent);
        const std::int64_t expectedStarts[] = {0, 12000, 24000, 48000};
        if (ons.size() < 4) fail("the demo played fewer than four notes");
        for (int i = 0; i < 4; ++i)
            if (ons[i].sample != expectedStarts[i]) fail("a demo note is off its step");
        std::printf("demo notes played: %zu\n", ons.size());
    }
    factory->release();

    std::printf("MIDI ports: %zu\n", pulvan::midi::sources().size() + pulvan::midi::destinations().size());
    return 0;
}
