// gtest before Xlib: Xlib's macros (None, Bool) break gtest's headers.
#include <gtest/gtest.h>

#include "editor/link/editor_holder.h"
#include "editor/link/editor_thread.h"
#include "editor/link/entry_points.h"
#include "editor/link/live_engines.h"
#include "engine/engine_hooks.h"
#include "engine/sequencer_engine.h"
#include "tests/platform/x11/host_window.h"
#include "tests/vst3/run_loop_frame.h"
#include "vst3/pulvan_editor_view.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <utility>

using namespace Steinberg;
using namespace std::chrono_literals;
using kez::test::RunLoopFrame;
using pulvan::x11::test::HostWindow;

namespace kez {
namespace {

class EditorView : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        host = std::make_unique<HostWindow>(1280, 730);
        ASSERT_TRUE(host->open());
        engine = std::make_unique<pulvan::engine::SequencerEngine>();
        registration = std::make_unique<pulvan::link::LiveEngineRegistration>(engine.get());
        handle = makeEngineHandle(engine.get());
        const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(engine.get());
        holder = KezVst3StoreCreate(&hooks);
        ASSERT_NE(holder, nullptr);
    }
    void TearDown() override { releaseEditorSide(); }
    // What the controller does when the engine goes.
    void releaseEditorSide() {
        KezVst3StoreRelease(std::exchange(holder, nullptr));
        if (handle) forgetEngine(*handle);
    }
    unsigned childCount() const { return host->childCount(); }
    void* parentHandle() const { return host->handle(); }

    // The editor asks for a size the way its views do: through the store, on the editor thread.
    void requestFromEditor(std::initializer_list<EditorSize> sizes) {
        auto* editorSide = static_cast<pulvan::link::KezVst3EditorHolder*>(holder);
        editorSide->thread().runSync([&] {
            for (const EditorSize& size : sizes) editorSide->bridge().store().hooks.hostedRequestEditorResize(size.width, size.height);
        });
    }
    PulvanEditorView* attachedView(RunLoopFrame& frame) {
        auto* view = new PulvanEditorView(handle, holder);
        view->setFrame(&frame);
        EXPECT_EQ(view->attached(parentHandle(), "X11EmbedWindowID"), kResultOk);
        return view;
    }

    std::unique_ptr<HostWindow> host;
    std::unique_ptr<pulvan::engine::SequencerEngine> engine;
    std::unique_ptr<pulvan::link::LiveEngineRegistration> registration;
    SharedEngineHandle handle;
    void* holder = nullptr;  // the editor side of this engine
};

TEST_F(EditorView, OpensAtTheDefaultSizeAndEmbedsOnlyIntoX11) {
    auto* view = new PulvanEditorView(handle, holder);
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), 1280);
    EXPECT_EQ(size.getHeight(), 730);
    EXPECT_EQ(view->isPlatformTypeSupported("X11EmbedWindowID"), kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported("NSView"), kResultFalse);
    EXPECT_EQ(view->isPlatformTypeSupported(nullptr), kResultFalse);
    EXPECT_EQ(view->attached(parentHandle(), "HWND"), kResultFalse);
    EXPECT_EQ(childCount(), 0u);
    EXPECT_EQ(view->checkSizeConstraint(nullptr), kInvalidArgument);
    EXPECT_EQ(view->onSize(nullptr), kInvalidArgument);
    EXPECT_EQ(view->canResize(), kResultTrue);
    view->release();
}

TEST_F(EditorView, ChildWindowFillsTheParentAndFollowsOnSize) {
    auto* view = new PulvanEditorView(handle, holder);
    ASSERT_EQ(view->attached(parentHandle(), "X11EmbedWindowID"), kResultOk);
    ASSERT_TRUE(view->isShowingEditor());
    EXPECT_EQ(childCount(), 1u);
    EXPECT_EQ(host->childSize().width, 1280u);
    EXPECT_EQ(host->childSize().height, 730u);

    for (ViewRect size : {ViewRect(0, 0, 1600, 913), ViewRect(0, 0, 640, 365), ViewRect(0, 0, 2000, 1141)}) {
        ASSERT_EQ(view->onSize(&size), kResultOk);
        EXPECT_EQ(host->childSize().width, static_cast<unsigned>(size.getWidth()));
        EXPECT_EQ(host->childSize().height, static_cast<unsigned>(size.getHeight()));
    }

    view->attachedToParent();  // a second attachment without removal adds nothing
    EXPECT_EQ(childCount(), 1u);

    ASSERT_EQ(view->removed(), kResultOk);
    EXPECT_FALSE(view->isShowingEditor());
    EXPECT_EQ(childCount(), 0u);
    ASSERT_EQ(view->attached(parentHandle(), "X11EmbedWindowID"), kResultOk);  // and again
    EXPECT_EQ(childCount(), 1u);
    view->release();
    EXPECT_EQ(childCount(), 0u);
}

struct ResizeCase {
    EditorSize requested;
    int width, height;  // what the host frame is asked for
};

void PrintTo(const ResizeCase& c, std::ostream* os) {
    *os << c.requested.width << "x" << c.requested.height << "->" << c.width << "x" << c.height;
}

class EditorResizeRequests : public EditorView, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(EditorResizeRequests, ReachTheFrameOnTheHostsThreadConstrained) {
    RunLoopFrame frame;
    auto* view = attachedView(frame);
    ASSERT_EQ(frame.handlerCount(), 1u);
    requestFromEditor({GetParam().requested});
    ASSERT_TRUE(frame.runUntil([&] { return !frame.resizes.empty(); }, 5s));
    frame.runFor(50ms);
    ASSERT_EQ(frame.resizes.size(), 1u);
    EXPECT_EQ(frame.resizes[0].thread, std::this_thread::get_id());
    EXPECT_EQ(frame.resizes[0].rect.getWidth(), GetParam().width);
    EXPECT_EQ(frame.resizes[0].rect.getHeight(), GetParam().height);
    EXPECT_EQ(host->childSize().width, static_cast<unsigned>(GetParam().width));
    view->removed();
    view->release();
}

INSTANTIATE_TEST_SUITE_P(Sizes, EditorResizeRequests,
                         ::testing::Values(ResizeCase{{1000.4, 1000.0}, 1000, 570}, ResizeCase{{100.0, 100.0}, 640, 365},
                                           ResizeCase{{5000.0, 100.0}, 5001, 2852}));

TEST_F(EditorView, OnlyTheNewestWaitingSizeReachesTheFrame) {
    RunLoopFrame frame;
    auto* view = attachedView(frame);
    requestFromEditor({{900, 600}, {2000, 1141}, {1280, 730}});
    ASSERT_TRUE(frame.runUntil([&] { return !frame.resizes.empty(); }, 5s));
    frame.runFor(50ms);
    ASSERT_EQ(frame.resizes.size(), 1u);
    EXPECT_EQ(frame.resizes[0].rect.getWidth(), 1280);
    requestFromEditor({{std::nan(""), 700}});  // not a size: nothing to ask the host
    frame.runFor(50ms);
    EXPECT_EQ(frame.resizes.size(), 1u);
    view->removed();
    view->release();
}

// The host's frame may only be called on its UI thread; without a run loop we cannot get there.
TEST_F(EditorView, WithoutARunLoopRequestsAreDropped) {
    RunLoopFrame frame(RunLoopFrame::Offers::nothing);
    auto* view = attachedView(frame);
    requestFromEditor({{1000, 570}});
    frame.runFor(100ms);
    EXPECT_TRUE(frame.resizes.empty());
    view->removed();
    view->release();
    EXPECT_EQ(frame.references(), 0u);
}

TEST_F(EditorView, ARemovedViewLeavesTheRunLoopAndAWaitingRequestDies) {
    RunLoopFrame frame;
    auto* view = attachedView(frame);
    requestFromEditor({{1000, 570}});
    view->removed();
    EXPECT_EQ(frame.handlerCount(), 0u);
    EXPECT_EQ(frame.references(), 0u);
    requestFromEditor({{1600, 913}});
    frame.runFor(100ms);
    EXPECT_TRUE(frame.resizes.empty());
    view->release();
}

TEST_F(EditorView, AHostClosingTheEditorWhileItResizesIsSafe) {
    RunLoopFrame frame;
    auto* view = attachedView(frame);
    frame.whileResizing = [](IPlugView* resized) { resized->removed(); };
    requestFromEditor({{1000, 570}});
    ASSERT_TRUE(frame.runUntil([&] { return !frame.resizes.empty(); }, 5s));
    EXPECT_EQ(frame.handlerCount(), 0u);
    EXPECT_FALSE(view->isShowingEditor());
    view->release();
    EXPECT_EQ(frame.references(), 0u);
}

TEST_F(EditorView, AFrameGivenAfterAttachingOrTakenAwayMovesTheRunLoopHandler) {
    RunLoopFrame first, second;
    auto* view = new PulvanEditorView(handle, holder);
    ASSERT_EQ(view->attached(parentHandle(), "X11EmbedWindowID"), kResultOk);
    EXPECT_EQ(first.handlerCount(), 0u);
    view->setFrame(&first);
    EXPECT_EQ(first.handlerCount(), 1u);
    view->setFrame(&second);
    EXPECT_EQ(first.handlerCount(), 0u);
    EXPECT_EQ(first.references(), 0u);
    requestFromEditor({{1000, 570}});
    ASSERT_TRUE(second.runUntil([&] { return !second.resizes.empty(); }, 5s));
    view->setFrame(nullptr);
    EXPECT_EQ(second.handlerCount(), 0u);
    EXPECT_EQ(second.references(), 0u);
    view->removed();
    view->release();
}

// A parent that no window can be made in is a failure the host hears of; the view stays usable.
TEST_F(EditorView, AParentWithoutRoomForAWindowIsAFailure) {
    const Window gone = XCreateSimpleWindow(host->display(), host->window(), 0, 0, 100, 100, 0, 0, 0);
    XDestroyWindow(host->display(), gone);
    XSync(host->display(), False);
    const auto missing = reinterpret_cast<void*>(static_cast<unsigned long>(gone));
    auto* view = new PulvanEditorView(handle, holder);
    EXPECT_EQ(view->attached(missing, "X11EmbedWindowID"), kResultFalse);
    EXPECT_FALSE(view->isShowingEditor());
    EXPECT_EQ(view->attached(parentHandle(), "X11EmbedWindowID"), kResultOk);
    EXPECT_TRUE(view->isShowingEditor());
    EXPECT_EQ(childCount(), 1u);
    view->removed();
    view->release();
}

TEST_F(EditorView, WithoutEngineOrHolderNothingIsEmbedded) {
    auto* noHolder = new PulvanEditorView(handle, nullptr);
    noHolder->attached(parentHandle(), "X11EmbedWindowID");
    EXPECT_FALSE(noHolder->isShowingEditor());
    noHolder->release();
    auto* noEngine = new PulvanEditorView(std::make_shared<EngineHandle>(), holder);
    noEngine->attached(parentHandle(), "X11EmbedWindowID");
    EXPECT_FALSE(noEngine->isShowingEditor());
    noEngine->release();
    EXPECT_EQ(childCount(), 0u);
}

// The host may keep the view after the processor, and its engine, are gone.
TEST_F(EditorView, AViewOutlivingTheEngineLeavesItAlone) {
    RunLoopFrame frame;
    auto* view = attachedView(frame);
    requestFromEditor({{1000, 570}});  // still waiting when the engine goes
    releaseEditorSide();
    registration.reset();  // as the processor's engine leaves the live engines before it goes
    engine.reset();
    frame.runFor(50ms);
    view->removed();
    EXPECT_EQ(childCount(), 0u);
    EXPECT_EQ(frame.references(), 0u);
    view->release();
}

// A view the host releases after the editor's thread ended (the process exiting) leaves its window where it is, but
// the server keeps nothing of the host's windows selected for it: nobody would read those events.
TEST_F(EditorView, AViewReleasedAfterItsThreadEndedListensToNoWindowOfTheHost) {
    RunLoopFrame frame;
    auto* view = attachedView(frame);
    const auto eventsSelected = [&] {
        XWindowAttributes attributes{};
        XGetWindowAttributes(host->display(), host->window(), &attributes);
        return attributes.all_event_masks;
    };
    ASSERT_NE(eventsSelected(), 0) << "the window follows nothing of its host";
    pulvan::link::EditorThread::endAll();
    view->removed();
    view->release();
    EXPECT_EQ(eventsSelected(), 0);
}

}  // namespace
}  // namespace kez
