// The standalone application under a private X display: the program itself, started, shown, resized and
// closed; and the same application in this process, closed while it plays into a JACK MIDI client.
#include <gtest/gtest.h>

#include "app/loaded_bundle.h"
#include "app/standalone_application.h"
#include "editor/model/lane_kind.h"
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

constexpr std::uint32_t kEditorBackground = 0x0E0E10, kPanelBackground = 0x161618;

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// The window manager's close button.
void closeWindow(x11::test::XClient& x, xcb_window_t window) {
    auto intern = [&](const char* name) {
        auto* r = xcb_intern_atom_reply(x.get(), xcb_intern_atom(x.get(), 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = r ? r->atom : 0;
        std::free(r);
        return atom;
    };
    xcb_client_message_event_t close{};
    close.response_type = XCB_CLIENT_MESSAGE;
    close.format = 32;
    close.window = window;
    close.type = intern("WM_PROTOCOLS");
    close.data.data32[0] = intern("WM_DELETE_WINDOW");
    xcb_send_event(x.get(), 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&close));
    x.sync();
}

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

TEST_F(Application, ClosingTheWindowWhilePlayingEndsEveryNote) {
    if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
    link::ReceivingProgram session("Session 1", "in");
    std::string error;
    auto bundle = LoadedBundle::open(PULVAN_BUNDLE_LIBRARY, error);
    ASSERT_NE(bundle, nullptr) << error;
    foundation::MainQueue queue;
    x11::EventLoop loop(queue);
    auto app = StandaloneApplication::open(loop, bundle->registry());
    ASSERT_NE(app, nullptr);
    // Every step of the first track on, over a three-note pool.
    auto& store = app->composition().store();
    store.preset.modify([](model::Preset& p) {
        p.notesPool = {60, 64, 67};
        if (!p.chordPresets.empty()) p.chordPresets[0].chord = {60, 64, 67};
        auto& gate = p.tracks.at(0).patterns.at(0).lane(model::LaneKind::gate);
        std::fill(gate.steps.begin(), gate.steps.end(), 1);
    });
    app->composition().startAppPlay();
    ASSERT_TRUE(store.appPlayRunning.get());
    const auto playing = std::chrono::steady_clock::now() + 600ms;
    while (std::chrono::steady_clock::now() < playing) loop.runOnce(10'000'000);

    closeWindow(x, app->window().window());
    loop.run();  // until the close quits it
    EXPECT_FALSE(store.appPlayRunning.get());
    app.reset();
    std::this_thread::sleep_for(100ms);  // the last messages cross the MIDI system

    const auto arrivals = session.arrivals();
    EXPECT_TRUE(std::any_of(arrivals.begin(), arrivals.end(), link::noteOn)) << "it played";
    EXPECT_TRUE(link::stillSounding(arrivals).empty()) << "a note still sounds";
}

}  // namespace
}  // namespace pulvan::app
