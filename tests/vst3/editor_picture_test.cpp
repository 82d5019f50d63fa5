// The editor's picture in a host's window under Xvfb: after every frame it is the picture a whole paint of the
// same state gives, whatever came before: a state the host restores before or after making the view, tracks
// added or removed, the host's window hidden, shown or resized while the engine's playhead moves.
// gtest before Xlib: Xlib's macros (None, Bool) break gtest's headers.
#include <gtest/gtest.h>

#include "editor/link/editor_holder.h"
#include "editor/link/entry_points.h"
#include "editor/link/live_engines.h"
#include "engine/engine_hooks.h"
#include "engine/sequencer_engine.h"
#include "platform/x11/window_host.h"
#include "tests/platform/x11/host_window.h"
#include "tests/platform/x11/x_client.h"
#include "tests/vst3/run_loop_frame.h"
#include "vst3/processor_state.h"
#include "vst3/pulvan_editor_view.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

using namespace Steinberg;
using namespace std::chrono_literals;
using kez::test::RunLoopFrame;
using pulvan::x11::WindowHost;
using pulvan::x11::test::HostWindow;

namespace kez {
namespace {

constexpr int kWidth = 1280, kHeight = 730;

// The editor side of one engine, as the controller holds it.
struct EditorSide {
    EditorSide() {
        handle = makeEngineHandle(engine.get());
        const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(engine.get());
        holder = KezVst3StoreCreate(&hooks);
    }
    ~EditorSide() {
        if (holder) KezVst3StoreRelease(holder);
        forgetEngine(*handle);
    }
    // Runs on the editor thread, where the store lives.
    template <typename F>
    auto onEditorThread(F&& f) {
        auto* side = static_cast<pulvan::link::KezVst3EditorHolder*>(holder);
        decltype(f(side->bridge().store())) result{};
        side->thread().runSync([&] { result = f(side->bridge().store()); });
        return result;
    }
    std::size_t trackCount() {
        return onEditorThread([](pulvan::store::SequencerStore& s) { return s.preset->tracks.size(); });
    }

    std::unique_ptr<pulvan::engine::SequencerEngine> engine = std::make_unique<pulvan::engine::SequencerEngine>();
    pulvan::link::LiveEngineRegistration registration{engine.get()};
    SharedEngineHandle handle;
    void* holder = nullptr;
};

// The state a host saves for a project of `tracks` tracks.
std::vector<std::uint8_t> savedStateOf(int tracks) {
    EditorSide side;
    for (int i = 1; i < tracks; ++i)
        side.onEditorThread([](pulvan::store::SequencerStore& s) {
            s.addTrack();
            return 0;
        });
    // The editor side's release pushes the preset to the engine one last time.
    KezVst3StoreRelease(std::exchange(side.holder, nullptr));
    return captureEngineState(*side.engine);
}

class EditorPicture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        host = std::make_unique<HostWindow>(kWidth, kHeight);
        ASSERT_TRUE(host->open());
        ASSERT_TRUE(x.open());
        WindowHost::checkPaintsAgainstWholePaints(true);
    }
    void TearDown() override {
        if (view) {
            view->removed();
            view->release();
        }
        WindowHost::checkPaintsAgainstWholePaints(false);
    }

    void makeView() {
        view = new PulvanEditorView(side.handle, side.holder);
        view->setFrame(&frame);
    }
    void attach() { ASSERT_EQ(view->attached(host->handle(), "X11EmbedWindowID"), kResultOk); }
    void restore(const std::vector<std::uint8_t>& state) { ASSERT_TRUE(restoreEngineState(*side.engine, state)); }
    void hideHost() {
        XUnmapWindow(host->display(), host->window());
        XSync(host->display(), False);
    }
    void showHost() {
        XMapWindow(host->display(), host->window());
        XSync(host->display(), False);
    }

    // The host's window as the screen shows it, the editor's window inside.
    std::vector<std::uint32_t> picture() {
        const std::string bytes = x.image(0, 0, kWidth, kHeight, static_cast<xcb_window_t>(host->window()));
        std::vector<std::uint32_t> pixels(bytes.size() / 4);
        std::memcpy(pixels.data(), bytes.data(), pixels.size() * 4);
        for (std::uint32_t& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }
    // Turns the host's loop until the editor has painted frames and a while passed without one.
    void settle() {
        int frames = -1;
        frame.runUntil(
            [&] {
                const int now = WindowHost::paintCheck().frames;
                if (now == frames && now > 0) return true;
                frames = now;
                frame.runFor(150ms);
                return false;
            },
            5s);
    }
    // The engine's playhead, as its audio thread publishes it each block.
    void playheadAt(int step) {
        side.engine->transportMoving.store(1);
        for (auto& s : side.engine->currentStep) s.store(step);
    }
    void playFor(int steps) {
        for (int i = 0; i < steps; ++i) {
            playheadAt(++step);
            frame.runFor(40ms);
        }
    }
    // Every frame painted, and the window's pixels on the screen now, are whole paints.
    void expectPaintsLikeWholePaints() {
        const int screens = WindowHost::paintCheck().screens;
        WindowHost::checkScreensAgainstWholePaints();
        EXPECT_TRUE(frame.runUntil([&] { return WindowHost::paintCheck().screens > screens; }, 5s)) << "the screen was not read";
        const WindowHost::PaintCheck check = WindowHost::paintCheck();
        EXPECT_GT(check.frames, 0);
        EXPECT_EQ(check.unlike, 0) << "last unlike area " << check.lastUnlikeArea.x << "," << check.lastUnlikeArea.y << " "
                                   << check.lastUnlikeArea.width << "x" << check.lastUnlikeArea.height;
        EXPECT_EQ(check.screensUnlike, 0) << "the screen unlike around " << check.lastUnlikeScreenArea.x << ","
                                          << check.lastUnlikeScreenArea.y << " " << check.lastUnlikeScreenArea.width << "x"
                                          << check.lastUnlikeScreenArea.height;
    }
    // The picture on the screen now is the one a new view of the same state first paints, whole.
    void expectTheWholePicture() {
        settle();
        const std::vector<std::uint32_t> shown = picture();
        view->removed();
        attach();
        EXPECT_TRUE(frame.runUntil([&] { return picture() == shown; }, 5s)) << "the picture shown was not a whole paint";
    }

    EditorSide side;
    std::unique_ptr<HostWindow> host;
    pulvan::x11::test::XClient x;
    RunLoopFrame frame;
    PulvanEditorView* view = nullptr;
    int step = 0;
};

class ARestoredState : public EditorPicture, public ::testing::WithParamInterface<int> {};

// A host opening a project restores the state, makes the view in its window and shows the window; the editor
// takes the state a moment after its first frame was recorded, before the window is shown.
TEST_P(ARestoredState, PaintsTheWholePictureWithNoInput) {
    hideHost();
    restore(savedStateOf(GetParam()));
    makeView();
    attach();
    ASSERT_TRUE(frame.runUntil([&] { return side.trackCount() == static_cast<std::size_t>(GetParam()); }, 5s));
    frame.runFor(200ms);
    showHost();
    settle();
    expectPaintsLikeWholePaints();
    expectTheWholePicture();
}

INSTANTIATE_TEST_SUITE_P(Tracks, ARestoredState, ::testing::Values(2, 6));

TEST_F(EditorPicture, AWindowHiddenWhileThePlayheadMovesIsWholeWhenShown) {
    makeView();
    attach();
    playFor(4);
    settle();
    hideHost();
    playFor(12);
    showHost();
    settle();
    expectPaintsLikeWholePaints();
    expectTheWholePicture();
}

// A session of what hosts and people do, one step after another; every frame is checked as it is painted.
enum class Act { hide, show, resize, restoreTwoTracks, restoreSixTracks, addTrack, removeTrack, play };

struct Session {
    const char* name;
    std::vector<Act> acts;
};

void PrintTo(const Session& s, std::ostream* os) { *os << s.name; }

class ASession : public EditorPicture, public ::testing::WithParamInterface<Session> {
protected:
    void perform(Act act) {
        switch (act) {
            case Act::hide: hideHost(); return;
            case Act::show: showHost(); return;
            case Act::resize: {
                size = size.getWidth() == kWidth ? ViewRect(0, 0, 1000, 570) : ViewRect(0, 0, kWidth, kHeight);
                host->resize(static_cast<unsigned>(size.getWidth()), static_cast<unsigned>(size.getHeight()));
                view->onSize(&size);
                return;
            }
            case Act::restoreTwoTracks: restore(twoTracks); return;
            case Act::restoreSixTracks: restore(sixTracks); return;
            case Act::addTrack:
                side.onEditorThread([](pulvan::store::SequencerStore& s) {
                    s.addTrack();
                    return 0;
                });
                return;
            case Act::removeTrack:
                side.onEditorThread([](pulvan::store::SequencerStore& s) {
                    s.deleteTrack(static_cast<int>(s.preset->tracks.size()) - 1);
                    return 0;
                });
                return;
            case Act::play: playFor(6); return;
        }
    }

    std::vector<std::uint8_t> twoTracks = savedStateOf(2), sixTracks = savedStateOf(6);
    ViewRect size{0, 0, kWidth, kHeight};
};

TEST_P(ASession, PaintsEveryFrameAsAWholePaint) {
    makeView();
    attach();
    settle();
    for (std::size_t i = 0; i < GetParam().acts.size(); ++i) {
        SCOPED_TRACE("act " + std::to_string(i));
        perform(GetParam().acts[i]);
        frame.runFor(120ms);
    }
    settle();
    expectPaintsLikeWholePaints();
}

using enum Act;
INSTANTIATE_TEST_SUITE_P(
    Sessions, ASession,
    ::testing::Values(Session{"PlayHiddenShown", {play, hide, play, show, play}},
                      Session{"StateRestoredWhileHidden", {hide, restoreTwoTracks, play, show, play, hide, restoreSixTracks, show}},
                      Session{"TracksAddedAndRemoved",
                              {addTrack, play, hide, addTrack, addTrack, play, show, removeTrack, hide, removeTrack, show}},
                      Session{"ResizedWhilePlayingAndHidden", {play, resize, hide, play, resize, show, play, resize}},
                      Session{"EverythingWhilePlaying",
                              {restoreSixTracks, play, hide, resize, removeTrack, play, show, addTrack, play, restoreTwoTracks, hide, play,
                               show, resize}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kez
