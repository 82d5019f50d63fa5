#include "platform/foundation/x11_pasteboard.h"

#include <gtest/gtest.h>

#include "tests/support/descriptor_count.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <X11/Xlib.h>

using pulvan::foundation::Pasteboard;
using pulvan::foundation::X11Pasteboard;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

constexpr const char* patternType = "com.kezwerk.pulvan.pattern";

bool xvfbMissing() { return !std::filesystem::exists("/usr/bin/Xvfb"); }

class X11Clipboard : public ::testing::Test {
protected:
    void SetUp() override {
        if (xvfbMissing()) GTEST_SKIP() << "Xvfb is not installed: no X display to test the clipboard on";
        const char* display = std::getenv("DISPLAY");
        ASSERT_TRUE(display && *display) << "the x11 fixture sets DISPLAY";
        // Two boards on two connections stand for two programs sharing the desktop clipboard.
        first = X11Pasteboard::open();
        second = X11Pasteboard::open();
        ASSERT_TRUE(first && second) << "cannot open display " << display;
    }
    std::unique_ptr<X11Pasteboard> first, second;
};

// Whether the condition holds within two seconds: news of another program's copy travels through the server.
bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace

TEST_F(X11Clipboard, AnotherProgramReadsEachTypeThatWasCopiedWhole) {
    std::vector<std::uint8_t> large(300'000);
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<std::uint8_t>(i * 7 + 3);
    first->clearContents();
    ASSERT_TRUE(first->setData(patternType, large));
    ASSERT_TRUE(first->setData(Pasteboard::textType, bytesOf("plain")));
    EXPECT_EQ(second->data(patternType), large);
    EXPECT_EQ(second->data(Pasteboard::textType), bytesOf("plain"));
    EXPECT_FALSE(second->data("com.kezwerk.pulvan.other").has_value());
    EXPECT_EQ(first->data(patternType), large) << "the owner reads its own copy";
}

TEST_F(X11Clipboard, ACopyElsewhereReplacesWhatWasOnTheClipboard) {
    first->clearContents();
    ASSERT_TRUE(first->setData(patternType, bytesOf("pattern")));
    second->clearContents();
    ASSERT_TRUE(second->setData(Pasteboard::textType, bytesOf("only text")));
    EXPECT_FALSE(first->data(patternType).has_value()) << "the clipboard now holds only text";
    EXPECT_EQ(first->data(Pasteboard::textType), bytesOf("only text"));
    second.reset();
    EXPECT_FALSE(first->data(Pasteboard::textType).has_value()) << "nothing to read once the owner is gone";
}

TEST_F(X11Clipboard, OffersFollowWhoeverHoldsTheClipboardWithoutAskingThem) {
    struct Step {
        const char* name;
        std::function<void()> act;
        bool firstOffersPattern, firstOffersText, secondOffersPattern;
    };
    Display* silent = nullptr;  // a program that takes the clipboard and never answers
    const Step steps[] = {
        {"the first copies a pattern and text",
         [&] {
             first->clearContents();
             first->setData(patternType, bytesOf("pattern"));
             first->setData(Pasteboard::textType, bytesOf("text"));
         },
         true, true, true},
        {"the second copies only text",
         [&] {
             second->clearContents();
             second->setData(Pasteboard::textType, bytesOf("text"));
         },
         false, true, false},
        {"an owner that never answers",
         [&] {
             silent = XOpenDisplay(nullptr);
             const Window window = XCreateSimpleWindow(silent, DefaultRootWindow(silent), 0, 0, 1, 1, 0, 0, 0);
             XSetSelectionOwner(silent, XInternAtom(silent, "CLIPBOARD", False), window, CurrentTime);
             XSync(silent, False);
         },
         false, false, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_TRUE(eventually([&] {
            return first->offers(patternType) == step.firstOffersPattern && first->offers(Pasteboard::textType) == step.firstOffersText &&
                   second->offers(patternType) == step.secondOffersPattern;
        }));
    }
    // Asking while the owner is silent answers from what is known instead of waiting for the owner.
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(first->offers(patternType));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(X11Pasteboard::replyTimeoutMilliseconds / 2));
    XCloseDisplay(silent);
}

// The process's X error handler is the host's: the board sets none of its own, and the errors of its own
// requests (answering a program whose window is gone) come back to it, not to the host.
TEST(X11ClipboardInAHost, ErrorsOfTheBoardsOwnRequestsReachNoProcessWideHandler) {
    if (xvfbMissing()) GTEST_SKIP() << "Xvfb is not installed: no X display to test the clipboard on";
    static std::atomic<int> hostErrors{0};
    const XErrorHandler hostHandler = [](Display*, XErrorEvent*) {
        ++hostErrors;
        return 0;
    };
    XSetErrorHandler(hostHandler);
    auto owner = X11Pasteboard::open();
    auto reader = X11Pasteboard::open();
    ASSERT_TRUE(owner && reader);
    owner->clearContents();
    ASSERT_TRUE(owner->setData(Pasteboard::textType, bytesOf("text")));

    Display* asker = XOpenDisplay(nullptr);
    const Atom clipboard = XInternAtom(asker, "CLIPBOARD", False);
    const Window gone = XCreateSimpleWindow(asker, DefaultRootWindow(asker), 0, 0, 1, 1, 0, 0, 0);
    XDestroyWindow(asker, gone);
    XEvent request{};
    request.xselectionrequest.type = SelectionRequest;
    request.xselectionrequest.owner = XGetSelectionOwner(asker, clipboard);
    request.xselectionrequest.requestor = gone;
    request.xselectionrequest.selection = clipboard;
    request.xselectionrequest.target = XInternAtom(asker, Pasteboard::textType, False);
    request.xselectionrequest.property = XInternAtom(asker, "PULVAN_TEST", False);
    request.xselectionrequest.time = CurrentTime;
    XSendEvent(asker, request.xselectionrequest.owner, False, NoEventMask, &request);
    XSync(asker, False);

    // Answered after the vanished program's request: the board goes on serving.
    EXPECT_EQ(reader->data(Pasteboard::textType), bytesOf("text"));
    EXPECT_EQ(hostErrors, 0);
    EXPECT_EQ(XSetErrorHandler(nullptr), hostHandler) << "the host's handler is still the one in place";
    XCloseDisplay(asker);
}

// A module that is left retires the general board; a host may load and leave it many times.
TEST(X11ClipboardInAHost, ARetiredGeneralBoardKeepsNoConnectionOpen) {
    if (xvfbMissing()) GTEST_SKIP() << "Xvfb is not installed: no X display to test the clipboard on";
    const std::size_t before = pulvan::test::descriptorCount();
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        Pasteboard& board = Pasteboard::general();
        ASSERT_NE(dynamic_cast<X11Pasteboard*>(&board), nullptr);
        board.clearContents();
        EXPECT_TRUE(board.setData(Pasteboard::textType, bytesOf("text")));
        Pasteboard::retireGeneral();
        EXPECT_EQ(pulvan::test::descriptorCount(), before);
        EXPECT_FALSE(board.setData(Pasteboard::textType, bytesOf("late"))) << "a retired board takes nothing";
        EXPECT_FALSE(board.data(Pasteboard::textType).has_value());
    }
}
