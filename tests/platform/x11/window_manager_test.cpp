// A top-level window under a real window manager (openbox, icewm), where another program can take the keyboard.
#include <gtest/gtest.h>

#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/text_field.h"
#include "platform/x11/window_host.h"
#include "tests/platform/x11/x_client.h"

#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdlib>
#include <functional>

namespace pulvan::x11 {
namespace {

constexpr std::uint32_t kRed = 0xFF0000, kCaret = 0xFFFFFF;

// The caret of an empty field blinks in its first pixel column, white on the red window.
TEST(UnderAWindowManager, TheCaretGoesWhenAnotherProgramTakesTheKeyboardAndComesBackWithIt) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
    test::XClient x, other;
    ASSERT_TRUE(x.open() && other.open());
    auto* check = xcb_intern_atom_reply(x.get(), xcb_intern_atom(x.get(), 0, 24, "_NET_SUPPORTING_WM_CHECK"), nullptr);
    const bool managed = check && !x.property(x.root(), check->atom).empty();
    std::free(check);
    const char* manager = std::getenv("PULVAN_TEST_WINDOW_MANAGER");
    if (!managed) GTEST_SKIP() << "no window manager (" << (manager ? manager : "openbox") << " is not installed)";

    foundation::MainQueue queue;
    EventLoop loop{queue};
    std::string typed;
    ui::Root root{[&] {
                      return ui::zstack({ui::unit::topLeading}, ui::color({1, 0, 0, 1}),
                                        ui::textField({.text = typed, .onChange = [&](const std::string& t) { typed = t; }})
                                            .frame({.width = 100, .height = 30})
                                            .offset(0, 300));
                  },
                  queue};
    auto window = WindowHost::openTopLevel(root, loop, {"Pulvan focus", {400, 400}, {200, 200}, {}, {}});
    ASSERT_NE(window, nullptr);
    const auto runUntil = [&](const std::function<bool()>& done, std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            loop.runOnce(5'000'000);
        }
        return true;
    };
    ASSERT_TRUE(runUntil([&] { return window->hasPainted(); }, std::chrono::seconds(5)));
    const auto focus = [&] {
        auto* reply = xcb_get_input_focus_reply(x.get(), xcb_get_input_focus(x.get()), nullptr);
        const xcb_window_t w = reply ? reply->focus : 0;
        std::free(reply);
        return w;
    };
    const auto g = *x.geometry(window->window());
    const auto caret = [&] { return x.pixel(g.x, g.y + 315); };

    x.click(g.x + 20, g.y + 315);
    ASSERT_TRUE(runUntil([&] { return focus() == window->window(); }, std::chrono::seconds(5))) << "the window manager gave no focus";
    EXPECT_TRUE(runUntil([&] { return caret() == kCaret; }, std::chrono::seconds(5))) << "no caret in the focused field";

    // Another program's window, away from ours, takes the keyboard with a click.
    const xcb_window_t elsewhere = other.createWindow(200, 200);
    const std::uint32_t away[] = {1200, 600};
    xcb_configure_window(other.get(), elsewhere, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, away);
    other.sync();
    ASSERT_TRUE(runUntil([&] { return other.geometry(elsewhere)->x >= 1000; }, std::chrono::seconds(5)));
    const auto e = *other.geometry(elsewhere);
    other.click(e.x + 100, e.y + 100);
    ASSERT_TRUE(runUntil([&] { return focus() == elsewhere; }, std::chrono::seconds(5))) << "the other window got no focus";
    ASSERT_TRUE(runUntil([&] { return caret() == kRed; }, std::chrono::seconds(5)));
    // More than a blink period: the caret stays away.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1200);
    bool shown = false;
    while (std::chrono::steady_clock::now() < end) {
        loop.runOnce(5'000'000);
        shown = shown || caret() == kCaret;
    }
    EXPECT_FALSE(shown) << "a caret while another program has the keyboard";

    // Back in the window, the field types again, with its caret.
    x.click(g.x + 20, g.y + 315);
    ASSERT_TRUE(runUntil([&] { return focus() == window->window(); }, std::chrono::seconds(5)));
    EXPECT_TRUE(runUntil([&] { return caret() == kCaret; }, std::chrono::seconds(5))) << "no caret after the keyboard came back";
    x.key(x.keycodeOf(XKB_KEY_a), true);
    x.key(x.keycodeOf(XKB_KEY_a), false);
    EXPECT_TRUE(runUntil([&] { return typed == "a"; }, std::chrono::seconds(5)));
    other.destroyWindow(elsewhere);
}

}  // namespace
}  // namespace pulvan::x11
