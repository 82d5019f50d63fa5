// The standalone program under a window manager (openbox): closing its window, by Alt+F4 or the title
// bar's button, quits at once with nothing unsaved, and over unsaved edits asks first: Cancel keeps it
// running, Quit ends it with every note ended. A JACK server that stops answering while it quits
// does not keep it.
#include <gtest/gtest.h>

#include "tests/app/program_windows.h"
#include "tests/editor/link/standalone/receiving_program.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/midi/jack_server.h"
#include "tests/platform/x11/x_client.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <cstdlib>

extern char** environ;

namespace pulvan::app::test {
namespace {

using pulvan::test::ScopedEnvironment;
using pulvan::test::TempFolder;

constexpr std::uint32_t kEditorBackground = 0x0E0E10, kDialogBackground = 0x161618;

// Points of the 1280 x 730 window: inside the question's panel, its two buttons, the first GATE steps
// and the top bar's play button.
constexpr int kQuestionX = 580, kQuestionY = 383;
constexpr int kCancelX = 692, kQuitX = 773, kAnswerY = 403;
constexpr int kGateX = 207, kGateStep = 67, kGateY = 188;
constexpr int kPlayX = 747, kPlayY = 35;

class UnderAWindowManager : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        ASSERT_TRUE(x.open());
        if (x.property(x.root(), atom(x, "_NET_SUPPORTING_WM_CHECK")).empty())
            GTEST_SKIP() << "no window manager (openbox is not installed)";
    }
    void TearDown() override {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    void start() {
        char* argv[] = {const_cast<char*>(PULVAN_PROGRAM), nullptr};
        ASSERT_EQ(posix_spawn(&pid_, PULVAN_PROGRAM, nullptr, nullptr, argv, environ), 0);
        ASSERT_TRUE(waitFor([&] { return (window_ = managedWindowNamed("Pulvan")) != 0; }));
        ASSERT_TRUE(waitFor([&] { return pixel(8, 400) == kEditorBackground; })) << "the editor never showed";
    }
    // The program's window, which the manager keeps inside a frame of its own.
    xcb_window_t managedWindowNamed(const std::string& title) {
        const std::string list = x.property(x.root(), atom(x, "_NET_CLIENT_LIST"), 1024);
        const auto* windows = reinterpret_cast<const xcb_window_t*>(list.data());
        for (std::size_t i = 0; i < list.size() / sizeof(xcb_window_t); ++i)
            if (x.property(windows[i], XCB_ATOM_WM_NAME) == title) return windows[i];
        return 0;
    }
    std::uint32_t pixel(int px, int py) {
        const auto g = x.geometry(window_);
        return g ? x.pixel(g->x + px, g->y + py) : 0;
    }
    // At a person's pace: the program has drawn the answer to one click before the next.
    void click(int px, int py) {
        const auto g = *x.geometry(window_);
        x.click(g.x + px, g.y + py);
        std::this_thread::sleep_for(150ms);
    }
    void pressAltF4() {
        const std::uint8_t alt = x.keycodeOf(XKB_KEY_Alt_L), f4 = x.keycodeOf(XKB_KEY_F4);
        x.key(alt, true);
        x.key(f4, true);
        x.key(f4, false);
        x.key(alt, false);
    }
    void playSomeSteps() {
        for (int step = 0; step < 4; ++step) click(kGateX + kGateStep * step, kGateY);
        click(kPlayX, kPlayY);
    }
    bool asking() { return pixel(kQuestionX, kQuestionY) == kDialogBackground; }
    // The exit status once the program has ended within the time, else none.
    std::optional<int> exitStatus(std::chrono::milliseconds timeout) {
        int status = -1;
        if (!waitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, timeout)) return std::nullopt;
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempFolder home;
    ScopedEnvironment config{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    ScopedEnvironment data{"XDG_DATA_HOME", (home.path() / "data").string()};
    x11::test::XClient x;
    pid_t pid_ = 0;
    xcb_window_t window_ = 0;
};

TEST_F(UnderAWindowManager, ClosingQuitsAtOnceWithNothingUnsaved) {
    start();
    click(kPlayX, kPlayY);  // playing is no edit
    pressAltF4();
    EXPECT_EQ(exitStatus(5s), 0);
}

TEST_F(UnderAWindowManager, ClosingOverUnsavedEditsAsksAndOnlyQuitEndsItWithEveryNoteEnded) {
    link::ReceivingProgram session("Session 1", "in");
    ASSERT_TRUE(session.open());
    start();
    EXPECT_FALSE(asking());
    playSomeSteps();
    const auto played = [&] {
        const auto arrivals = session.arrivals();
        return std::any_of(arrivals.begin(), arrivals.end(), link::noteOn);
    };
    ASSERT_TRUE(waitFor(played, 5s)) << "it never played";

    // Alt+F4 asks; Cancel keeps the program and its edits.
    pressAltF4();
    EXPECT_TRUE(waitFor([&] { return asking(); }, 5s)) << "no question over the editor";
    EXPECT_FALSE(exitStatus(500ms)) << "it quit without asking";
    click(kCancelX, kAnswerY);
    EXPECT_TRUE(waitFor([&] { return !asking(); }, 5s));
    EXPECT_FALSE(exitStatus(500ms)) << "Cancel quit";

    // The title bar's close asks again; Quit ends the program, and every note with it.
    closeWindow(x, window_);
    EXPECT_TRUE(waitFor([&] { return asking(); }, 5s));
    click(kQuitX, kAnswerY);
    EXPECT_EQ(exitStatus(5s), 0);
    std::this_thread::sleep_for(100ms);  // the last messages cross the MIDI system
    EXPECT_TRUE(link::stillSounding(session.arrivals()).empty()) << "a note still sounds";
}

// The server stops answering (a stalled machine) once every note has ended, while the program still
// closes its MIDI clients, whose closing then gets no answer: it exits all the same, within its bound.
TEST_F(UnderAWindowManager, QuittingEndsWithinItsBoundWhenTheServerStopsAnswering) {
    midi::test::OwnJackServer server("quit", 256);
    ASSERT_TRUE(server.started());
    link::ReceivingProgram session("Session 1", "in");
    ASSERT_TRUE(session.open());
    start();
    playSomeSteps();
    ASSERT_TRUE(waitFor([&] { return !session.arrivals().empty(); }, 5s)) << "it never played";

    kill(pid_, SIGTERM);
    const std::size_t heard = session.arrivals().size();
    ASSERT_TRUE(waitFor(
        [&] {
            const auto arrivals = session.arrivals();
            return arrivals.size() > heard && link::stillSounding(arrivals).empty();
        },
        5s))
        << "a note still sounds";
    ASSERT_TRUE(server.pause());
    EXPECT_EQ(exitStatus(4s), 0) << "it waits on the server";
    ASSERT_TRUE(server.resume());
}

}  // namespace
}  // namespace pulvan::app::test
