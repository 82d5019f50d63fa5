// gtest before Xlib: Xlib's macros (None, Bool) break gtest's headers.
#include <gtest/gtest.h>

#include "editor/link/entry_points.h"
#include "editor/link/live_engines.h"
#include "engine/engine_hooks.h"
#include "engine/sequencer_engine.h"
#include "tests/platform/x11/host_window.h"
#include "vst3/pulvan_editor_view.h"

#include <cstdlib>
#include <memory>

using namespace Steinberg;
using pulvan::x11::test::HostWindow;

namespace kez {
namespace {

// What a host's frame does with a resize request: records it and answers
// with onSize, in the same call, as hosts must.
class RecordingFrame : public IPlugFrame {
public:
    tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override {
        requests.push_back(*newSize);
        return view->onSize(newSize);
    }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
    std::vector<ViewRect> requests;
};

class EditorView : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        host = std::make_unique<HostWindow>(1280, 730);
        ASSERT_TRUE(host->open());
        engine = std::make_unique<pulvan::engine::SequencerEngine>();
        registration = std::make_unique<pulvan::link::LiveEngineRegistration>(engine.get());
        handle = std::make_shared<EngineHandle>(EngineHandle{engine.get()});
        const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(engine.get());
        holder = KezVst3StoreCreate(&hooks);
        ASSERT_NE(holder, nullptr);
    }
    void TearDown() override { KezVst3StoreRelease(holder); }
    unsigned childCount() const { return host->childCount(); }
    void* parentHandle() const { return host->handle(); }

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
    ASSERT_NE(view->hostedWindow(), nullptr);
    EXPECT_EQ(view->hostedWindow()->parent(), host->window());
    EXPECT_EQ(childCount(), 1u);
    EXPECT_EQ(view->hostedWindow()->size().width, 1280);
    EXPECT_EQ(view->hostedWindow()->size().height, 730);

    ViewRect bigger(0, 0, 1600, 913);
    ASSERT_EQ(view->onSize(&bigger), kResultOk);
    EXPECT_EQ(view->hostedWindow()->size().width, 1600);
    EXPECT_EQ(view->hostedWindow()->size().height, 913);

    view->attachedToParent();  // a second attachment without removal adds nothing
    EXPECT_EQ(childCount(), 1u);

    ASSERT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(view->hostedWindow(), nullptr);
    EXPECT_EQ(childCount(), 0u);
    ASSERT_EQ(view->attached(parentHandle(), "X11EmbedWindowID"), kResultOk);  // and again
    EXPECT_EQ(childCount(), 1u);
    view->release();
    EXPECT_EQ(childCount(), 0u);
    EXPECT_FALSE(engine->editorResizeCallback);
}

TEST_F(EditorView, EditorResizeRequestsGoThroughTheFrameConstrained) {
    auto* view = new PulvanEditorView(handle, holder);
    RecordingFrame frame;
    ASSERT_EQ(view->attached(parentHandle(), "X11EmbedWindowID"), kResultOk);
    ASSERT_TRUE(engine->editorResizeCallback);

    engine->editorResizeCallback(1000.0, 1000.0);  // no frame yet: ignored
    view->setFrame(&frame);
    engine->editorResizeCallback(1000.4, 1000.0);
    engine->editorResizeCallback(100.0, 100.0);
    ASSERT_EQ(frame.requests.size(), 2u);
    EXPECT_EQ(frame.requests[0].getWidth(), 1000);
    EXPECT_EQ(frame.requests[0].getHeight(), 570);
    EXPECT_EQ(frame.requests[1].getWidth(), 640);
    EXPECT_EQ(frame.requests[1].getHeight(), 365);
    EXPECT_EQ(view->hostedWindow()->size().width, 640);

    view->removed();
    EXPECT_FALSE(engine->editorResizeCallback);
    view->setFrame(nullptr);
    view->release();
}

TEST_F(EditorView, WithoutEngineOrHolderNothingIsEmbedded) {
    auto* noHolder = new PulvanEditorView(handle, nullptr);
    noHolder->attached(parentHandle(), "X11EmbedWindowID");
    EXPECT_EQ(noHolder->hostedWindow(), nullptr);
    noHolder->release();
    auto* noEngine = new PulvanEditorView(std::make_shared<EngineHandle>(), holder);
    noEngine->attached(parentHandle(), "X11EmbedWindowID");
    EXPECT_EQ(noEngine->hostedWindow(), nullptr);
    noEngine->release();
    EXPECT_EQ(childCount(), 0u);
}

// The host may keep the view after the processor, and its engine, are gone.
TEST_F(EditorView, AViewOutlivingTheEngineLeavesItAlone) {
    auto* view = new PulvanEditorView(handle, holder);
    ASSERT_EQ(view->attached(parentHandle(), "X11EmbedWindowID"), kResultOk);
    engine->editorResizeCallback = nullptr;  // what the controller does when the engine goes
    handle->engine = nullptr;
    registration.reset();  // as the processor's engine leaves the live engines before it goes
    engine.reset();
    view->removed();
    EXPECT_EQ(childCount(), 0u);
    view->release();
}

}  // namespace
}  // namespace kez
