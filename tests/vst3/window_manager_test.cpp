// The bundle's editor in a host's window under a real window manager (openbox), where every click also
// moves the keyboard focus to the host's own focus window, as in GTK hosts: a drag still runs to its end.
// gtest before Xlib: Xlib's macros (None, Bool) break gtest's headers.
#include <gtest/gtest.h>

#include "pluginterfaces/gui/iplugview.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/x11/x_client.h"
#include "tests/vst3/focus_taking_host.h"
#include "tests/vst3/plugin_instance.h"
#include "tests/vst3/run_loop_frame.h"

#include <cstdlib>
#include <thread>

using namespace Steinberg;
using namespace std::chrono_literals;

namespace kez::test {
namespace {

constexpr std::uint32_t kEditorBackground = 0x0E0E10;

TEST(UnderAWindowManager, TypingAndDraggingWorkWhileTheHostTakesTheFocusOnEveryClick) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
    pulvan::x11::test::XClient x;
    ASSERT_TRUE(x.open());
    auto* check = xcb_intern_atom_reply(x.get(), xcb_intern_atom(x.get(), 0, 24, "_NET_SUPPORTING_WM_CHECK"), nullptr);
    const bool managed = check && !x.property(x.root(), check->atom).empty();
    std::free(check);
    if (!managed) GTEST_SKIP() << "no window manager (openbox is not installed)";

    // The drag's end keeps the width in the user's preferences.
    pulvan::test::TempFolder home;
    pulvan::test::ScopedEnvironment config("XDG_CONFIG_HOME", home.path().string()), data("XDG_DATA_HOME", home.path().string());
    LoadedBundle bundle(PULVAN_VST3_BUNDLE_PATH);
    ASSERT_TRUE(bundle.loaded()) << bundle.error();
    auto hostContext = makeHostContext();
    ComponentHandler handler;  // outlives the plug-in, which lets it go at terminate
    IPluginFactory* factory = bundle.factory();
    auto plugin = std::make_unique<PluginInstance>(factory, hostContext.get());
    factory->release();
    ASSERT_TRUE(plugin->ready());
    ASSERT_EQ(plugin->controller()->setComponentHandler(&handler), kResultTrue);
    FocusTakingHost host(1280, 730);
    ASSERT_TRUE(host.open());
    RunLoopFrame frame;
    // The host's UI thread: its own events and the plug-in's handlers in its run loop.
    const auto runUntil = [&](const std::function<bool()>& done, std::chrono::milliseconds timeout) {
        return frame.runUntil([&] { return host.handleEvents(), done(); }, timeout);
    };
    ASSERT_TRUE(runUntil([&] { return host.viewable(); }, 5s));

    IPlugView* view = plugin->controller()->createView("editor");
    ASSERT_NE(view, nullptr);
    view->setFrame(&frame);
    ASSERT_EQ(view->attached(host.handle(), kPlatformTypeX11EmbedWindowID), kResultOk);
    const auto origin = *x.geometry(host.window());
    ASSERT_TRUE(runUntil([&] { return x.pixel(origin.x + 4, origin.y + 300) == kEditorBackground; }, 5s));

    // The preset dialog's name field takes the keyboard, and a click into it leaves the keyboard there.
    const Window editor = host.pluginWindow();
    x.click(origin.x + 1173, origin.y + 34);
    ASSERT_TRUE(runUntil([&] { return host.focus() == editor; }, 5s)) << "the field did not take the keyboard";
    const int takes = host.focusTakes();
    x.click(origin.x + 395, origin.y + 120);
    EXPECT_TRUE(runUntil([&] { return host.focusTakes() > takes; }, 5s));
    EXPECT_TRUE(runUntil([&] { return host.focus() == editor; }, 2s)) << "the host kept the keyboard";
    x.click(origin.x + 1060, origin.y + 120);  // closes the dialog, which gives the keyboard back
    EXPECT_TRUE(runUntil([&] { return host.focus() != editor; }, 5s));
    runUntil([] { return false; }, 300ms);

    // A paint over the first four GATE steps is an edit: the host hears of it, on its own thread, and would ask to save.
    EXPECT_TRUE(handler.dirtyCalls().empty()) << "the host heard of an edit before there was one";
    x.moveTo(origin.x + 207, origin.y + 188);
    x.button(1, true);
    for (int step = 1; step <= 10; ++step) {
        x.moveTo(origin.x + 207 + 20 * step, origin.y + 188);
        runUntil([] { return false; }, 20ms);
    }
    x.button(1, false);
    EXPECT_TRUE(runUntil([&] { return !handler.dirtyCalls().empty(); }, 5s)) << "the host never heard of the paint";
    for (const auto& call : handler.dirtyCalls()) {
        EXPECT_TRUE(call.state);
        EXPECT_EQ(call.thread, std::this_thread::get_id());
    }

    // The grip's drag: 200 pixels to the left, in steps; it counts from its first move, 20 pixels in.
    const int gripX = origin.x + 1270, gripY = origin.y + 720;
    x.moveTo(gripX, gripY);
    x.button(1, true);
    EXPECT_TRUE(runUntil([&] { return host.focus() == host.focusWindow(); }, 5s)) << "the window manager offered no focus";
    for (int step = 1; step <= 10; ++step) {
        x.moveTo(gripX - 20 * step, gripY);
        runUntil([] { return false; }, 20ms);
    }
    x.button(1, false);
    EXPECT_TRUE(runUntil([&] { return !frame.resizes.empty() && frame.resizes.back().rect.getWidth() == 1100; }, 5s));
    ASSERT_FALSE(frame.resizes.empty()) << "the drag was cancelled";
    EXPECT_EQ(frame.resizes.back().rect.getHeight(), 627);
    EXPECT_GT(host.focusTakes(), 0);

    view->removed();
    view->setFrame(nullptr);
    view->release();
}

}  // namespace
}  // namespace kez::test
