// A host process that ends with exit() while the plug-in plays, with or without its editor open,
// whatever it still releases on the way out: the process ends cleanly. Such hosts keep the plug-in
// in a static object made before the module is loaded (editorhost releases the view from its exit
// handlers, audiohost terminates the whole plug-in there), so what they release then goes after
// the module's own statics.
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

enum class AtExit { releasesNothing, releasesTheView, releasesThePlugin, releasesEverything };
enum class Editor { open, closed };

struct HostExitCase {
    const char* name;
    Editor editor;
    AtExit atExit;
};

// What the host holds, in a static object made before the module is loaded: its destructor runs
// after the module's statics are destroyed. What it does not release stays as it is, run loop included.
struct StaticHost {
    AtExit atExit = AtExit::releasesNothing;
    LoadedBundle* bundle = nullptr;
    Steinberg::Vst::HostApplication* context = nullptr;
    PluginInstance* plugin = nullptr;
    HostWindow* window = nullptr;
    RunLoopFrame* frame = new RunLoopFrame;
    IPlugView* view = nullptr;

    ~StaticHost() {
        if (atExit == AtExit::releasesNothing) return;
        if (view) {
            view->removed();
            view->release();
        }
        if (atExit == AtExit::releasesTheView) return;
        delete plugin;
        if (atExit == AtExit::releasesThePlugin) return;
        delete bundle;
    }
};

[[noreturn]] void playAndExit(const HostExitCase& row) {
    static pulvan::test::TempFolder home;
    setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    static StaticHost host;
    host.atExit = row.atExit;
    host.bundle = new LoadedBundle(PULVAN_VST3_BUNDLE_PATH);
    host.context = makeHostContext().release();
    IPluginFactory* factory = host.bundle->factory();
    host.plugin = new PluginInstance(factory, host.context);
    factory->release();
    if (!host.plugin->ready()) std::_Exit(2);
    if (row.editor == Editor::open) {
        host.window = new HostWindow(1280, 730);
        host.view = host.plugin->controller()->createView("editor");
        if (!host.view) std::_Exit(3);
        host.view->setFrame(host.frame);
        host.view->attached(host.window->handle(), kPlatformTypeX11EmbedWindowID);
        if (!host.frame->runUntil([] { return host.window->pixel(4, 300) == 0x0E0E10; }, 5s)) std::_Exit(4);
    }
    // Drawn, polling and playing its part, through the virtual source too, when the host goes.
    host.plugin->play(40, 512);
    std::this_thread::sleep_for(100ms);
    std::exit(0);
}

class HostExit : public ::testing::TestWithParam<HostExitCase> {};

TEST_P(HostExit, EndsCleanlyWhilePlaying) {
    if (GetParam().editor == Editor::open && !std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(playAndExit(GetParam()), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(WhateverTheHostReleases, HostExit,
                         ::testing::Values(HostExitCase{"ReleasingNothing", Editor::open, AtExit::releasesNothing},
                                           HostExitCase{"ReleasingTheView", Editor::open, AtExit::releasesTheView},
                                           HostExitCase{"TerminatingThePlugin", Editor::open, AtExit::releasesThePlugin},
                                           HostExitCase{"ReleasingEverything", Editor::open, AtExit::releasesEverything},
                                           HostExitCase{"WithoutEditorTerminatingThePlugin", Editor::closed, AtExit::releasesThePlugin},
                                           HostExitCase{"WithoutEditorReleasingEverything", Editor::closed, AtExit::releasesEverything}),
                         [](const ::testing::TestParamInfo<HostExitCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kez::test
