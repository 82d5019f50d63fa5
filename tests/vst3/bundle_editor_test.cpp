// The editor view of the built bundle, reached only through the host ABI: made
// by the controller, embedded into a host window under Xvfb, and resized at the
// editor's request on the host's UI thread (the test's own thread), whatever
// thread the request comes from.
// gtest before Xlib: Xlib's macros (None, Bool) break gtest's headers.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <thread>

#include "engine/engine_hooks.h"
#include "pluginterfaces/gui/iplugview.h"
#include "tests/platform/x11/host_window.h"
#include "tests/vst3/plugin_instance.h"
#include "tests/vst3/run_loop_frame.h"

using namespace Steinberg;
using namespace std::chrono_literals;
using pulvan::x11::test::HostWindow;

namespace kez::test {
namespace {

class BundleEditor : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        bundle = std::make_unique<LoadedBundle>(PULVAN_VST3_BUNDLE_PATH);
        ASSERT_TRUE(bundle->loaded()) << bundle->error();
        host = makeHostContext();
        IPluginFactory* factory = bundle->factory();
        plugin = std::make_unique<PluginInstance>(factory, host.get(), EditorSide::connected);
        factory->release();
        ASSERT_TRUE(plugin->ready());
        hostWindow = std::make_unique<HostWindow>(1280, 730);
        ASSERT_TRUE(hostWindow->open());
        view = plugin->controller()->createView("editor");
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override {
        if (view) view->release();
        plugin.reset();
        host.reset();
        bundle.reset();
    }

    // The editor's resize request as the engine's hook receives it, from a thread of its own.
    void requestFromAnotherThread(double width, double height) {
        const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(reinterpret_cast<void*>(plugin->toController()->enginePtr));
        std::thread([&] { hooks.requestEditorResize(hooks.engine, width, height); }).join();
    }
    tresult attach() { return view->attached(hostWindow->handle(), kPlatformTypeX11EmbedWindowID); }

    std::unique_ptr<LoadedBundle> bundle;
    std::unique_ptr<Steinberg::Vst::HostApplication> host;
    std::unique_ptr<PluginInstance> plugin;
    std::unique_ptr<HostWindow> hostWindow;
    IPlugView* view = nullptr;
    RunLoopFrame frame;
};

TEST_F(BundleEditor, OpensIntoTheHostWindowAndResizesOnTheHostsThread) {
    ASSERT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
    ASSERT_EQ(view->setFrame(&frame), kResultTrue);
    ASSERT_EQ(attach(), kResultOk);
    EXPECT_EQ(hostWindow->childCount(), 1u);
    EXPECT_EQ(frame.handlerCount(), 1u);

    requestFromAnotherThread(1000, 1000);
    ASSERT_TRUE(frame.runUntil([&] { return !frame.resizes.empty(); }, 5s));
    EXPECT_EQ(frame.resizes[0].thread, std::this_thread::get_id());
    EXPECT_EQ(frame.resizes[0].rect.getWidth(), 1000);
    EXPECT_EQ(frame.resizes[0].rect.getHeight(), 570);
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), 1000);
    EXPECT_EQ(hostWindow->childSize().width, 1000u);  // the editor's window followed the host's onSize
    EXPECT_EQ(hostWindow->childSize().height, 570u);
    // The editor draws itself into it, out to the new corner.
    EXPECT_TRUE(frame.runUntil([&] { return hostWindow->pixel(995, 300) == 0x0E0E10; }, 5s)) << std::hex << hostWindow->pixel(995, 300);

    ASSERT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(hostWindow->childCount(), 0u);
    EXPECT_EQ(frame.handlerCount(), 0u);
    EXPECT_EQ(frame.references(), 0u);
    requestFromAnotherThread(1600, 1600);
    frame.runFor(50ms);
    EXPECT_EQ(frame.resizes.size(), 1u);
    view->setFrame(nullptr);
}

// Requests keep coming while the host opens and closes the editor again and again.
TEST_F(BundleEditor, RequestsRacingTheEditorOpeningAndClosingStayOnTheHostsThread) {
    const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(reinterpret_cast<void*>(plugin->toController()->enginePtr));
    std::atomic<bool> stop{false};
    std::thread requester([&] {
        for (int i = 0; !stop.load(); ++i) hooks.requestEditorResize(hooks.engine, 700 + i % 900, 400);
    });
    view->setFrame(&frame);
    for (int cycle = 0; cycle < 10; ++cycle) {
        ASSERT_EQ(attach(), kResultOk);
        const std::size_t before = frame.resizes.size();
        EXPECT_TRUE(frame.runUntil([&] { return frame.resizes.size() > before; }, 5s)) << "cycle " << cycle;
        ASSERT_EQ(view->removed(), kResultOk);
    }
    stop = true;
    requester.join();
    for (const auto& resize : frame.resizes) {
        EXPECT_EQ(resize.thread, std::this_thread::get_id());
        const int width = resize.rect.getWidth(), height = resize.rect.getHeight();
        EXPECT_LE(std::abs(height - width * 0.5703125), 1.0) << width << " x " << height;
        EXPECT_GE(width, 640);
    }
    EXPECT_EQ(frame.references(), 0u);
    view->setFrame(nullptr);
}

// The host may keep the view after it has let the plug-in's processor and controller go.
TEST_F(BundleEditor, AViewKeptAfterThePluginIsGoneStaysHarmless) {
    view->setFrame(&frame);
    ASSERT_EQ(attach(), kResultOk);
    requestFromAnotherThread(1000, 1000);  // still waiting when the plug-in goes
    plugin.reset();
    frame.runFor(50ms);
    ASSERT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(hostWindow->childCount(), 0u);
    EXPECT_EQ(frame.references(), 0u);
    view->setFrame(nullptr);
}

}  // namespace
}  // namespace kez::test
