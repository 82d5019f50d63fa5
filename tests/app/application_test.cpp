// The standalone application under a private X display: the program itself, started, shown, resized and
// closed; and the same application in this process, closed while it plays into a JACK MIDI client, at once or,
// over unsaved edits, once the question is answered.
#include <gtest/gtest.h>

#include "app/loaded_bundle.h"
#include "app/standalone_application.h"
#include "editor/model/lane_kind.h"
#include "tests/app/program_windows.h"
#include "tests/editor/link/standalone/receiving_program.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/x11/x_client.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

extern char** environ;

namespace pulvan::app {
namespace {

using namespace std::chrono_literals;
using pulvan::test::ScopedEnvironment;
using pulvan::test::TempFolder;
using test::closeWindow;
using test::waitFor;

constexpr std::uint32_t kEditorBackground = 0x0E0E10, kPanelBackground = 0x161618;

class Application : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        ASSERT_TRUE(x.open());
    }
    TempFolder home;
    ScopedEnvironment config{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    ScopedEnvironment data{"XDG_DATA_HOME", (home.path() / "data").string()};
    x11::test::XClient x;
};

TEST_F(Application, StartsShowsTheEditorResizesAndQuitsWhenItsWindowCloses) {
    char* argv[] = {const_cast<char*>(PULVAN_PROGRAM), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, PULVAN_PROGRAM, nullptr, nullptr, argv, environ), 0);
    xcb_window_t window = 0;
    ASSERT_TRUE(waitFor([&] { return (window = x.topLevelNamed("Pulvan")) != 0; }));
    auto g = *x.geometry(window);
    EXPECT_EQ(g.width, 1280);
    EXPECT_EQ(g.height, 730);
    EXPECT_TRUE(waitFor([&] { return x.pixel(g.x + 8, g.y + 400) == kEditorBackground; })) << std::hex << x.pixel(g.x + 8, g.y + 400);
    // The card lies below the top bar and the track tabs: its top padding, half way across.
    EXPECT_EQ(x.pixel(g.x + 690, g.y + 113), kPanelBackground) << "the card spans the width";

    const std::uint32_t size[] = {700, 420};
    xcb_configure_window(x.get(), window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    x.sync();
    g = *x.geometry(window);
    EXPECT_EQ(g.width, 700);
    // The editor follows: scaled to 700 / 940, its card now ends at x = 685.
    EXPECT_TRUE(waitFor([&] { return x.pixel(g.x + 680, g.y + 90) == kPanelBackground; })) << std::hex << x.pixel(g.x + 680, g.y + 90);
    EXPECT_EQ(x.pixel(g.x + 690, g.y + 90), kEditorBackground);

    closeWindow(x, window);
    int status = -1;
    ASSERT_TRUE(waitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }));
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(Application, QuitsAsFromItsWindowOnCtrlCOrTheSessionsRequest) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        char* argv[] = {const_cast<char*>(PULVAN_PROGRAM), nullptr};
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, PULVAN_PROGRAM, nullptr, nullptr, argv, environ), 0);
        ASSERT_TRUE(waitFor([&] { return x.topLevelNamed("Pulvan") != 0; }));
        kill(pid, signal);
        int status = -1;
        ASSERT_TRUE(waitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }));
        EXPECT_TRUE(WIFEXITED(status)) << "signal " << signal;
        EXPECT_EQ(WEXITSTATUS(status), 0);
        ASSERT_TRUE(waitFor([&] { return x.topLevelNamed("Pulvan") == 0; }));
    }
}

TEST_F(Application, ClosingTheWindowWhilePlayingEndsEveryNoteAndAsksFirstOverUnsavedEdits) {
    if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
    std::string error;
    auto bundle = LoadedBundle::open(PULVAN_BUNDLE_LIBRARY, error);
    ASSERT_NE(bundle, nullptr) << error;
    for (const bool unsavedEdits : {false, true}) {
        SCOPED_TRACE(unsavedEdits ? "unsaved edits" : "nothing unsaved");
        link::ReceivingProgram session("Session 1", "in");
        foundation::MainQueue queue;
        x11::EventLoop loop(queue);
        auto app = StandaloneApplication::open(loop, bundle->registry());
        ASSERT_NE(app, nullptr);
        // Every step of the first track on, over a three-note pool; as an edit, or as the preset was loaded.
        auto& store = app->composition().store();
        if (unsavedEdits) store.beginTransaction("Edit");
        store.preset.modify([](model::Preset& p) {
            p.notesPool = {60, 64, 67};
            if (!p.chordPresets.empty()) p.chordPresets[0].chord = {60, 64, 67};
            auto& gate = p.tracks.at(0).patterns.at(0).lane(model::LaneKind::gate);
            std::fill(gate.steps.begin(), gate.steps.end(), 1);
        });
        if (unsavedEdits) store.endTransaction();
        ASSERT_EQ(store.hasUnsavedChanges(), unsavedEdits);
        app->composition().startAppPlay();
        ASSERT_TRUE(store.appPlayRunning.get());
        const auto runFor = [&](std::chrono::milliseconds span) {
            const auto end = std::chrono::steady_clock::now() + span;
            while (std::chrono::steady_clock::now() < end) loop.runOnce(10'000'000);
        };
        runFor(600ms);

        closeWindow(x, app->window().window());
        if (unsavedEdits) {
            runFor(300ms);
            ASSERT_TRUE(store.dialog.get()) << "it quit without asking";
            EXPECT_EQ(store.dialog.get()->message, "Discard unsaved changes and quit ?");
            EXPECT_EQ(store.dialog.get()->confirmLabel, "Quit");
            EXPECT_TRUE(store.appPlayRunning.get()) << "asking stops nothing";
            const auto quit = store.dialog.get()->onConfirm;
            store.dialog.set(std::nullopt);
            quit("");
        }
        loop.run();  // until the close quits it
        EXPECT_FALSE(store.appPlayRunning.get());
        app.reset();
        std::this_thread::sleep_for(100ms);  // the last messages cross the MIDI system

        const auto arrivals = session.arrivals();
        EXPECT_TRUE(std::any_of(arrivals.begin(), arrivals.end(), link::noteOn)) << "it played";
        EXPECT_TRUE(link::stillSounding(arrivals).empty()) << "a note still sounds";
    }
}

// A window unmapped while playing (minimised, on another desktop) shows, once mapped again, what play changed
// meanwhile: every frame is the picture a whole paint of the same state gives.
TEST_F(Application, AWindowUnmappedWhilePlayingIsWholeWhenMappedAgain) {
    std::string error;
    auto bundle = LoadedBundle::open(PULVAN_BUNDLE_LIBRARY, error);
    ASSERT_NE(bundle, nullptr) << error;
    foundation::MainQueue queue;
    x11::EventLoop loop(queue);
    auto app = StandaloneApplication::open(loop, bundle->registry());
    ASSERT_NE(app, nullptr);
    x11::WindowHost::checkPaintsAgainstWholePaints(true);
    const auto runFor = [&](std::chrono::milliseconds span) {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end) loop.runOnce(10'000'000);
    };
    const auto runUntil = [&](const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (!done() && std::chrono::steady_clock::now() < end) loop.runOnce(10'000'000);
        return done();
    };
    ASSERT_TRUE(runUntil([&] { return app->window().hasPainted(); }));
    app->composition().startAppPlay();
    ASSERT_TRUE(app->composition().store().appPlayRunning.get());
    for (int hiding = 0; hiding < 2; ++hiding) {
        runFor(400ms);
        const int framesShown = x11::WindowHost::paintCheck().frames;
        xcb_unmap_window(x.get(), app->window().window());
        x.sync();
        runFor(1000ms);
        xcb_map_window(x.get(), app->window().window());
        x.sync();
        EXPECT_TRUE(runUntil([&] { return x11::WindowHost::paintCheck().frames > framesShown + 2; })) << "nothing painted once mapped";
    }
    app->composition().stopAppPlay();
    runFor(200ms);
    x11::WindowHost::checkScreensAgainstWholePaints();
    EXPECT_TRUE(runUntil([&] { return x11::WindowHost::paintCheck().screens > 0; })) << "the screen was not read";
    const x11::WindowHost::PaintCheck check = x11::WindowHost::paintCheck();
    x11::WindowHost::checkPaintsAgainstWholePaints(false);
    EXPECT_EQ(check.unlike, 0) << "of " << check.frames << " frames; the last unlike around " << check.lastUnlikeArea.x << ","
                               << check.lastUnlikeArea.y << " " << check.lastUnlikeArea.width << "x" << check.lastUnlikeArea.height;
    EXPECT_EQ(check.screensUnlike, 0) << "the screen unlike around " << check.lastUnlikeScreenArea.x << "," << check.lastUnlikeScreenArea.y
                                      << " " << check.lastUnlikeScreenArea.width << "x" << check.lastUnlikeScreenArea.height;
}

}  // namespace
}  // namespace pulvan::app
