#include "platform/x11/window_host.h"

#include <gtest/gtest.h>

#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/text_field.h"
#include "platform/x11/connection.h"
#include "platform/x11/keyboard.h"
#include "platform/x11/paint_check.h"
#include "platform/x11/scroll_devices.h"
#include "platform/x11/scroll_phases.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/x11/keys_over_the_editor.h"
#include "tests/platform/x11/x_client.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace pulvan::x11 {
namespace {

using ui::ScrollPhase;

TEST(DisplayScale, ComesFromXftDpi) {
    struct Case {
        const char* resources;
        double scale;
    };
    for (const Case& c :
         {Case{"Xft.dpi:\t96\n", 1.0}, Case{"Xft.antialias:\t1\nXft.dpi:\t192\n", 2.0}, Case{"Xft.dpi: 144", 1.5}, Case{"", 1.0},
          Case{"Xft.dpi:\tlots\n", 1.0}, Case{"Xft.dpi:\t5\n", 1.0}, Case{"Xft.dpi:\t100000\n", 1.0}, Case{"Xft.dpis:\t192\n", 1.0}})
        EXPECT_DOUBLE_EQ(displayScaleFromResources(c.resources), c.scale) << c.resources;
}

TEST(ScrollPhases, BeginChangeAndEndByPauseOrStream) {
    constexpr std::int64_t ms = 1'000'000;
    ScrollPhases phases;
    EXPECT_FALSE(phases.deadline());
    EXPECT_EQ(phases.delta(0), ScrollPhase::began);
    EXPECT_EQ(phases.delta(10 * ms), ScrollPhase::changed);
    EXPECT_EQ(*phases.deadline(), 10 * ms + ScrollPhases::kIdleNanoseconds);
    EXPECT_FALSE(phases.idleEndDue(10 * ms + ScrollPhases::kIdleNanoseconds - 1));
    EXPECT_TRUE(phases.idleEndDue(10 * ms + ScrollPhases::kIdleNanoseconds));
    EXPECT_FALSE(phases.idleEndDue(900 * ms));  // once
    EXPECT_EQ(phases.delta(1000 * ms), ScrollPhase::began);
    EXPECT_TRUE(phases.end());
    EXPECT_FALSE(phases.end());
    EXPECT_EQ(phases.delta(1001 * ms), ScrollPhase::began);
}

TEST(ScrollDevices, TouchpadsAreToldByName) {
    for (const char* name : {"SynPS/2 Synaptics TouchPad", "ELAN1200:00 04F3:30BA Touchpad", "Apple Inc. Magic Trackpad"})
        EXPECT_TRUE(ScrollDevices::nameIsTouchpad(name, static_cast<int>(std::strlen(name)))) << name;
    for (const char* name : {"Logitech USB Optical Mouse", "Virtual core XTEST pointer", ""})
        EXPECT_FALSE(ScrollDevices::nameIsTouchpad(name, static_cast<int>(std::strlen(name)))) << name;
}

constexpr ui::Color kRed{1, 0, 0, 1};
constexpr ui::Color kBlue{0, 0, 1, 1};

// The check of frames against whole paints sees a faint difference over a flat area (a control's background
// against the panel's, 6 levels apart) and a wrong edge, and lets only an antialiased edge's few levels of clip
// rounding pass.
TEST(PaintCheck, CountsFramesUnlikeTheirWholePaint) {
    struct Case {
        const char* name;
        std::uint32_t frameInner;  // the frame's pixels of the 20 x 20 square the whole paint draws 0x303030
        std::uint32_t frameEdge;   // the frame's pixels of the one-pixel line the whole paint draws 0x808080 beside it
        bool unlike;
    };
    for (const Case& c :
         {Case{"the same", 0x303030, 0x808080, false}, Case{"a level of rounding", 0x313030, 0x808080, false},
          Case{"a flat area 6 levels apart", 0x363630, 0x808080, true}, Case{"an edge a few levels apart", 0x303030, 0x858580, false},
          Case{"an edge far apart", 0x303030, 0x505050, true}}) {
        SCOPED_TRACE(c.name);
        cairo_surface_t* whole = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 40, 40);
        cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 40, 40);
        const auto draw = [](cairo_surface_t* surface, std::uint32_t inner, std::uint32_t edge) {
            cairo_t* cr = cairo_create(surface);
            const auto rgb = [&](std::uint32_t c) {
                cairo_set_source_rgb(cr, (c >> 16) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0);
            };
            rgb(0x101010);
            cairo_paint(cr);
            rgb(inner);
            cairo_rectangle(cr, 10, 10, 20, 20);
            cairo_fill(cr);
            rgb(edge);
            cairo_rectangle(cr, 30, 10, 1, 20);
            cairo_fill(cr);
            cairo_destroy(cr);
        };
        draw(whole, 0x303030, 0x808080);
        draw(frame, c.frameInner, c.frameEdge);
        paint_check::turn(true);
        paint_check::compare(frame, whole);
        EXPECT_EQ(paint_check::result().unlike, c.unlike ? 1 : 0);
        paint_check::turn(false);
        cairo_surface_destroy(frame);
        cairo_surface_destroy(whole);
    }
}

// A real window on the test display, showing a red field with a blue 100 x 100 square at (200, 100)
// that records its pointer and scroll input.
class WindowHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        ASSERT_TRUE(x.open());
    }

    ui::View content() {
        return ui::zstack(
            {ui::unit::topLeading}, ui::color(backgroundShown ? kRed : ui::Color::clear()).onScroll([this](const ui::ScrollEvent& e) {
                scrolls.push_back(e);
                return true;
            }),
            ui::color(kBlue)
                .onPointer([this](const ui::PointerEvent& e) { pointer.push_back(e); })
                .cursor(ui::CursorShape::pointingHand)
                .frame({.width = 100, .height = 100})
                .offset(200, 100),
            fieldShown ? ui::textField(fieldOptions()).frame({.width = 100, .height = 30}).offset(0, 300).testId("field") : ui::View(),
            alertShown ? ui::color(kBlue).frame({.width = 100, .height = 50}).offset(400, 300).keyScope() : ui::View(),
            fadedShown ? ui::color(kBlue).frame({.width = 100, .height = 50}).shadow({0, 0, 0, 0.5}, 6, 2, 3).opacity(0.5).offset(400, 300)
                       : ui::View());
    }

    ui::TextFieldOptions fieldOptions() {
        ui::TextFieldOptions options;
        options.text = typed;
        options.onChange = [this](const std::string& t) { typed = t; };
        options.onSubmit = [this] {
            ++submits;
            if (!submitCloses) return;
            fieldShown = false;  // as a dialog closes on its Return
            root.invalidate();
        };
        options.focusRequest = focusRequests;
        return options;
    }

    // Turns of the window's loop until the condition holds.
    bool runUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            loop.runOnce(5'000'000);
        }
        return true;
    }
    void settle() {
        x.sync();
        for (int i = 0; i < 5; ++i) loop.runOnce(10'000'000);
    }
    // A child window of a new parent, painted, with the field focused by a click; no window when it failed.
    std::pair<xcb_window_t, std::unique_ptr<WindowHost>> openWithTheFieldFocused() {
        const xcb_window_t parent = x.createWindow(800, 500);
        auto window = WindowHost::openChild(root, loop, parent, {800, 500});
        if (!window || !runUntil([&] { return window->hasPainted(); })) return {parent, nullptr};
        x.click(20, 310);
        settle();
        return {parent, std::move(window)};
    }

    test::XClient x;
    foundation::MainQueue queue;
    EventLoop loop{queue};
    std::string typed;
    int submits = 0, focusRequests = 0;
    bool alertShown = false, fadedShown = false, fieldShown = true, submitCloses = false, backgroundShown = true;
    ui::Root root{[this] { return content(); }, queue};
    std::vector<ui::PointerEvent> pointer;
    std::vector<ui::ScrollEvent> scrolls;
};

TEST_F(WindowHostTest, TopLevelWindowShowsTheRootAndTakesPointerInput) {
    bool closeRequested = false;
    auto window = WindowHost::openTopLevel(root, loop, {"Pulvan", {640, 400}, {320, 200}, [&] { closeRequested = true; }});
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(runUntil([&] { return window->hasPainted(); }));
    settle();
    EXPECT_EQ(window->displayScale(), 1.0);  // the test display sets no Xft.dpi
    EXPECT_EQ(x.property(window->window(), XCB_ATOM_WM_NAME), "Pulvan");
    const std::string hints = x.property(window->window(), XCB_ATOM_WM_NORMAL_HINTS);
    ASSERT_EQ(hints.size(), 18 * 4u);
    EXPECT_EQ(reinterpret_cast<const std::uint32_t*>(hints.data())[5], 320u);
    EXPECT_EQ(reinterpret_cast<const std::uint32_t*>(hints.data())[6], 200u);
    const auto g = *x.geometry(window->window());
    EXPECT_EQ(g.width, 640);
    EXPECT_EQ(g.height, 400);
    EXPECT_EQ(root.size(), (ui::Size{640, 400}));
    EXPECT_EQ(x.pixel(g.x + 10, g.y + 10), 0xFF0000u);
    EXPECT_EQ(x.pixel(g.x + 250, g.y + 150), 0x0000FFu);

    x.click(g.x + 210, g.y + 120);
    ASSERT_TRUE(runUntil([&] { return pointer.size() >= 2; }));
    EXPECT_EQ(pointer[0].phase, ui::PointerPhase::press);
    EXPECT_EQ(pointer[0].location, (ui::Point{10, 20}));
    EXPECT_EQ(pointer[0].screenLocation, (ui::Point{g.x + 210.0, g.y + 120.0}));
    EXPECT_EQ(pointer[0].clickCount, 1);
    EXPECT_EQ(pointer.back().phase, ui::PointerPhase::release);
    settle();
    EXPECT_EQ(root.cursor(), ui::CursorShape::pointingHand);

    // Wheel buttons are line steps without a phase: down and right are positive.
    x.moveTo(g.x + 20, g.y + 20);
    for (std::uint8_t b : {4, 5, 6, 7}) {
        x.button(b, true);
        x.button(b, false);
    }
    ASSERT_TRUE(runUntil([&] { return scrolls.size() >= 4; }));
    const double expected[4][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(scrolls[i].deltaX, expected[i][0]);
        EXPECT_EQ(scrolls[i].deltaY, expected[i][1]);
        EXPECT_FALSE(scrolls[i].hasPreciseDeltas);
        EXPECT_EQ(scrolls[i].phase, ScrollPhase::none);
    }

    // With the focus on no window in particular, the keys go to the window under the pointer.
    xcb_set_input_focus(x.get(), XCB_INPUT_FOCUS_POINTER_ROOT, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_CURRENT_TIME);
    x.moveTo(g.x + 700, g.y + 20);
    EXPECT_TRUE(runUntil([&] { return !root.hasKeyboardFocus(); }));
    x.moveTo(g.x + 20, g.y + 20);
    EXPECT_TRUE(runUntil([&] { return root.hasKeyboardFocus(); }));
    x.moveTo(g.x + 700, g.y + 20);
    EXPECT_TRUE(runUntil([&] { return !root.hasKeyboardFocus(); }));

    // The window manager's close button.
    xcb_client_message_event_t close{};
    close.response_type = XCB_CLIENT_MESSAGE;
    close.format = 32;
    close.window = window->window();
    const auto c = Connection::open();
    close.type = c->atoms().wmProtocols;
    close.data.data32[0] = c->atoms().wmDeleteWindow;
    xcb_send_event(x.get(), 0, window->window(), XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&close));
    x.sync();
    EXPECT_TRUE(runUntil([&] { return closeRequested; }));
}

TEST_F(WindowHostTest, ChildWindowFollowsTheHostsSizesAndRepaintsOnlyWhatChanged) {
    const xcb_window_t parent = x.createWindow(800, 500);
    auto window = WindowHost::openChild(root, loop, parent, {800, 500});
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(runUntil([&] { return window->hasPainted(); }));
    settle();
    EXPECT_EQ(x.childCount(parent), 1u);
    for (const ui::Size size : {ui::Size{1000, 570}, ui::Size{640, 365}, ui::Size{1, 1}}) {
        window->resize(size);
        settle();
        const auto g = *x.geometry(window->window());
        EXPECT_EQ(g.width, size.width);
        EXPECT_EQ(g.height, size.height);
        EXPECT_EQ(root.size(), size);
    }
    window->resize({800, 500});
    settle();
    EXPECT_EQ(x.pixel(250, 150), 0x0000FFu);

    int paints = 0;
    window->onPainted = [&] { ++paints; };
    settle();
    EXPECT_EQ(paints, 0);  // an idle editor draws nothing

    // Keys reach a focused text field once the field asks for the keyboard.
    x.click(20, 310);
    settle();
    x.key(x.keycodeOf(XKB_KEY_a), true);
    x.key(x.keycodeOf(XKB_KEY_a), false);
    EXPECT_TRUE(runUntil([&] { return typed == "a"; }));
    // Text drawn again and again into the window leaves nothing behind (the sanitizer stage's leak check).
    for (int i = 0; i < 150; ++i) {
        x.key(x.keycodeOf(XKB_KEY_a), true);
        x.key(x.keycodeOf(XKB_KEY_a), false);
        ASSERT_TRUE(runUntil([&] { return typed.size() == static_cast<std::size_t>(i) + 2; }));
    }
    window.reset();
    EXPECT_EQ(x.childCount(parent), 0u);
    x.destroyWindow(parent);
}

// A host that takes its children's map and size requests (a GtkSocket does) but is busy, or waits on the window
// manager, and answers none: the window shows and takes its sizes all the same.
TEST_F(WindowHostTest, AHostThatTakesItsChildrensRequestsButAnswersNoneStillShowsTheWindow) {
    const xcb_window_t parent = x.createWindow(800, 500);
    const std::uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    xcb_change_window_attributes(x.get(), parent, XCB_CW_EVENT_MASK, &redirect);
    x.sync();
    auto window = WindowHost::openChild(root, loop, parent, {800, 500});
    ASSERT_NE(window, nullptr);
    const auto viewable = [&] {
        auto* a = xcb_get_window_attributes_reply(x.get(), xcb_get_window_attributes(x.get(), window->window()), nullptr);
        const bool shown = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(a);
        return shown;
    };
    EXPECT_TRUE(runUntil([&] { return viewable() && window->hasPainted(); }));
    window->resize({640, 365});
    const auto g = *x.geometry(window->window());
    EXPECT_EQ(g.width, 640);
    EXPECT_EQ(g.height, 365);
    window.reset();
    x.destroyWindow(parent);
}

// A window hidden by its host paints nothing, however its picture changes.
TEST_F(WindowHostTest, AHiddenWindowPaintsNothing) {
    const xcb_window_t parent = x.createWindow(800, 500);
    auto window = WindowHost::openChild(root, loop, parent, {800, 500});
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(runUntil([&] { return window->hasPainted(); }));
    int paints = 0;
    window->onPainted = [&] { ++paints; };
    xcb_unmap_window(x.get(), parent);
    x.sync();
    // Once the window has heard that it is hidden, a change leaves its damage with the root.
    EXPECT_TRUE(runUntil([&] {
        const int before = paints;
        root.invalidate();
        loop.runOnce(1'000'000);
        return paints == before;
    }));
    window.reset();
    x.destroyWindow(parent);
}

TEST_F(WindowHostTest, TheWorkAreaIsTheDesktopsOrTheWholeScreen) {
    auto window = WindowHost::openChild(root, loop, x.root(), {100, 100});
    ASSERT_NE(window, nullptr);
    const auto screen = *x.geometry(x.root());
    EXPECT_EQ(window->workArea(), (ui::Rect{0, 0, double(screen.width), double(screen.height)}));
    auto* atom = xcb_intern_atom_reply(x.get(), xcb_intern_atom(x.get(), 0, 13, "_NET_WORKAREA"), nullptr);
    const std::uint32_t area[8] = {0, 32, 1920, 1100, 0, 0, 10, 10};  // two desktops; the first counts
    xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, x.root(), atom->atom, XCB_ATOM_CARDINAL, 32, 8, area);
    x.sync();
    EXPECT_EQ(window->workArea(), (ui::Rect{0, 32, 1920, 1100}));
    xcb_delete_property(x.get(), x.root(), atom->atom);
    x.sync();
    std::free(atom);
}

// The host's side of XEmbed as an embedder plays it: it reads the property, announces itself, hands the
// focus over and forwards keys with SendEvent.
TEST_F(WindowHostTest, AnXEmbedEmbedderFindsTheWindowAndItsWordsTakeNoKeys) {
    const auto atom = [&](const char* name) {
        auto* reply =
            xcb_intern_atom_reply(x.get(), xcb_intern_atom(x.get(), 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = reply->atom;
        std::free(reply);
        return a;
    };
    const xcb_atom_t xembed = atom("_XEMBED"), info = atom("_XEMBED_INFO");
    const xcb_window_t parent = x.createWindow(800, 500);
    auto window = WindowHost::openChild(root, loop, parent, {800, 500});
    ASSERT_NE(window, nullptr);
    const auto flags = [&] {
        const std::string value = x.property(window->window(), info);
        std::uint32_t words[2] = {~0u, ~0u};
        if (value.size() == sizeof words) std::memcpy(words, value.data(), sizeof words);
        return std::pair{words[0], words[1]};
    };
    EXPECT_EQ(flags(), (std::pair<std::uint32_t, std::uint32_t>{0, 0}));  // version 0; not to be mapped by the embedder yet
    const auto send = [&](xcb_window_t to, const void* event) {           // an event's 32 bytes
        xcb_send_event(x.get(), 0, to, XCB_EVENT_MASK_NO_EVENT, static_cast<const char*>(event));
        x.sync();
    };
    const auto message = [&](std::uint32_t code, std::uint32_t data1) { x.sendXEmbed(window->window(), xembed, code, data1); };
    message(0, parent);                                          // EMBEDDED_NOTIFY
    EXPECT_TRUE(runUntil([&] { return flags().second == 1; }));  // XEMBED_MAPPED: embedders that map by the flag show it
    message(1, 0);                                               // WINDOW_ACTIVATE
    settle();

    const auto focus = [&] {
        auto* reply = xcb_get_input_focus_reply(x.get(), xcb_get_input_focus(x.get()), nullptr);
        const xcb_window_t w = reply ? reply->focus : 0;
        std::free(reply);
        return w;
    };
    // A text field takes the keyboard itself.
    x.click(20, 310);
    EXPECT_TRUE(runUntil([&] { return focus() == window->window(); }));
    // The embedder keeps the X focus and forwards keys: they type, but it may keep some for itself, so no caret shows.
    settle();  // a later act than the click, which the window would otherwise take the keys back for
    x.focus(parent);
    x.moveTo(1000, 800);
    EXPECT_TRUE(runUntil([&] { return !root.hasKeyboardFocus(); }));
    xcb_key_press_event_t key{};
    key.response_type = XCB_KEY_PRESS;
    key.detail = x.keycodeOf(XKB_KEY_b);
    key.root = x.root();
    key.event = window->window();
    key.same_screen = 1;
    send(window->window(), &key);
    key.response_type = XCB_KEY_RELEASE;
    send(window->window(), &key);
    EXPECT_TRUE(runUntil([&] { return typed == "b"; }));
    settle();
    EXPECT_FALSE(root.hasKeyboardFocus());
    // Its words that the window has its focus, or that its window is active again, take nothing while a field is
    // being edited or after: only the window manager says which window is active, and the host keeps the keys.
    x.focus(parent);
    for (const std::uint32_t word : {1u, 4u, 5u, 2u, 4u, 1u}) {  // WINDOW_ACTIVATE, FOCUS_IN, FOCUS_OUT, DEACTIVATE, ...
        message(word, 0);
        settle();
        EXPECT_EQ(focus(), parent) << word;
        EXPECT_FALSE(root.hasKeyboardFocus()) << word;
    }
    x.click(300, 50);  // no field being edited any more
    ASSERT_TRUE(runUntil([&] { return root.focusedNode() == nullptr; }));
    x.moveTo(1000, 800);
    x.focus(parent);
    for (const std::uint32_t word : {1u, 4u}) message(word, 0);
    settle();
    EXPECT_EQ(focus(), parent);
    EXPECT_FALSE(root.hasKeyboardFocus());
    window.reset();
    x.destroyWindow(parent);
}

// A new window has no keyboard until the server gives it the focus, the pointer crosses into it while the focus
// is on no window in particular, or a press lands in the field being edited; a field focused by the program
// meanwhile takes nothing, nor does the embedder's word, as no person acted.
TEST_F(WindowHostTest, ANewWindowStartsWithoutTheKeyboard) {
    struct Case {
        const char* name;
        std::function<void(xcb_window_t)> giveKeyboard;
    };
    const auto xembed = [&](xcb_window_t w, std::uint32_t code, std::uint32_t data1) {
        auto* atom = xcb_intern_atom_reply(x.get(), xcb_intern_atom(x.get(), 0, 7, "_XEMBED"), nullptr);
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = w;
        e.type = atom->atom;
        e.data.data32[1] = code;
        e.data.data32[3] = data1;
        std::free(atom);
        xcb_send_event(x.get(), 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
        x.sync();
    };
    const xcb_window_t elsewhere = x.createWindow(50, 50);
    for (const Case& c : {Case{"the server's focus", [&](xcb_window_t w) { x.focus(w); }},
                          Case{"a pointer crossing",
                               [&](xcb_window_t) {
                                   x.focus(XCB_INPUT_FOCUS_POINTER_ROOT);
                                   x.moveTo(400, 200);
                               }},
                          Case{"a press in the field", [&](xcb_window_t) { x.click(20, 310); }}}) {
        x.focus(elsewhere);
        x.moveTo(1500, 1000);
        const xcb_window_t parent = x.createWindow(800, 500);
        auto window = WindowHost::openChild(root, loop, parent, {800, 500});
        ASSERT_NE(window, nullptr);
        xembed(window->window(), 0, parent);  // EMBEDDED_NOTIFY
        ASSERT_TRUE(runUntil([&] { return window->hasPainted(); }));
        ++focusRequests;
        root.invalidate();
        settle();
        EXPECT_FALSE(root.hasKeyboardFocus()) << c.name;
        x.key(x.keycodeOf(XKB_KEY_a), true);
        x.key(x.keycodeOf(XKB_KEY_a), false);
        settle();
        EXPECT_EQ(typed, "") << c.name;
        c.giveKeyboard(window->window());
        EXPECT_TRUE(runUntil([&] { return root.hasKeyboardFocus(); })) << c.name;
        x.key(x.keycodeOf(XKB_KEY_a), true);
        x.key(x.keycodeOf(XKB_KEY_a), false);
        EXPECT_TRUE(runUntil([&] { return typed == "a"; })) << c.name << ": typed \"" << typed << '"';
        typed.clear();
        window.reset();
        x.destroyWindow(parent);
    }
    x.destroyWindow(elsewhere);
}

// A message over a field being edited keeps the keyboard in the window: keys typed under it reach neither the field
// nor the host, which had the focus before, and the field types again once it is gone.
TEST_F(WindowHostTest, AMessageOverAFieldBeingEditedKeepsTheKeysFromTheHost) {
    const xcb_window_t parent = x.createWindow(800, 500);
    x.focus(parent);
    const std::uint32_t keys = XCB_EVENT_MASK_KEY_PRESS;
    xcb_change_window_attributes(x.get(), parent, XCB_CW_EVENT_MASK, &keys);
    auto window = WindowHost::openChild(root, loop, parent, {800, 500});
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(runUntil([&] { return window->hasPainted(); }));
    x.moveTo(20, 310);
    x.click(20, 310);
    x.moveTo(1500, 1000);  // where the keys do not follow the pointer
    ASSERT_TRUE(runUntil([&] { return root.hasKeyboardFocus(); })) << "the field did not take the keyboard";
    alertShown = true;
    root.invalidate();
    settle();
    int hostKeys = 0;
    const auto typeKey = [&](std::uint32_t keysym) {
        x.key(x.keycodeOf(keysym), true);
        x.key(x.keycodeOf(keysym), false);
        settle();
        while (xcb_generic_event_t* e = xcb_poll_for_event(x.get())) {
            hostKeys += (e->response_type & 0x7F) == XCB_KEY_PRESS;
            std::free(e);
        }
    };
    typeKey(XKB_KEY_q);
    EXPECT_EQ(hostKeys, 0) << "a key typed under the message reached the host";
    EXPECT_EQ(typed, "");
    alertShown = false;
    root.invalidate();
    settle();
    typeKey(XKB_KEY_r);
    EXPECT_TRUE(runUntil([&] { return typed == "r"; })) << "typed \"" << typed << '"';
    EXPECT_EQ(hostKeys, 0);
    window.reset();
    x.destroyWindow(parent);
}

// Where the host's keys follow the pointer into the editor (its focus on the host's top-level, as plain Xlib hosts
// and some window managers leave it, or on no window in particular), the keys no field takes reach the host as if
// the editor were not there. A name being typed takes every key, the release of the Return that saves it too; then
// the host has its keys again, and keeps them where its own focus follows the embedded window whenever its top-level
// gets the focus from elsewhere.
struct KeysOverTheEditorCase {
    const char* name;
    bool pointerRoot;      // the focus on no window in particular, else on the host's top-level
    bool followsEmbedded;  // the host speaks XEmbed, and puts its focus on the editor's window
    friend void PrintTo(const KeysOverTheEditorCase& c, std::ostream* os) { *os << c.name; }
};

class KeysOverTheEditor : public WindowHostTest, public ::testing::WithParamInterface<KeysOverTheEditorCase> {};

TEST_P(KeysOverTheEditor, ReachTheHostUnlessANameIsBeingTyped) {
    const KeysOverTheEditorCase& c = GetParam();
    submitCloses = true;
    const xcb_window_t parent = x.createWindow(800, 500);
    const std::uint32_t events = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE | XCB_EVENT_MASK_FOCUS_CHANGE;
    xcb_change_window_attributes(x.get(), parent, XCB_CW_EVENT_MASK, &events);
    auto window = WindowHost::openChild(root, loop, parent, {800, 500});
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(runUntil([&] { return window->hasPainted(); }));
    auto* atom = xcb_intern_atom_reply(x.get(), xcb_intern_atom(x.get(), 0, 7, "_XEMBED"), nullptr);
    const xcb_atom_t xembed = atom->atom;
    std::free(atom);
    if (c.followsEmbedded) x.sendEmbeddedNotify(window->window(), xembed, parent);
    const xcb_window_t hostFocus = c.pointerRoot ? xcb_window_t{XCB_INPUT_FOCUS_POINTER_ROOT} : parent;
    x.focus(hostFocus);
    // The host: the keys that reach its window, and its focus following the editor's window.
    test::HostKeys hostKeys;
    int follows = 0;
    const auto host = [&] {
        while (xcb_generic_event_t* e = xcb_poll_for_event(x.get())) {
            const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(e);
            switch (e->response_type & 0x7F) {
                case XCB_KEY_PRESS: ++hostKeys.presses[key->detail]; break;
                case XCB_KEY_RELEASE: ++hostKeys.releases[key->detail]; break;
                case XCB_FOCUS_IN:
                    if (c.followsEmbedded && test::focusCameFromElsewhere(*reinterpret_cast<const xcb_focus_in_event_t*>(e), parent)) {
                        x.focus(window->window());
                        ++follows;
                    }
                    break;
                default: break;
            }
            std::free(e);
        }
    };
    const auto hostRunUntil = [&](const std::function<bool()>& done) {
        return runUntil([&] {
            host();
            return done();
        });
    };
    if (c.followsEmbedded) {
        ASSERT_TRUE(hostRunUntil([&] { return follows > 0 && x.inputFocus() == hostFocus; })) << "the host's keys stayed on the editor";
    }
    test::checkKeysOverTheEditor({.user = x,
                                  .overNoField = {400, 200},
                                  .inTheField = {20, 310},
                                  .fieldHasTheKeys = [&] { return root.hasKeyboardFocus(); },
                                  .typed = typed,
                                  .fieldShown = fieldShown,
                                  .runUntil = hostRunUntil,
                                  .hostKeys = hostKeys,
                                  .hostFocus = hostFocus,
                                  .beforeCountingTheHostsKeys =
                                      [&] {
                                          settle();
                                          host();
                                      }});
    window.reset();
    x.destroyWindow(parent);
}

INSTANTIATE_TEST_SUITE_P(Hosts, KeysOverTheEditor,
                         ::testing::Values(KeysOverTheEditorCase{"FocusOnTheTopLevel", false, false},
                                           KeysOverTheEditorCase{"FocusOnNoWindowInParticular", true, false},
                                           KeysOverTheEditorCase{"FocusFollowingTheEmbeddedWindow", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The host's window moved into another window and out again, as window managers do with frames: the window it
// left is no longer above the editor, and hiding it stops nothing of the editor's drawing.
TEST_F(WindowHostTest, AWindowNoLongerAboveTheEditorHidesNothingOfIt) {
    const xcb_window_t frame = x.createWindow(900, 600), parent = x.createWindow(800, 500);
    auto window = WindowHost::openChild(root, loop, parent, {800, 500});
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(runUntil([&] { return window->hasPainted(); }));
    for (const xcb_window_t into : {frame, x.root()}) {
        xcb_reparent_window(x.get(), parent, into, 0, 0);
        x.sync();
        settle();
    }
    xcb_unmap_window(x.get(), frame);
    x.sync();
    settle();
    alertShown = true;  // a blue box at (400, 300)
    root.invalidate();
    EXPECT_TRUE(runUntil([&] { return x.pixel(420, 320) == 0x0000FFu; })) << "the editor stopped drawing";
    alertShown = false;
    window.reset();
    x.destroyWindow(parent);
    x.destroyWindow(frame);
}

// The screen's visuals other than its default, as hosts choose them for the windows they embed in: GDK's choice
// under Xvfb (another true-colour visual of the same depth) and one with alpha.
std::vector<std::pair<std::uint32_t, std::uint8_t>> otherVisuals(const xcb_screen_t* screen) {
    std::vector<std::pair<std::uint32_t, std::uint8_t>> found;
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
        const std::uint8_t depth = depths.data->depth;
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals)) {
            const bool sameDepth = depth == screen->root_depth;
            if (visuals.data->_class != XCB_VISUAL_CLASS_TRUE_COLOR || visuals.data->visual_id == screen->root_visual) continue;
            if (std::none_of(found.begin(), found.end(), [&](const auto& v) { return (v.second == screen->root_depth) == sameDepth; }))
                found.emplace_back(visuals.data->visual_id, depth);
        }
    }
    return found;
}

// In a parent of any visual and depth the screen offers, the window is made and shows the editor.
TEST_F(WindowHostTest, AParentOfAnyVisualHoldsTheWindow) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x.get())).data;
    const auto visuals = otherVisuals(screen);
    ASSERT_EQ(visuals.size(), 2u) << "the test display offers no other visuals";
    for (const auto& [visual, depth] : visuals) {
        const xcb_colormap_t colormap = xcb_generate_id(x.get());
        xcb_create_colormap(x.get(), XCB_COLORMAP_ALLOC_NONE, colormap, x.root(), visual);
        const xcb_window_t parent = xcb_generate_id(x.get());
        const std::uint32_t values[] = {0, 0, colormap};
        xcb_create_window(x.get(), depth, parent, x.root(), 0, 0, 800, 500, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_COLORMAP, values);
        xcb_map_window(x.get(), parent);
        x.sync();
        auto window = WindowHost::openChild(root, loop, parent, {800, 500});
        EXPECT_NE(window, nullptr) << "depth " << int(depth);
        if (window) {
            const xcb_window_t w = window->window();
            EXPECT_TRUE(runUntil([&] { return x.pixel(250, 150, w) == 0x0000FFu && x.pixel(10, 10, w) == 0xFF0000u; }))
                << "nothing drawn at depth " << int(depth);
        }
        window.reset();
        x.destroyWindow(parent);
        xcb_free_colormap(x.get(), colormap);
    }
}

// A window with alpha takes it from its frames: a compositing manager shows what lies behind through every pixel short
// of opaque. Every pixel of the first frame (where no view draws, a field's text, antialiased edges) and of one
// painted from damage (a translucent view with a shadow) is.
TEST_F(WindowHostTest, AWindowWithAlphaIsOpaqueInEveryFrame) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x.get())).data;
    const auto visuals = otherVisuals(screen);
    const auto withAlpha = std::find_if(visuals.begin(), visuals.end(), [](const auto& v) { return v.second == 32; });
    ASSERT_NE(withAlpha, visuals.end()) << "the test display offers no visual with alpha";
    const xcb_colormap_t colormap = xcb_generate_id(x.get());
    xcb_create_colormap(x.get(), XCB_COLORMAP_ALLOC_NONE, colormap, x.root(), withAlpha->first);
    const xcb_window_t parent = xcb_generate_id(x.get());
    const std::uint32_t values[] = {0, 0, colormap};
    xcb_create_window(x.get(), 32, parent, x.root(), 0, 0, 800, 500, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, withAlpha->first,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_COLORMAP, values);
    xcb_map_window(x.get(), parent);
    x.sync();
    typed = "Ag jy";
    backgroundShown = false;  // most of the window is drawn by no view
    auto window = WindowHost::openChild(root, loop, parent, {800, 500});
    ASSERT_NE(window, nullptr);
    const xcb_window_t w = window->window();
    const auto notOpaque = [&] {
        const std::string pixels = x.image(0, 0, 800, 500, w);
        int count = 0;
        for (std::size_t i = 3; i < pixels.size(); i += 4) count += static_cast<std::uint8_t>(pixels[i]) != 0xFF;
        return pixels.size() == 800u * 500u * 4u ? count : -1;
    };
    ASSERT_TRUE(runUntil([&] { return x.pixel(250, 150, w) == 0x0000FFu; }));
    EXPECT_EQ(notOpaque(), 0) << "pixels of the first frame";
    fadedShown = true;  // a translucent group with a shadow: composited as a whole, not by the solid fast paths
    root.invalidate();
    ASSERT_TRUE(runUntil([&] { return x.pixel(450, 325, w) != 0; }));
    EXPECT_EQ(notOpaque(), 0) << "pixels after a frame painted from damage";
    window.reset();
    x.destroyWindow(parent);
    xcb_free_colormap(x.get(), colormap);
}

// The test display's keyboard as setxkbmap makes it.
void setLayout(const std::string& arguments) { EXPECT_EQ(std::system(("setxkbmap " + arguments).c_str()), 0) << arguments; }

TEST_F(WindowHostTest, KeysTypeTheLayoutChangedWhileTheWindowIsOpen) {
    auto [parent, window] = openWithTheFieldFocused();
    ASSERT_TRUE(window);
    // A new layout; a key without keysyms given one for a moment (no layout), as tools that type what the
    // layout lacks do; and the layout Xvfb starts with, which the display keeps.
    struct Case {
        const char* layout;
        std::vector<std::uint32_t> keys;
        const char* text;
    };
    const xcb_keysym_t umlaut[2] = {XKB_KEY_Udiaeresis, XKB_KEY_Udiaeresis};
    for (const Case& c :
         {Case{"de", {XKB_KEY_y, XKB_KEY_z}, "yz"}, Case{nullptr, {XKB_KEY_Udiaeresis}, "Ü"}, Case{"us", {XKB_KEY_y, XKB_KEY_z}, "yz"}}) {
        if (c.layout) setLayout(c.layout);
        else xcb_change_keyboard_mapping(x.get(), 1, x.keycodeOf(XKB_KEY_NoSymbol), 2, umlaut);
        const std::string expected = typed + c.text;
        for (const std::uint32_t keysym : c.keys) {
            x.key(x.keycodeOf(keysym), true);
            x.key(x.keycodeOf(keysym), false);
        }
        EXPECT_TRUE(runUntil([&] { return typed == expected; })) << "typed \"" << typed << "\" for \"" << expected << '"';
    }
    window.reset();
    x.destroyWindow(parent);
}

// Keys as a person types them into the field: under US International a dead key before a letter it does not
// combine with types both and a Return after one submits; under Russian, alone too, Control keeps the keys' Latin
// letters, and French keeps its own; a shortcut after a dead key acts, without the accent.
TEST_F(WindowHostTest, KeysAfterADeadKeyAndShortcutsUnderAnyLayoutAct) {
    auto [parent, window] = openWithTheFieldFocused();
    ASSERT_TRUE(window);
    struct Key {
        std::uint32_t keysym;
        bool control = false;
    };
    struct Case {
        const char* layout;
        std::vector<Key> keys;
        const char* typed;
        int submits;
    };
    const char* international = "-layout us -variant intl";
    const char* russian = "-layout ru,us";
    const char* german = "-layout de";
    const char* french = "-layout us,fr -option grp:caps_toggle";  // French while the group is switched
    for (const Case& c : {
             Case{international, {{XKB_KEY_d}, {XKB_KEY_o}, {XKB_KEY_n}, {XKB_KEY_dead_acute}, {XKB_KEY_t}}, "don't", 0},
             Case{international, {{XKB_KEY_dead_acute}, {XKB_KEY_Return}}, "don't", 1},
             Case{russian,
                  {{XKB_KEY_Cyrillic_ef, true}, {XKB_KEY_Cyrillic_es, true}, {XKB_KEY_End}, {XKB_KEY_Cyrillic_em, true}},
                  "don'tdon't",
                  1},
             Case{russian, {{XKB_KEY_Cyrillic_ef, true}, {XKB_KEY_Cyrillic_che, true}}, "", 1},
             Case{russian, {{XKB_KEY_Cyrillic_em, true}, {XKB_KEY_Cyrillic_ef}}, "don'tdon'tф", 1},
             Case{"-layout ru",
                  {{XKB_KEY_Cyrillic_ef, true},
                   {XKB_KEY_Cyrillic_ef},
                   {XKB_KEY_Cyrillic_ef, true},
                   {XKB_KEY_Cyrillic_es, true},
                   {XKB_KEY_End},
                   {XKB_KEY_Cyrillic_em, true}},
                  "фф",
                  1},
             Case{international, {{XKB_KEY_dead_acute}, {XKB_KEY_a, true}, {XKB_KEY_q}}, "q", 1},
             Case{international,
                  {{XKB_KEY_a, true}, {XKB_KEY_dead_acute}, {XKB_KEY_c, true}, {XKB_KEY_End}, {XKB_KEY_dead_acute}, {XKB_KEY_v, true}},
                  "qq",
                  1},
             Case{german,
                  {{XKB_KEY_dead_circumflex},
                   {XKB_KEY_a, true},
                   {XKB_KEY_dead_circumflex},
                   {XKB_KEY_x, true},
                   {XKB_KEY_z},
                   {XKB_KEY_dead_circumflex},
                   {XKB_KEY_v, true}},
                  "zqq",
                  1},
             Case{french,
                  {{XKB_KEY_ISO_Next_Group}, {XKB_KEY_q, true}, {XKB_KEY_q}, {XKB_KEY_m, true}, {XKB_KEY_m}, {XKB_KEY_ISO_Next_Group}},
                  "a,",
                  1},
         }) {
        setLayout(c.layout);
        for (const Key& key : c.keys) {
            if (key.control) x.key(x.keycodeOf(XKB_KEY_Control_L), true);
            x.key(x.keycodeOf(key.keysym), true);
            x.key(x.keycodeOf(key.keysym), false);
            if (key.control) x.key(x.keycodeOf(XKB_KEY_Control_L), false);
        }
        EXPECT_TRUE(runUntil([&] { return typed == c.typed && submits == c.submits; }))
            << c.layout << ": typed \"" << typed << "\" for \"" << c.typed << "\", " << submits << " submits";
    }
    setLayout("-layout us -variant basic -option ''");
    window.reset();
    x.destroyWindow(parent);
}

// Under the German layout with Compose on the right Alt key unless a row names another: the locale variables
// (unset: nullptr), the keys pressed (capitals after Shift's own press, the key after Control_L or Alt_L with
// that key held) and what they give: text, or <keysym> for a key that types none.
TEST(Keyboard, DeadKeysAndComposeSequencesTypeTheirCharacters) {
    test::XClient x;
    if (!std::getenv("DISPLAY") || !x.open()) GTEST_SKIP() << "no X display (Xvfb is not installed)";
    static constexpr const char* german = "-layout de -option compose:ralt";
    std::string layout;
    // As they were, once the test is over; a compose file of the user's own stays out of it.
    const pulvan::test::ScopedEnvironment lcAll{"LC_ALL", ""}, lcCtype{"LC_CTYPE", ""}, lang{"LANG", ""}, home{"HOME", "/nonexistent"},
        config{"XDG_CONFIG_HOME", ""}, file{"XCOMPOSEFILE", ""};
    constexpr std::uint32_t kFocusLeaves = XKB_KEY_NoSymbol;
    const char* en = "en_US.UTF-8";
    struct Case {
        const char *lcAll, *lcCtype, *lang;
        std::vector<std::uint32_t> keys;
        const char* text;
        const char* layout = german;
    };
    for (const Case& c : {
             Case{nullptr, nullptr, en, {XKB_KEY_dead_acute, XKB_KEY_e}, "é"},
             Case{nullptr, nullptr, en, {XKB_KEY_dead_circumflex, XKB_KEY_o}, "ô"},
             Case{nullptr, nullptr, en, {XKB_KEY_Multi_key, XKB_KEY_a, XKB_KEY_e}, "æ"},
             Case{nullptr, nullptr, en, {XKB_KEY_Multi_key, XKB_KEY_A, XKB_KEY_E}, "Æ"},      // Shift inside the sequence
             Case{nullptr, nullptr, en, {XKB_KEY_a}, "a"},                                    // outside any sequence
             Case{nullptr, nullptr, en, {XKB_KEY_dead_acute, kFocusLeaves, XKB_KEY_e}, "e"},  // the focus left in between
             // A key that ends a sequence without composing: the sequence's characters come first, as the table
             // has them with a space, else the accent itself; a key that types nothing acts alone.
             Case{nullptr, nullptr, en, {XKB_KEY_dead_acute, XKB_KEY_q}, "'q"},
             Case{nullptr, nullptr, en, {XKB_KEY_dead_circumflex, XKB_KEY_dead_acute, XKB_KEY_q}, "^\u00B4q"},
             Case{nullptr, nullptr, en, {XKB_KEY_Multi_key, XKB_KEY_dead_acute, XKB_KEY_e}, "é"},  // a sequence of its own
             Case{nullptr, nullptr, en, {XKB_KEY_dead_acute, XKB_KEY_Return, XKB_KEY_Tab}, "<Return><Tab>"},
             Case{nullptr, nullptr, en, {XKB_KEY_dead_acute, XKB_KEY_BackSpace, XKB_KEY_dead_acute, XKB_KEY_Escape, XKB_KEY_e}, "e"},
             // A shortcut ends a sequence untyped and acts as its own keys: not "á", "ẑ", "ć", "é", "æ".
             Case{nullptr, nullptr, en, {XKB_KEY_dead_acute, XKB_KEY_Control_L, XKB_KEY_a}, "<a>"},
             Case{nullptr, nullptr, en, {XKB_KEY_dead_circumflex, XKB_KEY_Control_L, XKB_KEY_z}, "<z>"},
             Case{nullptr, nullptr, en, {XKB_KEY_dead_acute, XKB_KEY_Control_L, XKB_KEY_c, XKB_KEY_e}, "<c>e"},
             Case{nullptr, nullptr, en, {XKB_KEY_dead_acute, XKB_KEY_Alt_L, XKB_KEY_e}, "e"},
             Case{nullptr, nullptr, en, {XKB_KEY_Multi_key, XKB_KEY_Control_L, XKB_KEY_a, XKB_KEY_e}, "<a>e"},
             Case{"pt_BR.UTF-8", nullptr, en, {XKB_KEY_dead_acute, XKB_KEY_c}, "ç"},  // where en_US gives "ć"
             Case{"", "pt_BR.UTF-8", en, {XKB_KEY_dead_acute, XKB_KEY_c}, "ç"},
             Case{nullptr, nullptr, nullptr, {XKB_KEY_dead_acute, XKB_KEY_e}, "é"},
             // Locales without a UTF-8 table of their own take C's.
             Case{"xx_XX.UTF-8", nullptr, nullptr, {XKB_KEY_dead_acute, XKB_KEY_e}, "é"},
             Case{nullptr, nullptr, "de_DE@euro", {XKB_KEY_dead_acute, XKB_KEY_e}, "é"},
             // Two dead keys that do not combine: the first one's accent, then the second one's sequence.
             Case{nullptr, nullptr, en, {XKB_KEY_dead_acute, XKB_KEY_dead_grave, XKB_KEY_e}, "'è", "-layout us -variant intl"},
         }) {
        if (layout != c.layout) setLayout(layout = c.layout);
        for (const auto& [name, value] : {std::pair{"LC_ALL", c.lcAll}, {"LC_CTYPE", c.lcCtype}, {"LANG", c.lang}})
            value ? setenv(name, value, 1) : unsetenv(name);
        testing::internal::CaptureStderr();
        Keyboard keyboard(x.get());
        std::string typed;
        std::uint16_t held = 0;
        for (const std::uint32_t key : c.keys) {
            if (key == kFocusLeaves) {
                keyboard.releaseAll();
                continue;
            }
            if (key == XKB_KEY_Control_L || key == XKB_KEY_Alt_L) {
                keyboard.translate(x.keycodeOf(key), 0, true);
                held = key == XKB_KEY_Control_L ? XCB_MOD_MASK_CONTROL : XCB_MOD_MASK_1;
                continue;
            }
            const bool capital = key >= XKB_KEY_A && key <= XKB_KEY_Z;
            if (capital) keyboard.translate(x.keycodeOf(XKB_KEY_Shift_L), 0, true);
            const auto e = keyboard.translate(x.keycodeOf(capital ? key + (XKB_KEY_a - XKB_KEY_A) : key),
                                              std::exchange(held, 0) | (capital ? XCB_MOD_MASK_SHIFT : 0), true);
            if (!e) continue;
            char name[32] = {}, symbol[8] = {};
            xkb_keysym_get_name(e->keysym, name, sizeof name);
            xkb_keysym_to_utf8(e->keysym, symbol, sizeof symbol);
            typed += e->text.empty() ? std::string("<") + name + ">" : e->text;
            // A sequence's character is its keysym too, for views that go by keysyms.
            EXPECT_TRUE(e->text.empty() || e->text.ends_with(symbol)) << e->text << " from " << name;
        }
        EXPECT_EQ(typed, c.text) << (c.lang ? c.lang : "") << ' ' << (c.lcAll ? c.lcAll : "");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
    setLayout("-layout us -option ''");
}

// Under Control: the layouts, the active one, the key (found by what the first layout types on it), Shift, and
// the keysym the key gives. A layout that types Latin letters keeps its own keys; one that does not takes the
// letter of the first layout that does, else that of the key's place on a US keyboard.
TEST(Keyboard, ShortcutsTakeLatinLettersOnlyUnderALayoutWithout) {
    test::XClient x;
    if (!std::getenv("DISPLAY") || !x.open()) GTEST_SKIP() << "no X display (Xvfb is not installed)";
    struct Case {
        const char* layouts;
        int active;
        std::uint32_t key;
        bool shift;
        std::uint32_t shortcut;
    };
    for (const Case& c : {
             Case{"us,fr", 1, XKB_KEY_m, false, XKB_KEY_comma},  // not Ctrl+M
             Case{"us,fr", 1, XKB_KEY_q, false, XKB_KEY_a},
             Case{"us,fr", 0, XKB_KEY_m, false, XKB_KEY_m},
             Case{"us,tr", 1, XKB_KEY_i, false, XKB_KEY_idotless},
             Case{"de", 0, XKB_KEY_z, false, XKB_KEY_z},
             Case{"ru,us", 0, XKB_KEY_Cyrillic_ef, false, XKB_KEY_a},
             Case{"ru,us", 0, XKB_KEY_Cyrillic_ef, true, XKB_KEY_A},
             Case{"ru,us", 0, XKB_KEY_period, false, XKB_KEY_period},  // a Latin letter or nothing
             Case{"ru,us", 1, XKB_KEY_Cyrillic_ef, false, XKB_KEY_a},
             Case{"gr,fr", 0, XKB_KEY_Greek_alpha, false, XKB_KEY_q},
             Case{"ru", 0, XKB_KEY_Cyrillic_ef, false, XKB_KEY_a},
             Case{"ru", 0, XKB_KEY_Cyrillic_es, true, XKB_KEY_C},
             Case{"ru", 0, XKB_KEY_period, false, XKB_KEY_period},
             Case{"ru,gr", 1, XKB_KEY_Cyrillic_em, false, XKB_KEY_v},
             Case{"gr", 0, XKB_KEY_Greek_chi, false, XKB_KEY_x},
             Case{"ua", 0, XKB_KEY_Cyrillic_ya, false, XKB_KEY_z},
             Case{"il", 0, XKB_KEY_hebrew_shin, false, XKB_KEY_a},
             Case{"ara", 0, XKB_KEY_Arabic_sheen, false, XKB_KEY_a},
         }) {
        setLayout(std::string("-layout ") + c.layouts);
        Keyboard keyboard(x.get());
        const std::uint16_t state = XCB_MOD_MASK_CONTROL | (c.shift ? XCB_MOD_MASK_SHIFT : 0) | c.active << 13;
        const auto e = keyboard.translate(x.keycodeOf(c.key), state, true);
        ASSERT_TRUE(e) << c.layouts;
        char name[32] = {}, expected[32] = {};
        xkb_keysym_get_name(e->keysym, name, sizeof name);
        xkb_keysym_get_name(c.shortcut, expected, sizeof expected);
        EXPECT_EQ(std::string(name), expected) << c.layouts << ", layout " << c.active;
    }
    setLayout("-layout us");
}

TEST_F(WindowHostTest, AMissingParentGivesNoWindow) {
    EXPECT_EQ(WindowHost::openChild(root, loop, 0, {100, 100}), nullptr);
    const xcb_window_t gone = x.createWindow(10, 10);
    x.destroyWindow(gone);
    EXPECT_EQ(WindowHost::openChild(root, loop, gone, {100, 100}), nullptr);
}

}  // namespace
}  // namespace pulvan::x11
