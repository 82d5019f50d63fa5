// A plug-in host that plays Pulvan, with its editor side, about in real time until it is ended, for
// tests that watch a host's life from outside. It says "playing" once the first blocks are done.
#include "tests/vst3/plugin_instance.h"

#include <chrono>
#include <cstdio>
#include <thread>

using namespace kez::test;

int main() {
    LoadedBundle bundle(PULVAN_VST3_BUNDLE_PATH);
    if (!bundle.loaded()) {
        std::printf("not loaded: %s\n", bundle.error().c_str());
        return 2;
    }
    auto host = makeHostContext();
    Steinberg::IPluginFactory* factory = bundle.factory();
    PluginInstance plugin(factory, host.get(), EditorSide::connected);
    factory->release();
    if (!plugin.ready()) return 3;
    constexpr int kBlock = 480;  // 10 ms at 48 kHz
    Transport transport;
    for (std::int64_t sample = 0;; sample += kBlock) {
        transport.positionQn = static_cast<double>(sample) / kSampleRate * transport.tempo / 60.0;
        plugin.processBlock(kBlock, &transport, sample);
        if (sample == 0) {
            std::printf("playing\n");
            std::fflush(stdout);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
