// Leaving the module ends every thread the plug-in started and closes its MIDI clients, also where
// the host never released an instance or a view (a host that opens a second view and never detaches
// the first); entering it again works as before.
// gtest before Xlib: Xlib's macros (None, Bool) break gtest's headers.
#include <gtest/gtest.h>

#include "pluginterfaces/gui/iplugview.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/x11/host_window.h"
#include "tests/support/thread_count.h"
#include "tests/vst3/plugin_instance.h"
#include "tests/vst3/run_loop_frame.h"

#include <jack/jack.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace Steinberg;
using namespace std::chrono_literals;
using pulvan::x11::test::HostWindow;

namespace kez::test {
namespace {

constexpr unsigned long kEditorBackground = 0x0E0E10;

enum class Leaves { nothing, theView, theInstance, theFirstOfTwoViews };

struct ModuleExitCase {
    const char* name;
    int views;
    Leaves leaves;
    LoadedBundle::Unloading unloading = LoadedBundle::Unloading::keepsMapped;
};

// Waits a little for what follows from what was done (a port showing on the server).
bool soon(const std::function<bool()>& holds) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (holds()) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

// A view attached in a window of its own and drawn; each new window covers the one before.
struct OpenView {
    std::unique_ptr<HostWindow> window;
    RunLoopFrame frame;
    IPlugView* view = nullptr;

    bool open(PluginInstance& plugin) {
        window = std::make_unique<HostWindow>(1280, 730);
        view = plugin.controller()->createView("editor");
        if (!view) return false;
        view->setFrame(&frame);
        view->attached(window->handle(), kPlatformTypeX11EmbedWindowID);
        return frame.runUntil([this] { return window->pixel(4, 300) == kEditorBackground; }, 5s);
    }
    void close() {
        view->removed();
        view->release();
        view = nullptr;
    }
};

// Whether the plug-in's virtual source is on the JACK server.
bool virtualSourceShows(jack_client_t* observer) {
    const char** ports = jack_get_ports(observer, "Kez Virtual Port", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
    if (!ports) return false;
    jack_free(ports);
    return true;
}

// Exit code 0 when the threads are back to what they were before the module was loaded, else 10 and
// the number of threads left over; smaller codes for a host that could not get as far.
[[noreturn]] void leaveTheModule(const ModuleExitCase& row) {
    static pulvan::test::TempFolder home;
    setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    // Everything of the host's own (its windows, its JACK client) is there before the count.
    jack_client_t* observer = jack_client_open("pulvan-module-exit-test", JackNoStartServer, nullptr);
    if (!observer) std::_Exit(2);
    auto context = makeHostContext();
    std::vector<std::unique_ptr<OpenView>> views;
    for (int i = 0; i < row.views; ++i) views.push_back(std::make_unique<OpenView>());
    const std::size_t before = pulvan::test::threadCount();

    auto bundle = std::make_unique<LoadedBundle>(PULVAN_VST3_BUNDLE_PATH, row.unloading);
    IPluginFactory* factory = bundle->factory();
    auto plugin = std::make_unique<PluginInstance>(factory, context.get());
    factory->release();
    if (!plugin->ready()) std::_Exit(3);
    for (auto& view : views)
        if (!view->open(*plugin)) std::_Exit(4);
    plugin->play(20, 512);
    if (!soon([observer] { return virtualSourceShows(observer); })) std::_Exit(5);

    if (row.leaves != Leaves::theView && row.leaves != Leaves::theInstance)
        for (std::size_t i = row.leaves == Leaves::theFirstOfTwoViews ? 1 : 0; i < views.size(); ++i) views[i]->close();
    if (row.leaves == Leaves::theInstance) {
        (void)plugin.release();
    } else {
        plugin.reset();
    }
    bundle.reset();  // ModuleExit, then dlclose

    if (!pulvan::test::threadCountFallsTo(before)) std::_Exit(static_cast<int>(10 + pulvan::test::threadCount() - before));
    if (virtualSourceShows(observer)) std::_Exit(6);
    // The host turns its run loop on and, closing its windows, lets go of what the views gave it.
    for (auto& view : views) view->frame.runFor(100ms);
    views.clear();

    // A host may load the module again: it plays through its virtual source as before, and lets go again.
    bundle = std::make_unique<LoadedBundle>(PULVAN_VST3_BUNDLE_PATH);
    factory = bundle->factory();
    plugin = std::make_unique<PluginInstance>(factory, context.get());
    factory->release();
    if (!plugin->ready()) std::_Exit(7);
    plugin->play(20, 512);
    if (!soon([observer] { return virtualSourceShows(observer); })) std::_Exit(8);
    plugin.reset();
    bundle.reset();
    if (!pulvan::test::threadCountFallsTo(before)) std::_Exit(9);
    // The server need not notice a client that vanished before the next case starts.
    jack_client_close(observer);
    std::_Exit(0);  // what the host leaked stays where it is
}

class ModuleExit : public ::testing::TestWithParam<ModuleExitCase> {};

TEST_P(ModuleExit, LeavesNoThreadOfThePlugInRunning) {
    if (GetParam().views > 0 && !std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(leaveTheModule(GetParam()), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(WhateverTheHostReleased, ModuleExit,
                         ::testing::Values(ModuleExitCase{"EverythingReleased", 0, Leaves::nothing},
                                           ModuleExitCase{"InstanceNeverReleased", 0, Leaves::theInstance},
                                           ModuleExitCase{"ViewReleased", 1, Leaves::nothing},
                                           ModuleExitCase{"ViewNeverReleased", 1, Leaves::theView},
                                           ModuleExitCase{"InstanceWithViewNeverReleased", 1, Leaves::theInstance},
                                           ModuleExitCase{"FirstOfTwoViewsNeverDetached", 2, Leaves::theFirstOfTwoViews},
                                           ModuleExitCase{"FirstOfTwoViewsNeverDetachedAndUnmapped", 2, Leaves::theFirstOfTwoViews,
                                                          LoadedBundle::Unloading::unmaps}),
                         [](const ::testing::TestParamInfo<ModuleExitCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kez::test
