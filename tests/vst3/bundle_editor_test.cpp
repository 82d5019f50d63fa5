// The editor view of the built bundle, reached only through the host ABI: made
// by the controller, embedded into a host window under Xvfb, and resized at the
// editor's request on the host's UI thread (the test's own thread), whatever
// thread the request comes from.
// gtest before Xlib: Xlib's macros (None, Bool) break gtest's headers.
#include <gtest/gtest.h>

#include "engine/config_buffer.h"
#include "engine/engine_hooks.h"
#include "pluginterfaces/gui/iplugview.h"
#include "tests/platform/x11/host_window.h"
#include "tests/platform/x11/x_client.h"
#include "tests/vst3/plugin_instance.h"
#include "tests/vst3/run_loop_frame.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

using namespace Steinberg;
using namespace std::chrono_literals;
using pulvan::x11::test::HostWindow;

namespace kez::test {
namespace {

constexpr std::uint32_t kEditorBackground = 0x0E0E10;

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
    // Before the plug-in, which may hold them until it goes.
    ComponentHandler handler;
    ComponentHandler parametersOnlyHandler{ComponentHandler::Offers::parametersOnly};
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

// The first track's GATE value at `step` in the configuration that a saved state carries.
int gateInState(const std::vector<std::uint8_t>& state, int step) {
    namespace L = pulvan::engine::config_layout;
    const std::size_t at = 36 + 4 * static_cast<std::size_t>(L::stepWord(L::kGateSteps, 0, step));
    std::int32_t value = -1;
    if (state.size() >= at + 4) std::memcpy(&value, state.data() + at, 4);
    return value;
}

// The same project as another version of the plug-in may have saved it: its preset written otherwise
// (here with a line break after it), which the editor side takes and writes back its own way.
std::vector<std::uint8_t> writtenOtherwise(const std::vector<std::uint8_t>& state) {
    std::uint32_t words = 0, length = 0;
    std::memcpy(&words, state.data() + 32, 4);
    const std::size_t lengthAt = 36 + 4 * static_cast<std::size_t>(words);
    std::memcpy(&length, state.data() + lengthAt, 4);
    std::vector<std::uint8_t> other(state.begin(), state.begin() + static_cast<std::ptrdiff_t>(lengthAt + 4 + length));
    other.push_back('\n');
    ++length;
    std::memcpy(other.data() + lengthAt, &length, 4);
    return other;
}

// Where a musician clicks, at the editor's own pixels (it fills the host's window at 0, 0).
constexpr int kPagesY = 632, kPageOneX = 205, kPageTwoX = 272;
constexpr int kGateY = 188, kFourthStepX = 407;
// Inside the page buttons, clear of their labels: the accent shows the page shown.
constexpr int kPageOneFieldX = 190, kPageTwoFieldX = 250, kPageFieldY = 627;

// A musician's edit in the editor marks the host's project modified, on the host's UI thread, so
// that the host asks to save it; showing another page does not, nor does the host restoring its project.
TEST_F(BundleEditor, AnEditMarksTheHostsProjectModifiedOnItsThread) {
    ASSERT_EQ(plugin->controller()->setComponentHandler(&handler), kResultTrue);
    ASSERT_EQ(view->setFrame(&frame), kResultTrue);
    ASSERT_EQ(attach(), kResultOk);
    ASSERT_TRUE(frame.runUntil([&] { return hostWindow->pixel(4, 300) == kEditorBackground; }, 5s)) << "the editor did not draw";
    const std::vector<std::uint8_t> saved = plugin->state();
    const std::uint32_t shownPage = hostWindow->pixel(kPageOneFieldX, kPageFieldY);
    pulvan::x11::test::XClient x;
    ASSERT_TRUE(x.open());
    const auto marks = [&] { return handler.dirtyCalls().size(); };

    x.click(kPageTwoX, kPagesY);
    EXPECT_TRUE(frame.runUntil([&] { return hostWindow->pixel(kPageTwoFieldX, kPageFieldY) == shownPage; }, 5s)) << "page 2 not shown";
    x.click(kPageOneX, kPagesY);
    EXPECT_TRUE(frame.runUntil([&] { return hostWindow->pixel(kPageOneFieldX, kPageFieldY) == shownPage; }, 5s)) << "page 1 not shown";
    frame.runFor(300ms);
    EXPECT_EQ(marks(), 0u) << "showing a page is no edit";

    x.click(kFourthStepX, kGateY);
    EXPECT_TRUE(frame.runUntil([&] { return marks() > 0; }, 5s)) << "the host never heard of the edit";
    EXPECT_TRUE(frame.runUntil([&] { return gateInState(plugin->state(), 3) != gateInState(saved, 3); }, 5s))
        << "the click toggled no GATE step";
    frame.runFor(300ms);
    ASSERT_EQ(marks(), 1u);
    EXPECT_TRUE(handler.dirtyCalls()[0].state);
    EXPECT_EQ(handler.dirtyCalls()[0].thread, std::this_thread::get_id());

    ASSERT_EQ(plugin->restoreState(writtenOtherwise(saved)), kResultOk);
    EXPECT_TRUE(frame.runUntil([&] { return gateInState(plugin->state(), 3) == gateInState(saved, 3); }, 5s));
    frame.runFor(300ms);  // the editor's poll has taken the restored preset by now
    EXPECT_EQ(marks(), 1u) << "the host's own restore was taken for an edit";

    ASSERT_EQ(view->removed(), kResultOk);
    view->setFrame(nullptr);
}

// A host whose handler cannot be told of edits, or that gives none, meets an editor that edits as ever.
TEST_F(BundleEditor, WithoutADirtyStateHandlerEditsStillReachTheState) {
    for (ComponentHandler* given : {&parametersOnlyHandler, static_cast<ComponentHandler*>(nullptr)}) {
        SCOPED_TRACE(given ? "a handler without IComponentHandler2" : "no handler");
        plugin->controller()->setComponentHandler(given);
        ASSERT_EQ(view->setFrame(&frame), kResultTrue);
        ASSERT_EQ(attach(), kResultOk);
        ASSERT_TRUE(frame.runUntil([&] { return hostWindow->pixel(4, 300) == kEditorBackground; }, 5s));
        const int before = gateInState(plugin->state(), 3);
        pulvan::x11::test::XClient().click(kFourthStepX, kGateY);
        EXPECT_TRUE(frame.runUntil([&] { return gateInState(plugin->state(), 3) != before; }, 5s));
        frame.runFor(100ms);
        ASSERT_EQ(view->removed(), kResultOk);
        view->setFrame(nullptr);
    }
    EXPECT_TRUE(parametersOnlyHandler.dirtyCalls().empty());
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
