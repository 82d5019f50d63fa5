// The bundle's editor in a host's window under a real window manager (openbox, icewm, metacity, mutter:
// PULVAN_TEST_WINDOW_MANAGER), where every click also moves the keyboard focus to the host's own focus window, as in
// GTK hosts: a drag still runs to its end.
// gtest before Xlib: Xlib's macros (None, Bool) break gtest's headers.
#include <gtest/gtest.h>

#include "pluginterfaces/gui/iplugview.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/x11/x_client.h"
#include "tests/vst3/focus_taking_host.h"
#include "tests/vst3/own_title_bar_host.h"
#include "tests/vst3/plugin_instance.h"
#include "tests/vst3/run_loop_frame.h"
#include "tests/vst3/socket_host.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

using namespace Steinberg;
using namespace std::chrono_literals;

namespace kez::test {
namespace {

constexpr std::uint32_t kEditorBackground = 0x0E0E10;

// The bundle's editor side by side with a host under the window manager, with the preferences and presets
// in a folder of the test's own.
class UnderAWindowManager : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        ASSERT_TRUE(x.open());
        if (!x.managed()) GTEST_SKIP() << "no window manager (" << windowManager() << " is not installed)";
        ASSERT_TRUE(x.waitUntilNoWindowIsManaged(5s)) << "the window manager kept windows of an earlier test";
        ASSERT_TRUE(bundle.loaded()) << bundle.error();
        IPluginFactory* factory = bundle.factory();
        plugin = std::make_unique<PluginInstance>(factory, hostContext.get());
        factory->release();
        ASSERT_TRUE(plugin->ready());
        ASSERT_EQ(plugin->controller()->setComponentHandler(&handler), kResultTrue);
    }
    void TearDown() override {
        for (IPlugView* view : views) {
            view->removed();
            view->setFrame(nullptr);
            view->release();
        }
    }

    static std::string windowManager() {
        const char* manager = std::getenv("PULVAN_TEST_WINDOW_MANAGER");
        return manager ? manager : "openbox";
    }
    static bool underIcewm() { return windowManager() == "icewm"; }
    static bool underGnome() { return windowManager() == "metacity" || windowManager() == "mutter"; }
    // openbox offers the focus again for a click into the active window; the others leave the window as it is.
    static bool offersFocusOnAClickInTheActiveWindow() { return windowManager() == "openbox"; }

    // The host's UI thread: its own events and the plug-in's handlers in its run loop.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
        return frame.runUntil(
            [&] {
                for (const auto& host : hosts) host->handleEvents();
                return done();
            },
            timeout);
    }
    // A host's window, open until the editors in it are closed.
    template <typename Host, typename... Arguments>
    Host& openHost(Arguments... arguments) {
        auto host = std::make_unique<Host>(arguments...);
        Host& opened = *host;
        hosts.push_back(std::move(host));
        EXPECT_TRUE(opened.open());
        return opened;
    }
    // An editor of the instance in the host's window, shown.
    IPlugView* openEditor(FocusTakingHost& host, void* parent) {
        EXPECT_TRUE(runUntil([&] { return host.viewable(); }, 5s));
        IPlugView* view = plugin->controller()->createView("editor");
        EXPECT_NE(view, nullptr);
        if (!view) return nullptr;
        views.push_back(view);
        view->setFrame(&frame);
        EXPECT_EQ(view->attached(parent, kPlatformTypeX11EmbedWindowID), kResultOk);
        EXPECT_TRUE(runUntil([&] { return x.pixel(4, 300, host.window()) == kEditorBackground; }, 5s));
        // Nothing clicked before the window manager is done with the window's start: mutter, which activates it then,
        // ignores a press that comes a few milliseconds after it activated another window.
        EXPECT_TRUE(x.waitForTheWindowManager(static_cast<xcb_window_t>(host.window()), 5s));
        return view;
    }
    // Keys as a person types them, lower-case letters, spaces and "\n" for Return.
    void type(const std::string& text) {
        for (const char c : text) {
            const std::uint8_t key = x.keycodeOf(c == '\n' ? XK_Return : static_cast<std::uint32_t>(c));
            x.key(key, true);
            x.key(key, false);
        }
    }
    // Alt+Tab: the window manager's switch to the window used before. At a person's pace: the window manager
    // grabs the keyboard at Tab and switches at Alt's release, which it must see.
    void altTab() {
        const std::uint8_t alt = x.keycodeOf(XK_Alt_L), tab = x.keycodeOf(XK_Tab);
        for (const auto& [key, down] : {std::pair{alt, true}, {tab, true}, {tab, false}, {alt, false}}) {
            x.key(key, down);
            runUntil([] { return false; }, 30ms);
        }
    }
    // A socket host with the editor in it, Save clicked and the name's field holding the keys.
    SocketHost& socketHostTypingAName() {
        SocketHost& host = openHost<SocketHost>(1280u, 730u, "Pulvan in the host");
        EXPECT_TRUE(openEditor(host, host.socketHandle()));
        const auto origin = *x.geometry(host.window());
        x.click(origin.x + 1173, origin.y + 34);  // Save
        EXPECT_TRUE(runUntil([&] { return host.keysGoTo(host.plug()); }, 5s)) << "the field did not take the keyboard";
        return host;
    }
    // The host's main window moved beside the plug-in's window, which shows the editor (`top` pixels below the
    // window's top): Save clicked, "ab" typed into the name, then the main window clicked and "zz" typed there.
    void typeANameAndLeaveFor(FocusTakingHost& main, FocusTakingHost& host, const std::function<Window()>& editor, int top = 0) {
        main.move(1500, 900);
        ASSERT_TRUE(runUntil([&] { return x.geometry(main.window())->y >= 800; }, 5s));
        const auto origin = *x.geometry(host.window());
        x.click(origin.x + 1173, origin.y + top + 34);  // Save
        ASSERT_TRUE(runUntil([&] { return host.keysGoTo(editor()); }, 5s)) << "the field did not take the keyboard";
        type("ab");
        const auto m = *x.geometry(main.window());
        x.click(m.x + 150, m.y + 100);
        ASSERT_TRUE(runUntil([&] { return main.holdsKeys(); }, 5s)) << "the main window got no keys";
        expectTheFieldLeftTheKeys(host, editor);
        type("zz");
    }
    // What the field does, not where the window manager puts the focus meanwhile: under metacity and mutter the main
    // window lost it for a moment as it was activated, to no window of the host. For half a second, which a person
    // takes before the next act anyway: mutter ignores a press on a title bar a few milliseconds after it activated
    // another window.
    void expectTheFieldLeftTheKeys(FocusTakingHost& host, const std::function<Window()>& editor) {
        EXPECT_FALSE(runUntil([&] { return host.keysGoTo(editor()) || host.holdsKeys(); }, 500ms)) << "the field took the keys back";
    }
    // Back in the name: "cd" and Return save "abcd", and none of it reaches the host.
    template <class Host>
    void typeTheRestAndSave(Host& host) {
        type("cd\n");
        EXPECT_TRUE(runUntil([&] { return presetSaved("abcd"); }, 5s)) << "no preset \"abcd\"";
        EXPECT_EQ(host.actedOn(), std::vector<std::string>{}) << "keys typed into the name reached the host";
    }
    // Back by the title bar to a socket host busy across the click, whose XEmbed words come `wordGap` apart.
    void backByTheTitleBarToAHostThatReadsTheGrabLate(std::chrono::milliseconds wordGap);
    bool presetSaved(const std::string& name) const {
        return std::filesystem::exists(home.path() / "Audio/Presets/Kezwerk/Pulvan/Presets" / (name + ".json"));
    }

    pulvan::x11::test::XClient x;
    pulvan::test::TempFolder home;
    pulvan::test::ScopedEnvironment config{"XDG_CONFIG_HOME", home.path().string()}, data{"XDG_DATA_HOME", home.path().string()};
    LoadedBundle bundle{PULVAN_VST3_BUNDLE_PATH};
    decltype(makeHostContext()) hostContext = makeHostContext();
    ComponentHandler handler;  // outlives the plug-in, which lets it go at terminate
    std::unique_ptr<PluginInstance> plugin;
    RunLoopFrame frame;
    std::vector<std::unique_ptr<FocusTakingHost>> hosts;
    std::vector<IPlugView*> views;
};

TEST_F(UnderAWindowManager, TypingAndDraggingWorkWhileTheHostTakesTheFocusOnEveryClick) {
    FocusTakingHost& host = openHost<FocusTakingHost>(1280u, 730u);
    ASSERT_TRUE(openEditor(host, host.handle()));
    const auto origin = *x.geometry(host.window());

    // The preset dialog's name field takes the keyboard, and a click into it leaves the keyboard there.
    const Window editor = host.pluginWindow();
    x.click(origin.x + 1173, origin.y + 34);
    ASSERT_TRUE(runUntil([&] { return host.keysGoTo(editor); }, 5s)) << "the field did not take the keyboard";
    const int takes = host.focusTakes();
    x.click(origin.x + 395, origin.y + 120);
    if (offersFocusOnAClickInTheActiveWindow()) {  // and the host takes it
        EXPECT_TRUE(runUntil([&] { return host.focusTakes() > takes; }, 5s));
    }
    EXPECT_TRUE(runUntil([&] { return host.keysGoTo(editor); }, 2s)) << "the host kept the keyboard";
    x.click(origin.x + 1060, origin.y + 120);  // closes the dialog, which gives the keyboard back
    EXPECT_TRUE(runUntil([&] { return host.focus() != editor; }, 5s));
    runUntil([] { return false; }, 300ms);

    // A paint over the first four GATE steps is an edit: the host hears of it, on its own thread, and would ask to save.
    EXPECT_TRUE(handler.dirtyCalls().empty()) << "the host heard of an edit before there was one";
    x.moveTo(origin.x + 207, origin.y + 188);
    x.button(1, true);
    for (int step = 1; step <= 10; ++step) {
        x.moveTo(origin.x + 207 + 20 * step, origin.y + 188);
        runUntil([] { return false; }, 20ms);
    }
    x.button(1, false);
    EXPECT_TRUE(runUntil([&] { return !handler.dirtyCalls().empty(); }, 5s)) << "the host never heard of the paint";
    for (const auto& call : handler.dirtyCalls()) {
        EXPECT_TRUE(call.state);
        EXPECT_EQ(call.thread, std::this_thread::get_id());
    }

    // The grip's drag: 200 pixels to the left, in steps; it counts from its first move, 20 pixels in.
    const int gripX = origin.x + 1270, gripY = origin.y + 720;
    x.moveTo(gripX, gripY);
    x.button(1, true);
    EXPECT_TRUE(runUntil([&] { return host.focus() == host.focusWindow(); }, 5s)) << "the window manager offered no focus";
    for (int step = 1; step <= 10; ++step) {
        x.moveTo(gripX - 20 * step, gripY);
        runUntil([] { return false; }, 20ms);
    }
    x.button(1, false);
    EXPECT_TRUE(runUntil([&] { return !frame.resizes.empty() && frame.resizes.back().rect.getWidth() == 1100; }, 5s));
    ASSERT_FALSE(frame.resizes.empty()) << "the drag was cancelled";
    EXPECT_EQ(frame.resizes.back().rect.getHeight(), 627);
    EXPECT_GT(host.focusTakes(), 0);
}

// How a person leaves a window and brings it back: a click on another window, Alt+Tab, a click on its title bar,
// a pager asking the window manager (as `xdotool windowactivate` does), or a click into the preset name's field;
// or stays, and activates it again.
enum class Way { stay, click, altTab, titleBar, pager, field };

struct ActivationCase {
    const char* name;
    Way leave, back;
    bool xembed;          // the host speaks XEmbed, as GTK; else it says nothing, as a plain Xlib host
    bool reopen = false;  // the host closes its window and opens it again first
    friend void PrintTo(const ActivationCase& c, std::ostream* os) { *os << c.name; }
};

class WindowActivation : public UnderAWindowManager, public ::testing::WithParamInterface<ActivationCase> {
protected:
    void go(Way way, const FocusTakingHost& to) {
        const auto g = *x.geometry(to.window());
        switch (way) {
            case Way::stay: return;
            case Way::click: x.click(g.x + 150, g.y + 100); return;
            case Way::altTab: altTab(); return;
            // Never twice on one spot in a row: metacity and mutter take two clicks there within a double click's
            // time for a double click, which maximizes the window.
            case Way::titleBar:
                x.click(g.x + 150 + 200 * (titleBarClicks_++ % 2), g.y - 8);
                // Not typed into before the window manager has done with the click: a person is slower.
                EXPECT_TRUE(x.waitForTheWindowManager(to.window(), 5s));
                if (underGnome()) {
                    EXPECT_TRUE(x.waitForTheFrame(to.window(), 5s));
                }
                return;
            case Way::pager:
                x.moveTo(g.x + g.width + 20, g.y + 20);  // over the pager, beside the window
                activate(to);
                return;
            case Way::field: x.click(g.x + 395, g.y + 120); return;
        }
    }
    void activate(const FocusTakingHost& host) {
        x.askWindowManager(static_cast<xcb_window_t>(host.window()), x.atom("_NET_ACTIVE_WINDOW"), {2});  // from a pager
    }

private:
    int titleBarClicks_ = 0;
};

// In a host whose plug-in window is a top-level of its own with a socket in it: a field being edited lets the keys
// go with its window and takes them back when the window is activated again, and the host acts on none of them;
// while the host's main window is active the keys stay there. Once the name is saved, the host's focus window has
// the keys (its shortcut acts with the pointer over the editor), and with no name being typed the host keeps them.
TEST_P(WindowActivation, AFieldBeingEditedLetsTheKeysGoWithItsWindowAndTakesThemBackWithIt) {
    const ActivationCase& c = GetParam();
    FocusTakingHost& main = openHost<FocusTakingHost>(300u, 200u, "Host main window");
    SocketHost& host = openHost<SocketHost>(1280u, 730u, "Pulvan in the host", c.xembed);
    ASSERT_TRUE(openEditor(host, host.socketHandle()));
    main.move(1500, 900);  // beside the plug-in's window
    ASSERT_TRUE(runUntil([&] { return x.geometry(main.window())->y >= 800; }, 5s));
    if (c.reopen) {
        host.hide();
        ASSERT_TRUE(runUntil([&] { return host.withdrawn(); }, 5s));
        host.show();
        ASSERT_TRUE(runUntil([&] { return host.viewable(); }, 5s));
        ASSERT_TRUE(runUntil([&] { return x.pixel(4, 300, host.window()) == kEditorBackground; }, 5s));
        ASSERT_TRUE(x.waitForTheWindowManager(static_cast<xcb_window_t>(host.window()), 5s));  // as openEditor
    }
    const auto origin = *x.geometry(host.window());

    x.click(origin.x + 1173, origin.y + 34);  // Save: the dialog's name field takes the keyboard
    ASSERT_TRUE(runUntil([&] { return host.keysGoTo(host.plug()); }, 5s)) << "the field did not take the keyboard";
    type("ab");
    if (c.leave != Way::stay) {
        go(c.leave, main);
        ASSERT_TRUE(runUntil([&] { return main.holdsKeys(); }, 5s)) << "the main window got no keys";
        expectTheFieldLeftTheKeys(host, [&] { return host.plug(); });
        type("zz");
    }

    // icewm leaves the active window alone when a pager asks for it, and metacity and mutter may for a click on its
    // title bar: there is no offer to wait for.
    const bool leftAlone = c.leave == Way::stay && ((underIcewm() && c.back == Way::pager) || (underGnome() && c.back == Way::titleBar));
    const int offers = host.offers();
    go(c.back, host);
    if (!leftAlone) {
        ASSERT_TRUE(runUntil([&] { return host.offers() > offers; }, 5s)) << "the window manager offered the host no focus";
    }
    EXPECT_TRUE(runUntil([&] { return host.keysGoTo(host.plug()); }, 5s)) << "the field did not take the keys back";
    type(" my jam\n");
    EXPECT_TRUE(runUntil([&] { return presetSaved("ab my jam"); }, 5s)) << "no preset \"ab my jam\"";
    EXPECT_EQ(host.actedOn(), std::vector<std::string>{}) << "the host acted on keys typed into the field";
    EXPECT_TRUE(runUntil([&] { return host.focus() == host.focusWindow(); }, 5s)) << "the keys did not go back to the host's focus window";
    x.moveTo(origin.x + 640, origin.y + 400);
    type(" ");
    EXPECT_TRUE(runUntil([&] { return host.actedOn() == std::vector<std::string>{"space"}; }, 5s)) << "the host lost its shortcut";

    if (c.leave != Way::stay) {
        go(c.leave, main);
        ASSERT_TRUE(runUntil([&] { return main.holdsKeys(); }, 5s));
        // mutter ignores a press on a title bar that comes a few milliseconds after it activated another window.
        ASSERT_TRUE(x.waitForTheWindowManager(static_cast<xcb_window_t>(main.window()), 5s));
    }
    const int offersAgain = host.offers();
    go(c.back, host);
    ASSERT_TRUE(runUntil([&] { return (leftAlone || host.offers() > offersAgain) && host.holdsKeys(); }, 5s));
    x.moveTo(origin.x + 640, origin.y + 400);
    type(" ");
    EXPECT_TRUE(runUntil([&] { return host.actedOn() == std::vector<std::string>{"space", "space"}; }, 5s)) << "the host lost its shortcut";
}

INSTANTIATE_TEST_SUITE_P(Ways, WindowActivation,
                         ::testing::Values(ActivationCase{"ByItsTitleBar", Way::click, Way::titleBar, true},
                                           ActivationCase{"ByAPager", Way::click, Way::pager, true},
                                           ActivationCase{"ByAltTab", Way::altTab, Way::altTab, true},
                                           ActivationCase{"ByItsTitleBarWithoutXEmbed", Way::altTab, Way::titleBar, false},
                                           ActivationCase{"ByAPagerWithoutXEmbed", Way::click, Way::pager, false},
                                           ActivationCase{"ByAltTabWithoutXEmbed", Way::altTab, Way::altTab, false},
                                           ActivationCase{"AgainByItsTitleBar", Way::stay, Way::titleBar, true},
                                           ActivationCase{"AgainByAPagerWithoutXEmbed", Way::stay, Way::pager, false},
                                           ActivationCase{"ByAClickInTheField", Way::click, Way::field, true},
                                           ActivationCase{"ByItsTitleBarAfterReopening", Way::click, Way::titleBar, true, true},
                                           ActivationCase{"ByAltTabAfterReopening", Way::altTab, Way::altTab, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A click on the host's own entry while a name is typed leaves the keys there, whether the host says so over XEmbed
// or moves the X focus itself; a click into the name's field takes them back.
class AnEntryOfTheHostsOwn : public UnderAWindowManager, public ::testing::WithParamInterface<bool> {};

TEST_P(AnEntryOfTheHostsOwn, TakesTheKeysWithAClickWhileANameIsTyped) {
    SocketHost& host = openHost<SocketHost>(1280u, 730u, "Pulvan in the host", GetParam(), true);
    ASSERT_TRUE(openEditor(host, host.socketHandle()));
    const auto origin = *x.geometry(host.window());
    x.click(origin.x + 1173, origin.y + 34);  // Save
    ASSERT_TRUE(runUntil([&] { return host.keysGoTo(host.plug()); }, 5s)) << "the field did not take the keyboard";
    type("ab");
    x.click(origin.x + 640, origin.y + 730 + SocketHost::kEntryHeight / 2);
    ASSERT_TRUE(runUntil([&] { return host.holdsKeys(); }, 5s)) << "the host's entry got no keys";
    EXPECT_FALSE(runUntil([&] { return host.keysGoTo(host.plug()); }, 500ms)) << "the field took the keys back";
    type("xy");
    EXPECT_TRUE(runUntil([&] { return host.entryText() == "xy"; }, 5s)) << "the entry got \"" << host.entryText() << '"';
    x.click(origin.x + 395, origin.y + 120);
    ASSERT_TRUE(runUntil([&] { return host.keysGoTo(host.plug()); }, 5s)) << "the field did not take the keys back";
    type("cd\n");
    EXPECT_TRUE(runUntil([&] { return presetSaved("abcd"); }, 5s)) << "no preset \"abcd\"";
    EXPECT_EQ(host.entryText(), "xy");
    EXPECT_EQ(host.actedOn(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Hosts, AnEntryOfTheHostsOwn, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "WithXEmbed" : "WithoutXEmbed"); });

// Where the host let its focus window go while a name was typed, the keys go back to its top-level.
TEST_F(UnderAWindowManager, TheKeysGoBackToTheTopLevelWhereTheHostsFocusWindowIsGone) {
    SocketHost& host = socketHostTypingAName();
    ASSERT_FALSE(HasFailure());
    type("ab");
    host.dropFocusWindow();
    type("\n");
    EXPECT_TRUE(runUntil([&] { return presetSaved("ab"); }, 5s)) << "no preset \"ab\"";
    EXPECT_TRUE(runUntil([&] { return host.focus() == host.window(); }, 5s)) << "the keys did not go back to the host";
}

// Space typed 15 ms after the Return that saves the name, while Return is still down as a person types, reaches the
// host; the name is saved, and the keys go back to the host once Return is up.
TEST_F(UnderAWindowManager, SpaceTypedRightAfterTheSavingReturnReachesTheHost) {
    SocketHost& host = socketHostTypingAName();
    ASSERT_FALSE(HasFailure());
    type("ab");
    const std::uint8_t enter = x.keycodeOf(XK_Return), space = x.keycodeOf(XK_space);
    x.key(enter, true);
    runUntil([] { return false; }, 15ms);
    x.key(space, true);
    x.key(space, false);
    runUntil([] { return false; }, 60ms);
    x.key(enter, false);
    EXPECT_TRUE(runUntil([&] { return host.actedOn() == std::vector<std::string>{"space"}; }, 5s)) << "space typed after Return was lost";
    EXPECT_TRUE(runUntil([&] { return presetSaved("ab"); }, 5s)) << "no preset \"ab\"";
    EXPECT_TRUE(runUntil([&] { return host.focus() == host.focusWindow(); }, 5s)) << "the keys did not go back to the host";
}

// A host that draws its plug-in window's title bar itself and moves the focus to a window of its own a few
// milliseconds after a press there: coming back by that title bar while a name is typed is the person coming back,
// and every key typed after lands in the name.
TEST_F(UnderAWindowManager, BackByATitleBarTheHostDrawsItselfTheNameTakesEveryKey) {
    FocusTakingHost& main = openHost<FocusTakingHost>(300u, 200u, "Host main window");
    OwnTitleBarHost& host = openHost<OwnTitleBarHost>(1280u, 730u, "Pulvan in the host");
    ASSERT_TRUE(openEditor(host, host.contentHandle()));
    const int top = static_cast<int>(OwnTitleBarHost::kTitleBarHeight);
    typeANameAndLeaveFor(
        main, host, [&] { return host.editorWindow(); }, top);
    ASSERT_FALSE(HasFailure());
    const auto origin = *x.geometry(host.window());

    const int moves = host.focusMoves();
    x.click(origin.x + 300, origin.y + top / 2);  // the title bar the host draws
    ASSERT_TRUE(runUntil([&] { return host.focusMoves() > moves; }, 5s)) << "the host did not answer the press";
    EXPECT_TRUE(runUntil([&] { return host.focus() == host.editorWindow(); }, 5s)) << "the field did not take the keys back";
    typeTheRestAndSave(host);
}

// metacity and mutter grab the keyboard for a click on a title bar, which a GTK host takes for its top-level losing the
// focus and getting it back. A host busy for that moment (a repaint) reads it only after the editor took the keys
// back, and then tells the editor its socket lost the focus and the window its activation, and got both back: the
// name keeps the keys, and every key typed after lands in it. GTK 2 (Ardour) waits for a round trip after each of
// those words, so on a loaded machine the next may come long after.
TEST_F(UnderAWindowManager, BackByItsTitleBarToAHostThatReadsTheGrabLateTheNameKeepsTheKeys) {
    backByTheTitleBarToAHostThatReadsTheGrabLate(0ms);
}

TEST_F(UnderAWindowManager, BackByItsTitleBarToAHostThatReadsTheGrabLateAndSpeaksSlowlyTheNameKeepsTheKeys) {
    backByTheTitleBarToAHostThatReadsTheGrabLate(150ms);
}

void UnderAWindowManager::backByTheTitleBarToAHostThatReadsTheGrabLate(std::chrono::milliseconds wordGap) {
    FocusTakingHost& main = openHost<FocusTakingHost>(300u, 200u, "Host main window");
    SocketHost& host = openHost<SocketHost>(1280u, 730u, "Pulvan in the host");
    host.setWordGap(wordGap);
    ASSERT_TRUE(openEditor(host, host.socketHandle()));
    typeANameAndLeaveFor(main, host, [&] { return host.plug(); });
    ASSERT_FALSE(HasFailure());
    const auto origin = *x.geometry(host.window());

    host.setBusy(true);
    const int offers = host.offers();
    x.click(origin.x + 300, origin.y - 8);  // its title bar
    ASSERT_TRUE(x.waitForTheWindowManager(static_cast<xcb_window_t>(host.window()), 5s));
    ASSERT_TRUE(runUntil([&] { return x.inputFocus() == host.plug(); }, 5s)) << "the field did not take the keys back";
    host.setBusy(false);
    ASSERT_TRUE(runUntil([&] { return host.offers() > offers; }, 5s)) << "the window manager offered the host no focus";
    // The host's answer at the click's time lands where the window manager named the window active in the same
    // millisecond, and the field takes the keys back from it.
    EXPECT_TRUE(runUntil([&] { return host.keysGoTo(host.plug()); }, 5s)) << "the keys went to " << host.focus();
    EXPECT_FALSE(runUntil([&] { return !host.keysGoTo(host.plug()); }, 1s)) << "the keys went to " << host.focus();
    typeTheRestAndSave(host);
}

// Two views of one instance, each in a host window of its own, show the preset dialog together: the window clicked
// keeps the keyboard, and the other's field takes no keys and draws no caret.
TEST_F(UnderAWindowManager, TwoViewsShowTheDialogAndTheOneClickedKeepsTheKeyboard) {
    FocusTakingHost& first = openHost<FocusTakingHost>(900u, 513u, "First view");
    FocusTakingHost& second = openHost<FocusTakingHost>(900u, 513u, "Second view");
    first.move(0, 40);
    second.move(960, 40);
    ASSERT_TRUE(runUntil([&] { return x.geometry(second.window())->x >= 900; }, 5s));
    IPlugView* views[] = {openEditor(first, first.handle()), openEditor(second, second.handle())};
    for (IPlugView* view : views) {
        ASSERT_TRUE(view);
        ViewRect rect{0, 0, 900, 513};
        view->onSize(&rect);
    }
    const auto origin = *x.geometry(first.window());
    // Whether a caret blinks at the start of a view's name field: within a blink period, the place changes.
    const auto caretBlinks = [&](const FocusTakingHost& view) {
        const auto at = [&] { return x.image(208, 80, 8, 12, view.window()); };
        const std::string before = at();
        bool changed = false;
        runUntil([&] { return changed = at() != before; }, 1200ms);
        return changed;
    };

    x.click(origin.x + 825, origin.y + 24);  // Save, in the first view
    ASSERT_TRUE(runUntil([&] { return first.keysGoTo(first.pluginWindow()); }, 5s)) << "the field did not take the keyboard";
    frame.runFor(400ms);  // the dialog's fade
    EXPECT_TRUE(caretBlinks(first)) << "no caret in the view clicked";
    EXPECT_FALSE(caretBlinks(second)) << "a caret in the other view";
    EXPECT_EQ(first.focus(), first.pluginWindow()) << "the keyboard went to the other view";
    type("xy\n");
    EXPECT_TRUE(runUntil([&] { return presetSaved("xy"); }, 5s)) << "no preset \"xy\"";
}

// Two views of one instance, each in a socket host of its own: Alt+Tab between them while a name is typed moves the
// keys once, to the field of the window activated, with no back and forth; once the name is saved, the keys go
// back to the window in front, not to the one behind.
class TwoWindows : public UnderAWindowManager, public ::testing::WithParamInterface<bool> {};

TEST_P(TwoWindows, AltTabBetweenThemWhileANameIsTypedMovesTheKeysOnce) {
    SocketHost& first = openHost<SocketHost>(900u, 513u, "First view", GetParam());
    SocketHost& second = openHost<SocketHost>(900u, 513u, "Second view", GetParam());
    first.move(0, 40);
    second.move(960, 40);
    ASSERT_TRUE(runUntil([&] { return x.geometry(second.window())->x >= 900; }, 5s));
    for (SocketHost* host : {&first, &second}) {
        IPlugView* view = openEditor(*host, host->socketHandle());
        ASSERT_TRUE(view);
        ViewRect rect{0, 0, 900, 513};
        view->onSize(&rect);
    }
    // The keys come into the window's field and stay there.
    const auto settlesIn = [&](const SocketHost& host) {
        return runUntil([&] { return host.keysGoTo(host.plug()); }, 5s) && !runUntil([&] { return host.focus() != host.plug(); }, 500ms);
    };
    const auto origin = *x.geometry(first.window());
    x.click(origin.x + 825, origin.y + 24);  // Save, in the first view
    ASSERT_TRUE(settlesIn(first)) << "the field did not take the keyboard";
    type("a");
    altTab();
    EXPECT_TRUE(settlesIn(second)) << "the keys did not settle in the second view";
    type("b");
    altTab();
    EXPECT_TRUE(settlesIn(first)) << "the keys did not settle in the first view";
    type("c\n");
    EXPECT_TRUE(runUntil([&] { return presetSaved("abc"); }, 5s)) << "no preset \"abc\"";
    EXPECT_TRUE(runUntil([&] { return first.focus() == first.focusWindow(); }, 5s)) << "the keys went to the window behind";
    EXPECT_EQ(first.actedOn(), std::vector<std::string>{});
    EXPECT_EQ(second.actedOn(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Hosts, TwoWindows, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "WithXEmbed" : "WithoutXEmbed"); });

// Return held as the name is saved: its repeats (presses without releases, as the server sends them) reach neither
// the host nor anything beneath the dialog, and the host has the keys once Return is up.
TEST_F(UnderAWindowManager, ReturnHeldAsTheSaveClosesReachesNothingElse) {
    SocketHost& host = openHost<SocketHost>(1280u, 730u, "Pulvan in the host");
    ASSERT_TRUE(openEditor(host, host.socketHandle()));
    const auto origin = *x.geometry(host.window());
    x.click(origin.x + 1173, origin.y + 34);  // Save
    ASSERT_TRUE(runUntil([&] { return host.keysGoTo(host.plug()); }, 5s)) << "the field did not take the keyboard";
    type("held");
    const std::uint8_t enter = x.keycodeOf(XK_Return);
    x.key(enter, true);
    ASSERT_TRUE(runUntil([&] { return presetSaved("held"); }, 5s)) << "no preset \"held\"";
    for (int repeat = 0; repeat < 10; ++repeat) {  // past the dialog's fade
        x.key(enter, true);
        runUntil([] { return false; }, 40ms);
    }
    EXPECT_EQ(host.focus(), host.plug()) << "the keys went back while Return was held";
    x.key(enter, false);
    EXPECT_TRUE(runUntil([&] { return host.focus() == host.focusWindow(); }, 5s)) << "the keys did not go back to the host";
    EXPECT_EQ(host.actedOn(), std::vector<std::string>{}) << "the host heard Return's repeats";
}

}  // namespace
}  // namespace kez::test
