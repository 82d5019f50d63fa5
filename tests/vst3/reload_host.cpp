// reload_host <cycles>: a host that loads the bundle, shows its editor, closes it and unloads the module
// again and again in one process, as hosts do on a rescan or when one project closes and another opens.
// Like a toolkit host it sets its own X error handler before the first load, and after each unload it
// makes an X error of its own, which must reach that handler. It holds no pango or GLib of its own, so
// the module's copies of them are not kept loaded on its behalf. Exits 0, or 1 with the reason.
#include "pluginterfaces/gui/iplugview.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/x11/host_window.h"
#include "tests/support/descriptor_count.h"
#include "tests/support/thread_count.h"
#include "tests/vst3/plugin_instance.h"
#include "tests/vst3/run_loop_frame.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

using namespace Steinberg;
using namespace std::chrono_literals;
using pulvan::x11::test::HostWindow;

namespace {

constexpr unsigned long kEditorBackground = 0x0E0E10;
constexpr auto kCycleLimit = 60s;

[[noreturn]] void fail(int cycle, const std::string& reason) {
    std::fprintf(stderr, "reload host, cycle %d: %s\n", cycle, reason.c_str());
    std::fflush(stderr);
    std::_Exit(1);
}

bool holdsLibrary(const std::string& name) {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find(name) != std::string::npos) return true;
    return false;
}

std::atomic<int> hostErrors{0};
std::atomic<Display*> hostErrorDisplay{nullptr};

int countHostError(Display* display, XErrorEvent*) {
    hostErrorDisplay = display;
    ++hostErrors;
    return 0;
}

// Ends the process when a cycle hangs (a view's release that never returns), naming the cycle.
class CycleWatch {
public:
    CycleWatch() : thread_([this] { watch(); }) {}
    ~CycleWatch() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    void begin(int cycle) {
        {
            std::lock_guard lock(mutex_);
            cycle_ = cycle;
        }
        changed_.notify_all();
    }

private:
    void watch() {
        std::unique_lock lock(mutex_);
        while (!done_) {
            const int watched = cycle_;
            if (!changed_.wait_for(lock, kCycleLimit, [&] { return done_ || cycle_ != watched; }) && watched > 0)
                fail(watched, "did not end within 60 s");
        }
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    int cycle_ = 0;
    bool done_ = false;
    std::thread thread_;
};

// Loads the module, shows the editor until it has drawn, closes it and unloads the module.
void showAndUnload(int cycle, FUnknown* hostContext) {
    kez::test::LoadedBundle bundle(PULVAN_VST3_BUNDLE_PATH, kez::test::LoadedBundle::Unloading::unmaps);
    if (!bundle.loaded()) fail(cycle, "the bundle did not load: " + bundle.error());
    IPluginFactory* factory = bundle.factory();
    auto plugin = std::make_unique<kez::test::PluginInstance>(factory, hostContext);
    factory->release();
    if (!plugin->ready()) fail(cycle, "the plug-in did not become ready");
    {
        HostWindow window(1280, 730);
        kez::test::RunLoopFrame frame;
        IPlugView* view = plugin->controller()->createView("editor");
        if (!view) fail(cycle, "the controller made no view");
        view->setFrame(&frame);
        view->attached(window.handle(), kPlatformTypeX11EmbedWindowID);
        if (!frame.runUntil([&] { return window.pixel(4, 300) == kEditorBackground; }, 20s)) fail(cycle, "the editor did not draw");
        view->removed();
        view->release();
        frame.runFor(100ms);  // the host's loop lets go of what the view gave it
    }
    plugin.reset();
}  // ModuleExit, then dlclose

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 5;
    if (holdsLibrary("libpango") || holdsLibrary("libglib")) fail(0, "this host holds pango or GLib of its own");
    pulvan::test::TempFolder home;
    setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);

    XSetErrorHandler(countHostError);
    Display* host = XOpenDisplay(nullptr);
    if (!host) fail(0, "no X display");
    auto context = kez::test::makeHostContext();
    CycleWatch watch;
    std::size_t descriptorsAfterFirst = 0, threadsAfterFirst = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        watch.begin(cycle);
        showAndUnload(cycle, context.get());

        // An error of the host's own: a request on a window that no longer exists.
        const Window gone = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 1, 1, 0, 0, 0);
        XDestroyWindow(host, gone);
        XUnmapWindow(host, gone);
        XSync(host, False);
        if (hostErrors != cycle || hostErrorDisplay != host) fail(cycle, "the host's X error did not reach the host's handler");

        if (cycle == 1) {
            std::this_thread::sleep_for(500ms);  // joined threads leave the process's list
            descriptorsAfterFirst = pulvan::test::descriptorCount();
            threadsAfterFirst = pulvan::test::threadCount();
        } else {
            if (!pulvan::test::descriptorCountFallsTo(descriptorsAfterFirst))
                fail(cycle, std::to_string(pulvan::test::descriptorCount()) + " descriptors open against " +
                                std::to_string(descriptorsAfterFirst) + " after the first cycle");
            if (!pulvan::test::threadCountFallsTo(threadsAfterFirst, 5s))
                fail(cycle, std::to_string(pulvan::test::threadCount()) + " threads against " + std::to_string(threadsAfterFirst) +
                                " after the first cycle");
        }
    }
    watch.begin(0);
    XCloseDisplay(host);
    return 0;
}
