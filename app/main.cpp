// pulvan: the standalone application. It loads the plug-in bundle, plays the sequencer's audio unit from it
// on its own clock, sends its MIDI to other programs and shows the editor in a window.
#include "app/loaded_bundle.h"
#include "app/quit_signals.h"
#include "app/standalone_application.h"
#include "platform/foundation/bounded_quit.h"
#include "platform/foundation/main_queue.h"
#include "platform/x11/event_loop.h"

#include <chrono>
#include <cstdio>

int main() {
    using namespace pulvan;
    foundation::MainQueue queue;
    x11::EventLoop loop(queue);
    // First, so that no thread the bundle starts takes these signals.
    app::StandaloneApplication* running = nullptr;
    app::QuitSignals signals(loop, [&] {
        if (running) running->quit();
        else loop.stop();
    });
    const auto places = app::LoadedBundle::placesToLook();
    const auto library = app::LoadedBundle::find(places);
    if (!library) {
        std::printf("Could not find the Pulvan bundle (Pulvan.vst3). Looked in:\n");
        for (const auto& place : places) std::printf("  %s\n", place.c_str());
        std::printf("Put Pulvan.vst3 in the folder that holds pulvan, or install it.\n");
        return 1;
    }
    std::string error;
    auto bundle = app::LoadedBundle::open(*library, error);
    if (!bundle) {
        std::printf("Could not load the Pulvan bundle: %s\n", error.c_str());
        return 1;
    }
    auto application = app::StandaloneApplication::open(loop, bundle->registry());
    if (!application) {
        std::printf("Could not open a window: no X display answers (DISPLAY is not set or not reachable).\n");
        return 1;
    }
    running = application.get();
    loop.run();
    running = nullptr;
    foundation::closeWithin(std::chrono::seconds(2), [&] {
        application.reset();
        bundle.reset();
    });
    return 0;
}
