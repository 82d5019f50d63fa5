// A host process that ends with exit() while the plug-in's editor is open, whatever it still releases on
// the way out (editorhost releases the view from its own exit handlers): the process ends cleanly.
// gtest before Xlib: Xlib's macros (None, Bool) break gtest's headers.
#include <gtest/gtest.h>

#include "pluginterfaces/gui/iplugview.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/x11/host_window.h"
#include "tests/vst3/plugin_instance.h"
#include "tests/vst3/run_loop_frame.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

using namespace Steinberg;
using namespace std::chrono_literals;
using pulvan::x11::test::HostWindow;

namespace kez::test {
namespace {

enum class AtExit { releasesNothing, releasesTheView, releasesEverything };

// What the host holds; its exit handler, registered before the module is loaded, runs after the module's.
struct Host {
    AtExit atExit = AtExit::releasesNothing;
    std::unique_ptr<LoadedBundle> bundle;
    std::unique_ptr<Steinberg::Vst::HostApplication> context;
    std::unique_ptr<PluginInstance> plugin;
    std::unique_ptr<HostWindow> window;
    RunLoopFrame frame;
    IPlugView* view = nullptr;
};
Host* host = nullptr;

void releaseAtExit() {
    if (host->atExit == AtExit::releasesNothing) return;
    host->view->removed();
    host->view->release();
    if (host->atExit == AtExit::releasesTheView) return;
    host->plugin.reset();
    host->bundle.reset();
}

[[noreturn]] void openTheEditorAndExit(AtExit atExit) {
    static pulvan::test::TempFolder home;
    setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    host = new Host;
    host->atExit = atExit;
    std::atexit(releaseAtExit);
    host->bundle = std::make_unique<LoadedBundle>(PULVAN_VST3_BUNDLE_PATH);
    host->context = makeHostContext();
    IPluginFactory* factory = host->bundle->factory();
    host->plugin = std::make_unique<PluginInstance>(factory, host->context.get());
    factory->release();
    host->window = std::make_unique<HostWindow>(1280, 730);
    host->view = host->plugin->controller()->createView("editor");
    if (!host->view) std::_Exit(2);
    host->view->setFrame(&host->frame);
    host->view->attached(host->window->handle(), kPlatformTypeX11EmbedWindowID);
    // Drawn, polling and playing its part when the host goes.
    if (!host->frame.runUntil([] { return host->window->pixel(4, 300) == 0x0E0E10; }, 5s)) std::_Exit(3);
    std::this_thread::sleep_for(100ms);
    std::exit(0);
}

std::string caseName(AtExit atExit) {
    constexpr const char* names[] = {"ReleasingNothing", "ReleasingTheView", "ReleasingEverything"};
    return names[static_cast<int>(atExit)];
}

class HostExit : public ::testing::TestWithParam<AtExit> {};

TEST_P(HostExit, EndsCleanlyWithTheEditorOpen) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(openTheEditorAndExit(GetParam()), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(WhateverTheHostReleases, HostExit,
                         ::testing::Values(AtExit::releasesNothing, AtExit::releasesTheView, AtExit::releasesEverything),
                         [](const ::testing::TestParamInfo<AtExit>& info) { return caseName(info.param); });

}  // namespace
}  // namespace kez::test
