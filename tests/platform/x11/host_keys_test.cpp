// An editor's window inside a host's top-level on a display without a window manager, where the host keeps its
// keys on a small focus window of its own and has a part of its own below the editor (its widgets): which presses
// give a name's keys back, keys typed right after the saving Return, what the editor hears while nothing is typed,
// and which field a press stands for.
#include <gtest/gtest.h>

#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/text_field.h"
#include "platform/x11/window_host.h"
#include "tests/platform/x11/x_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <xcb/xinput.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pulvan::x11 {
namespace {

using namespace std::chrono_literals;

constexpr int kEditorWidth = 800, kEditorHeight = 500, kHostsPartHeight = 60;
// On the host's own part, below the editor.
constexpr int kHostsPartX = 400, kHostsPartY = kEditorHeight + kHostsPartHeight / 2;

class KeysInAHost : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        ASSERT_TRUE(x.open() && host.open() && other.open());
        topLevel = host.createWindow(kEditorWidth, kEditorHeight + kHostsPartHeight);
        focusWindow = xcb_generate_id(host.get());
        const std::uint32_t keys = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE;
        xcb_create_window(host.get(), XCB_COPY_FROM_PARENT, focusWindow, topLevel, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &keys);
        xcb_map_window(host.get(), focusWindow);
        xcb_change_window_attributes(host.get(), topLevel, XCB_CW_EVENT_MASK, &keys);
        host.focus(focusWindow);
        window = WindowHost::openChild(root, loop, topLevel, {kEditorWidth, kEditorHeight});
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(runUntil([&] { return window->hasPainted(); }));
    }
    void TearDown() override { window.reset(); }

    ui::View content() {
        ui::TextFieldOptions field;
        field.text = typed;
        field.onChange = [this](const std::string& t) { typed = t; };
        field.onSubmit = [this] {  // as a dialog closes on its Return
            ++submits;
            if (whileSaving) whileSaving();
            fieldShown = false;
            root.invalidate();
        };
        field.focusRequest = focusRequests;
        return ui::zstack({ui::unit::topLeading}, ui::color({1, 0, 0, 1}),
                          ui::color({0, 0, 1, 1})
                              .onPointer([this](const ui::PointerEvent& e) { buttonPresses += e.phase == ui::PointerPhase::press; })
                              .frame({.width = 100, .height = 100})
                              .offset(200, 100),
                          fieldShown ? ui::textField(field).frame({.width = 100, .height = 30}).offset(0, 300) : ui::View());
    }

    // Turns of the editor's loop, the host reading its keys, until the condition holds.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (true) {
            readHostsKeys();
            if (done()) return true;
            if (std::chrono::steady_clock::now() > end) return false;
            loop.runOnce(5'000'000);
        }
    }
    void runFor(std::chrono::milliseconds time) {
        runUntil([] { return false; }, time);
    }
    void readHostsKeys() {
        while (xcb_generic_event_t* e = xcb_poll_for_event(host.get())) {
            const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(e);
            const int type = e->response_type & 0x7F;
            if (type == XCB_KEY_PRESS) ++hostsPresses[key->detail];
            if (type == XCB_KEY_RELEASE) ++hostsReleases[key->detail];
            if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE)
                hostsKeys.push_back({type == XCB_KEY_PRESS, key->detail, (e->response_type & 0x80) != 0});
            if (type == XCB_CLIENT_MESSAGE) hostsMessages.push_back(*reinterpret_cast<const xcb_client_message_event_t*>(e));
            std::free(e);
        }
    }
    void tap(std::uint32_t keysym) {
        x.key(x.keycodeOf(keysym), true);
        x.key(x.keycodeOf(keysym), false);
    }
    bool fieldHoldsTheKeys() { return x.inputFocus() == window->window(); }
    // A click into the name's field, and "ab" typed there.
    void typeAName() {
        x.click(20, 310);
        ASSERT_TRUE(runUntil([&] { return fieldHoldsTheKeys(); })) << "the field did not take the keyboard";
        tap(XKB_KEY_a);
        tap(XKB_KEY_b);
        ASSERT_TRUE(runUntil([&] { return typed == "ab"; })) << "typed \"" << typed << '"';
    }
    // The program focuses the field, as a dialog opened by a button does.
    void focusTheField() {
        ++focusRequests;
        root.invalidate();
    }
    // The host tells the window it is embedded over XEmbed; the protocol's atom, for the host's further words.
    xcb_atom_t embedOverXEmbed() {
        auto* reply = xcb_intern_atom_reply(host.get(), xcb_intern_atom(host.get(), 0, 7, "_XEMBED"), nullptr);
        if (!reply) return XCB_ATOM_NONE;
        const xcb_atom_t xembed = reply->atom;
        std::free(reply);
        host.sendEmbeddedNotify(window->window(), xembed, topLevel);
        return xembed;
    }
    // Another program's window, on top.
    xcb_window_t otherWindow(int left, int top, int width, int height) {
        const xcb_window_t w = other.createWindow(width, height);
        const std::uint32_t at[] = {static_cast<std::uint32_t>(left), static_cast<std::uint32_t>(top)};
        xcb_configure_window(other.get(), w, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, at);
        other.sync();
        return w;
    }

    test::XClient x, host, other;
    xcb_window_t topLevel = 0, focusWindow = 0;
    foundation::MainQueue queue;
    EventLoop loop{queue};
    std::string typed;
    int submits = 0, focusRequests = 0, buttonPresses = 0;
    bool fieldShown = true;
    ui::Root root{[this] { return content(); }, queue};
    std::unique_ptr<WindowHost> window;
    std::map<xcb_keycode_t, int> hostsPresses, hostsReleases;
    // Every key the host got, in order; `sent`: by another client (SendEvent), which a GTK 3 host ignores.
    struct HostsKey {
        bool pressed;
        xcb_keycode_t keycode;
        bool sent;
        bool operator==(const HostsKey&) const = default;
    };
    std::vector<HostsKey> hostsKeys;
    std::function<void()> whileSaving;                      // what the person does while the name is being saved
    std::vector<xcb_client_message_event_t> hostsMessages;  // not answered
};

// While a name is typed: a click (buttons 1 to 3) on the host's own part gives the keys back to the host; the wheel,
// a side button, or a click on another program's window above the host leaves them in the name.
enum class Press { left, right, wheel, sideButton, anotherProgramsWindowAbove, anotherViewInTheTopLevel };

struct PressCase {
    const char* name;
    Press press;
    bool givesTheKeysBack;
    friend void PrintTo(const PressCase& c, std::ostream* os) { *os << c.name; }
};

class PressesWhileANameIsTyped : public KeysInAHost, public ::testing::WithParamInterface<PressCase> {
protected:
    void press(Press p) {
        x.moveTo(kHostsPartX, kHostsPartY);
        switch (p) {
            case Press::left: x.click(kHostsPartX, kHostsPartY, 1); return;
            case Press::right: x.click(kHostsPartX, kHostsPartY, 3); return;
            case Press::wheel:
                for (const std::uint8_t notch : {4, 5, 5, 6, 7}) x.click(kHostsPartX, kHostsPartY, notch);
                return;
            case Press::sideButton: x.click(kHostsPartX, kHostsPartY, 8); return;
            case Press::anotherProgramsWindowAbove:
                otherWindow(kHostsPartX - 50, kHostsPartY - 10, 100, 20);
                x.click(kHostsPartX, kHostsPartY);
                return;
            case Press::anotherViewInTheTopLevel: {
                // A second editor of the same process, placed by the host on its own part.
                secondView = WindowHost::openChild(secondRoot, loop, topLevel, {200, 40});
                ASSERT_NE(secondView, nullptr);
                const std::uint32_t at[] = {kHostsPartX - 100, kEditorHeight + 10};
                xcb_configure_window(host.get(), secondView->window(), XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, at);
                host.sync();
                ASSERT_TRUE(runUntil([&] { return secondView->hasPainted(); }));
                x.click(kHostsPartX, kHostsPartY);
                return;
            }
        }
    }

    ui::Root secondRoot{[] { return ui::color({0, 1, 0, 1}); }, queue};
    std::unique_ptr<WindowHost> secondView;
};

TEST_P(PressesWhileANameIsTyped, GiveTheKeysBackOnlyForAClickOnTheHostsOwnPart) {
    const PressCase& c = GetParam();
    typeAName();
    press(c.press);
    const xcb_keycode_t q = x.keycodeOf(XKB_KEY_q);
    if (c.givesTheKeysBack) {
        ASSERT_TRUE(runUntil([&] { return x.inputFocus() == focusWindow; })) << "the keys did not go back to the host";
        tap(XKB_KEY_q);
        EXPECT_TRUE(runUntil([&] { return hostsPresses[q] == 1; })) << "the host got no key";
    } else {
        EXPECT_FALSE(runUntil([&] { return !fieldHoldsTheKeys(); }, 500ms)) << "the keys went to " << x.inputFocus();
        tap(XKB_KEY_q);
        EXPECT_TRUE(runUntil([&] { return typed == "abq"; })) << "typed \"" << typed << '"';
        EXPECT_EQ(hostsPresses[q], 0);
    }
    EXPECT_EQ(typed.substr(0, 2), "ab");
    secondView.reset();
}

INSTANTIATE_TEST_SUITE_P(Presses, PressesWhileANameIsTyped,
                         ::testing::Values(PressCase{"ALeftClickOnTheHostsOwnPart", Press::left, true},
                                           PressCase{"ARightClickOnTheHostsOwnPart", Press::right, true},
                                           PressCase{"TheWheelOverTheHostsOwnPart", Press::wheel, false},
                                           PressCase{"ASideButtonOverTheHostsOwnPart", Press::sideButton, false},
                                           PressCase{"AClickOnAnotherProgramsWindowAboveTheHost", Press::anotherProgramsWindowAbove, false},
                                           PressCase{"AClickOnAnotherViewInTheSameTopLevel", Press::anotherViewInTheTopLevel, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Return held as the name is saved, and space typed before it is up: space reaches the host, Return's release does
// not, and the host has the keys once Return is up.
TEST_F(KeysInAHost, AKeyTypedRightAfterTheSavingReturnReachesTheHost) {
    typeAName();
    const xcb_keycode_t enter = x.keycodeOf(XKB_KEY_Return), space = x.keycodeOf(XKB_KEY_space);
    x.key(enter, true);
    ASSERT_TRUE(runUntil([&] { return !fieldShown; })) << "the name was not saved";
    tap(XKB_KEY_space);
    EXPECT_TRUE(runUntil([&] { return hostsPresses[space] == 1 && hostsReleases[space] == 1; })) << "space typed after Return was lost";
    x.key(enter, false);
    EXPECT_TRUE(runUntil([&] { return x.inputFocus() == focusWindow; })) << "the keys did not go back to the host";
    tap(XKB_KEY_space);
    EXPECT_TRUE(runUntil([&] { return hostsPresses[space] == 2; }));
    EXPECT_EQ(hostsPresses[enter] + hostsReleases[enter], 0) << "Return reached the host";
    EXPECT_EQ(typed, "ab");
    EXPECT_EQ(submits, 1);
}

// A slow save: Return is up and "xy" typed before the editor has answered the Return. Those keys reach the host from
// the server itself, in order, none sent on by the editor (a GTK 3 host reads its keys through XInput 2 and ignores
// sent ones); Return reaches nothing of the host.
TEST_F(KeysInAHost, KeysTypedWhileTheNameIsSavedReachTheHostFromTheServerInOrder) {
    typeAName();
    const xcb_keycode_t enter = x.keycodeOf(XKB_KEY_Return), keyX = x.keycodeOf(XKB_KEY_x), keyY = x.keycodeOf(XKB_KEY_y);
    whileSaving = [&] {
        x.key(enter, false);
        tap(XKB_KEY_x);
        tap(XKB_KEY_y);
        x.sync();
    };
    x.key(enter, true);
    ASSERT_TRUE(runUntil([&] { return hostsKeys.size() >= 4; })) << "the host got " << hostsKeys.size() << " keys";
    const std::vector<HostsKey> fromTheServer{{true, keyX, false}, {false, keyX, false}, {true, keyY, false}, {false, keyY, false}};
    EXPECT_EQ(hostsKeys, fromTheServer) << "in order: x, y, pressed and released, none sent; no Return";
    EXPECT_EQ(typed, "ab");
    EXPECT_EQ(submits, 1);
    EXPECT_EQ(x.inputFocus(), focusWindow);
}

// What reaches the editor's connection of clicks on another program's window, up to a property change of the
// editor's window made after them: the number of raw presses, read without taking them from the connection.
class EditorsWakeups : public KeysInAHost {
protected:
    int rawPressesBeforeAFence() {
        auto* atom = xcb_intern_atom_reply(x.get(), xcb_intern_atom(x.get(), 0, 18, "PULVAN_TEST_FENCE"), nullptr);
        const xcb_atom_t fence = atom ? atom->atom : 0;
        std::free(atom);
        const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(x.get(), &xcb_input_id);
        xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, window->window(), fence, XCB_ATOM_STRING, 8, 1, "x");
        x.sync();
        const int fd = window->fileDescriptor();
        const auto end = std::chrono::steady_clock::now() + 5s;
        std::vector<std::uint8_t> bytes(1 << 16);
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, 50);
            const ssize_t n = recv(fd, bytes.data(), bytes.size(), MSG_PEEK | MSG_DONTWAIT);
            int presses = 0;
            for (ssize_t at = 0; n > 0 && at + 32 <= n;) {
                const std::uint8_t type = bytes[at] & 0x7F;
                std::uint32_t extra = 0;
                if (type == XCB_GE_GENERIC) std::memcpy(&extra, &bytes[at + 4], 4);
                const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(&bytes[at]);
                if (type == XCB_PROPERTY_NOTIFY && property->atom == fence) return presses;
                const auto* ge = reinterpret_cast<const xcb_ge_generic_event_t*>(&bytes[at]);
                presses += type == XCB_GE_GENERIC && xinput && ge->extension == xinput->major_opcode &&
                           ge->event_type == XCB_INPUT_RAW_BUTTON_PRESS;
                at += 32 + 4 * static_cast<ssize_t>(extra);
            }
        }
        ADD_FAILURE() << "the property change never reached the editor";
        return -1;
    }
    void clickElsewhere(int times) {
        for (int i = 0; i < times; ++i) x.click(elsewhere.x, elsewhere.y);
    }
    void settle() {
        x.sync();
        runFor(100ms);
    }

    test::XClient::Geometry elsewhere{1100, 700};
};

// Nothing being typed, clicks on another program's window reach nothing of the editor; while a name is typed they
// do, and once it is saved no more.
TEST_F(EditorsWakeups, ClicksOnAnotherProgramsWindowReachTheEditorOnlyWhileANameIsTyped) {
    otherWindow(1000, 600, 200, 200);
    x.moveTo(elsewhere.x, elsewhere.y);
    settle();
    clickElsewhere(10);
    EXPECT_EQ(rawPressesBeforeAFence(), 0) << "with nothing typed";

    typeAName();
    x.moveTo(elsewhere.x, elsewhere.y);
    settle();
    clickElsewhere(1);
    EXPECT_EQ(rawPressesBeforeAFence(), 1) << "while a name is typed";
    settle();
    tap(XKB_KEY_Return);
    ASSERT_TRUE(runUntil([&] { return x.inputFocus() == focusWindow; })) << "the keys did not go back to the host";
    settle();
    clickElsewhere(10);
    EXPECT_EQ(rawPressesBeforeAFence(), 0) << "after the name was saved";
}

// A press in the editor stands for the field the program focuses in answer to it, however long the program takes,
// unless the person did something else in between; a press whose release went elsewhere (the host hid the editor's
// window with the button down), only for one focused soon.
enum class Between { nothing, aPressElsewhere, aKey, theEditorHiddenWithTheButtonDown, aGrabAfterTheRelease };

struct AnswerCase {
    const char* name;
    Between between;
    bool fieldTakesTheKeys;
    friend void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }
};

class AnAnswerToAPress : public KeysInAHost, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnAnswerToAPress, TakesTheKeysForThePressUnlessThePersonDidSomethingElse) {
    const AnswerCase& c = GetParam();
    otherWindow(1000, 600, 200, 200);
    x.moveTo(250, 150);  // the editor's button
    if (c.between == Between::theEditorHiddenWithTheButtonDown) {
        x.button(1, true);
        ASSERT_TRUE(runUntil([&] { return buttonPresses == 1; }));
        xcb_unmap_window(host.get(), window->window());
        host.sync();
        runFor(100ms);
        x.button(1, false);
        xcb_map_window(host.get(), window->window());
        host.sync();
    } else {
        x.click(250, 150);
        ASSERT_TRUE(runUntil([&] { return buttonPresses == 1; }));
    }
    if (c.between == Between::aGrabAfterTheRelease) {
        // Another program's grab that took nothing of the press: a menu of the host opened and closed by itself.
        auto* grab =
            xcb_grab_pointer_reply(other.get(),
                                   xcb_grab_pointer(other.get(), 0, other.root(), XCB_EVENT_MASK_BUTTON_RELEASE, XCB_GRAB_MODE_ASYNC,
                                                    XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
                                   nullptr);
        ASSERT_TRUE(grab && grab->status == XCB_GRAB_STATUS_SUCCESS);
        std::free(grab);
        runFor(100ms);
        xcb_ungrab_pointer(other.get(), XCB_CURRENT_TIME);
        other.sync();
    }
    if (c.between == Between::aPressElsewhere) x.click(1100, 700);
    if (c.between == Between::aKey) tap(XKB_KEY_z);
    // The program answers late: a busy machine, a slow dialog.
    runFor(2500ms);
    focusTheField();
    if (c.fieldTakesTheKeys) {
        EXPECT_TRUE(runUntil([&] { return fieldHoldsTheKeys(); })) << "the field did not take the keys";
    } else {
        EXPECT_FALSE(runUntil([&] { return fieldHoldsTheKeys(); }, 500ms)) << "the field took the keys";
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, AnAnswerToAPress,
                         ::testing::Values(AnswerCase{"HoweverLate", Between::nothing, true},
                                           AnswerCase{"NotAfterAPressElsewhere", Between::aPressElsewhere, false},
                                           AnswerCase{"NotAfterAKey", Between::aKey, false},
                                           AnswerCase{"NotLongAfterItsReleaseWentElsewhere", Between::theEditorHiddenWithTheButtonDown,
                                                      false},
                                           AnswerCase{"AfterAGrabThatTookNothingOfIt", Between::aGrabAfterTheRelease, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The test plays the window manager: it takes the host's top-level on (WM_STATE), names the active window and
// moves the focus, as a person's Alt+Tab or click would have it do.
class UnderTheTestsWindowManager : public KeysInAHost {
protected:
    void TearDown() override {
        KeysInAHost::TearDown();
        xcb_delete_property(other.get(), other.root(), atom("_NET_ACTIVE_WINDOW"));
        other.sync();
    }
    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(other.get(),
                                            xcb_intern_atom(other.get(), 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : 0;
        std::free(reply);
        return a;
    }
    void manage(xcb_window_t w) {
        const std::uint32_t normal[] = {1, 0};
        xcb_change_property(other.get(), XCB_PROP_MODE_REPLACE, w, atom("WM_STATE"), atom("WM_STATE"), 32, 2, normal);
        other.sync();
    }
    void activate(xcb_window_t w) {
        other.focus(w);
        xcb_change_property(other.get(), XCB_PROP_MODE_REPLACE, other.root(), atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 32, 1, &w);
        other.sync();
    }
};

// Of two views in one top-level, the one whose name was typed in last takes the keys when the window manager brings
// the top-level back, whichever took them first.
TEST_F(UnderTheTestsWindowManager, TheViewWhoseNameWasTypedInLastTakesTheKeysBack) {
    std::string typedInB;
    ui::Root rootB{
        [&] {
            ui::TextFieldOptions field{.text = typedInB, .onChange = [&](const std::string& t) { typedInB = t; }};
            return ui::zstack({ui::unit::topLeading}, ui::color({0, 1, 0, 1}), ui::textField(field).frame({.width = 100, .height = 30}));
        },
        queue};
    auto b = WindowHost::openChild(rootB, loop, topLevel, {200, 40});
    ASSERT_NE(b, nullptr);
    const std::uint32_t at[] = {0, kEditorHeight + 10};
    xcb_configure_window(host.get(), b->window(), XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, at);
    host.sync();
    ASSERT_TRUE(runUntil([&] { return b->hasPainted(); }));
    const xcb_window_t elsewhere = otherWindow(1000, 600, 200, 200);
    manage(topLevel);
    activate(topLevel);
    const std::function<bool()> aHolds = [&] { return x.inputFocus() == window->window(); };
    const std::function<bool()> bHolds = [&] { return x.inputFocus() == b->window(); };
    // A click into a view's field, and a letter typed there (a field focused again by a click takes its text whole).
    const auto typeIn = [&](bool inA, char letter) {
        x.click(20, inA ? 310 : kEditorHeight + 25);
        ASSERT_TRUE(runUntil(inA ? aHolds : bHolds)) << (inA ? "A" : "B") << " did not take the keys";
        tap(static_cast<std::uint32_t>(letter));
        ASSERT_TRUE(runUntil([&] { return (inA ? typed : typedInB).ends_with(letter); }))
            << "typed \"" << typed << "\" and \"" << typedInB << '"';
    };
    typeIn(true, 'a');
    typeIn(false, 'b');
    typeIn(true, 'c');
    activate(elsewhere);
    ASSERT_TRUE(runUntil([&] { return x.inputFocus() == elsewhere; }));
    activate(topLevel);
    EXPECT_TRUE(runUntil(aHolds)) << "the keys went to " << x.inputFocus();
    tap(XKB_KEY_d);
    EXPECT_TRUE(runUntil([&] { return typed.ends_with("cd"); })) << "typed \"" << typed << "\" and \"" << typedInB << '"';
    EXPECT_EQ(typedInB, "b");
    b.reset();
}

// The window manager takes the host's top-level into a frame of its own before it sets WM_STATE: bringing the
// top-level back gives the name its keys again.
TEST_F(UnderTheTestsWindowManager, AWindowTakenIntoAFrameBeforeItsStateIsSetIsFollowed) {
    const xcb_window_t elsewhere = otherWindow(1000, 600, 200, 200);
    const xcb_window_t frame = otherWindow(0, 0, kEditorWidth, kEditorHeight + kHostsPartHeight);
    xcb_reparent_window(other.get(), topLevel, frame, 0, 0);
    other.sync();
    runFor(100ms);
    manage(topLevel);
    activate(topLevel);
    typeAName();
    activate(elsewhere);
    ASSERT_TRUE(runUntil([&] { return x.inputFocus() == elsewhere; }));
    activate(topLevel);
    EXPECT_TRUE(runUntil([&] { return fieldHoldsTheKeys(); })) << "the field did not take the keys back";
    tap(XKB_KEY_c);
    EXPECT_TRUE(runUntil([&] { return typed == "abc"; })) << "typed \"" << typed << '"';
}

// A name typed while the focus was on another program's window (the pointer's click took the keys): Return gives them
// to the host's top-level, not to that window.
TEST_F(UnderTheTestsWindowManager, KeysTakenFromAnotherProgramGoBackToTheHost) {
    const xcb_window_t elsewhere = otherWindow(1000, 600, 200, 200);
    manage(topLevel);
    other.focus(elsewhere);
    typeAName();
    tap(XKB_KEY_Return);
    EXPECT_TRUE(runUntil([&] { return x.inputFocus() == topLevel; })) << "the keys went to " << x.inputFocus();
}

// The keys go back at the time of the key that saved the name, offered to the host as WM_TAKE_FOCUS with that time: a
// host answering late cannot pull them from a window the person clicked meanwhile.
TEST_F(UnderTheTestsWindowManager, AHostAnsweringTheGiveBackLateTakesNothingFromAWindowClickedSince) {
    const xcb_window_t elsewhere = otherWindow(1000, 600, 200, 200);
    const xcb_atom_t takeFocus = atom("WM_TAKE_FOCUS");
    xcb_change_property(host.get(), XCB_PROP_MODE_REPLACE, topLevel, atom("WM_PROTOCOLS"), XCB_ATOM_ATOM, 32, 1, &takeFocus);
    manage(topLevel);
    activate(topLevel);
    host.focus(focusWindow);
    typeAName();
    tap(XKB_KEY_Return);
    ASSERT_TRUE(runUntil([&] { return x.inputFocus() == focusWindow && !hostsMessages.empty(); })) << "no WM_TAKE_FOCUS";
    runFor(20ms);
    activate(elsewhere);  // the person clicked another program's window, a moment later
    for (const xcb_client_message_event_t& m : hostsMessages)
        if (m.data.data32[0] == takeFocus) xcb_set_input_focus(host.get(), XCB_INPUT_FOCUS_PARENT, focusWindow, m.data.data32[1]);
    host.sync();
    EXPECT_EQ(x.inputFocus(), elsewhere) << "the host's late answer took the keys back";
}

// The embedder's word that its focus left the editor for a widget of its own gives a name's keys back, where no
// press on the screen tells it (a popup of the host's own); its word that the focus is in the editor takes nothing.
TEST_F(KeysInAHost, TheEmbeddersFocusLeavingForAWidgetOfItsOwnGivesTheKeysBack) {
    const xcb_atom_t xembed = embedOverXEmbed();
    ASSERT_NE(xembed, XCB_ATOM_NONE);
    const auto say = [&](std::uint32_t word) { host.sendXEmbed(window->window(), xembed, word); };
    typeAName();
    for (const std::uint32_t word : {1u, 4u}) say(word);  // WINDOW_ACTIVATE, FOCUS_IN
    EXPECT_FALSE(runUntil([&] { return !fieldHoldsTheKeys(); }, 500ms)) << "the keys went to " << x.inputFocus();
    tap(XKB_KEY_c);
    EXPECT_TRUE(runUntil([&] { return typed == "abc"; })) << "typed \"" << typed << '"';
    say(5);  // FOCUS_OUT
    EXPECT_TRUE(runUntil([&] { return x.inputFocus() == focusWindow; })) << "the keys did not go back to the host";
    tap(XKB_KEY_q);
    EXPECT_TRUE(runUntil([&] { return hostsPresses[x.keycodeOf(XKB_KEY_q)] == 1; })) << "the host got no key";
    EXPECT_EQ(typed, "abc");
}

// A GTK embedder says its focus left, with its window's deactivation, when a grab takes its top-level's (the window
// manager's, as the person presses its title bar to come back), and may say so only once the grab is over: those
// words leave the name its keys.
TEST_F(KeysInAHost, TheEmbeddersWordForAGrabThatIsOverLeavesTheNameItsKeys) {
    const xcb_atom_t xembed = embedOverXEmbed();
    ASSERT_NE(xembed, XCB_ATOM_NONE);
    typeAName();
    auto* grab = xcb_grab_keyboard_reply(
        other.get(), xcb_grab_keyboard(other.get(), 0, other.root(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
    ASSERT_TRUE(grab && grab->status == XCB_GRAB_STATUS_SUCCESS);
    std::free(grab);
    xcb_ungrab_keyboard(other.get(), XCB_CURRENT_TIME);
    other.sync();
    ASSERT_TRUE(runUntil([&] { return fieldHoldsTheKeys(); }));
    for (const std::uint32_t word : {5u, 2u, 4u, 1u})
        host.sendXEmbed(window->window(), xembed, word);  // FOCUS_OUT, WINDOW_DEACTIVATE, FOCUS_IN, WINDOW_ACTIVATE, late
    EXPECT_FALSE(runUntil([&] { return !fieldHoldsTheKeys(); }, 500ms)) << "the keys went to " << x.inputFocus();
    tap(XKB_KEY_c);
    EXPECT_TRUE(runUntil([&] { return typed == "abc"; })) << "typed \"" << typed << '"';
    EXPECT_EQ(hostsPresses[x.keycodeOf(XKB_KEY_c)], 0);
}

}  // namespace
}  // namespace pulvan::x11
