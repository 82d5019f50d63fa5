// The editor in a real GTK 3 socket under each window manager, as GTK hosts embed it: the host shows its
// top-level (and another of its windows), makes the plug-in, gives the socket's window to the view, then runs
// gtk_main, turning the view's run loop from a timeout. GtkSocket takes its children's map requests and maps
// them only when it next lays itself out, which such a host may not do until some other event wakes it.
#include <gtest/gtest.h>

#include "pluginterfaces/gui/iplugview.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/x11/x_client.h"
#include "tests/vst3/plugin_instance.h"
#include "tests/vst3/run_loop_frame.h"

#include <gtk/gtk.h>
#include <gtk/gtkx.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using namespace Steinberg;
using namespace std::chrono_literals;

namespace kez::test {
namespace {

constexpr int kStarts = 20;
constexpr std::uint32_t kEditorBackground = 0x0E0E10;

class InAGtkSocket : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        bundle = std::make_unique<LoadedBundle>(PULVAN_VST3_BUNDLE_PATH);
        ASSERT_TRUE(bundle->loaded()) << bundle->error();
        host = makeHostContext();
    }
    void TearDown() override {
        plugin.reset();
        host.reset();
        bundle.reset();
        if (display) XCloseDisplay(display);
    }

    // Whether the socket holds a window that shows, seen through the test's own connection.
    bool holdsAShownWindow(Window socket) const {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, socket, &root, &parent, &children, &count)) return false;
        XWindowAttributes attributes{};
        const bool shown = count == 1 && XGetWindowAttributes(display, children[0], &attributes) && attributes.map_state == IsViewable;
        if (children) XFree(children);
        return shown;
    }

    // The host's loop: gtk_main, with the view's run loop turned every 5 ms, until `done` or the deadline. Whether
    // it came to be.
    static bool runTheHostUntil(RunLoopFrame& frame, const std::function<bool()>& done, std::chrono::milliseconds timeout) {
        struct Turn {
            RunLoopFrame& frame;
            const std::function<bool()>& done;
            std::chrono::steady_clock::time_point deadline;
            bool came = false;
        } turn{frame, done, std::chrono::steady_clock::now() + timeout};
        g_timeout_add(
            5,
            [](gpointer data) -> gboolean {
                auto* t = static_cast<Turn*>(data);
                t->frame.runFor(1ms);
                t->came = t->done();
                if (!t->came && std::chrono::steady_clock::now() < t->deadline) return G_SOURCE_CONTINUE;
                gtk_main_quit();
                return G_SOURCE_REMOVE;
            },
            &turn);
        gtk_main();
        return turn.came;
    }
    bool runTheHostUntilShown(RunLoopFrame& frame, Window socket) {
        return runTheHostUntil(
            frame, [&] { return holdsAShownWindow(socket); }, 5s);
    }

    // The plug-in made and its editor given the socket's window; null where that failed.
    IPlugView* embedEditor(RunLoopFrame& frame, GtkWidget* socket) {
        IPluginFactory* factory = bundle->factory();
        plugin = std::make_unique<PluginInstance>(factory, host.get());
        factory->release();
        EXPECT_TRUE(plugin->ready());
        IPlugView* view = plugin->ready() ? plugin->controller()->createView("editor") : nullptr;
        if (!view) return nullptr;
        EXPECT_EQ(view->setFrame(&frame), kResultTrue);
        const Window xid = gtk_socket_get_id(GTK_SOCKET(socket));
        EXPECT_EQ(view->attached(reinterpret_cast<void*>(xid), kPlatformTypeX11EmbedWindowID), kResultOk);
        return view;
    }
    void closeEditor(IPlugView* view) {
        view->removed();
        view->release();
        plugin.reset();
    }

    Display* display = nullptr;
    std::unique_ptr<LoadedBundle> bundle;
    std::unique_ptr<PluginInstance> plugin;
    std::unique_ptr<Steinberg::Vst::HostApplication> host;
};

// The window the socket is in has the screen's visual, or one with alpha as hosts that draw translucent parts
// choose: the server then puts a window of the screen's depth on the screen only by copying it into its parent, and
// the host's own painting of that parent must not hide the editor.
class InAGtkSocketWindow : public InAGtkSocket, public ::testing::WithParamInterface<bool> {};

TEST_P(InAGtkSocketWindow, TheEditorShowsInEveryStart) {
    const bool alpha = GetParam();
    GdkVisual* withAlpha = gdk_screen_get_rgba_visual(gdk_screen_get_default());
    if (alpha && !withAlpha) GTEST_SKIP() << "the screen has no visual with alpha";
    // Under a compositing manager the screen is that manager's picture, which it updates on its own schedule.
    const bool screenIsTheServers = XGetSelectionOwner(display, XInternAtom(display, "_NET_WM_CM_S0", False)) == None;
    pulvan::x11::test::XClient x;
    ASSERT_TRUE(x.open());
    for (int start = 0; start < kStarts; ++start) {
        GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        if (alpha) gtk_widget_set_visual(window, withAlpha);
        GtkWidget* socket = gtk_socket_new();
        gtk_widget_set_size_request(socket, 1280, 730);
        gtk_container_add(GTK_CONTAINER(window), socket);
        GtkWidget* another = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(another), 300, 100);
        gtk_widget_show_all(window);
        gtk_widget_show_all(another);
        while (gtk_events_pending()) gtk_main_iteration();

        RunLoopFrame frame;
        IPlugView* view = embedEditor(frame, socket);
        ASSERT_NE(view, nullptr);
        const Window xid = gtk_socket_get_id(GTK_SOCKET(socket));
        EXPECT_TRUE(runTheHostUntilShown(frame, xid)) << "start " << start;
        int left = 0, top = 0;
        Window child = 0;
        XTranslateCoordinates(display, xid, DefaultRootWindow(display), 0, 0, &left, &top, &child);
        const xcb_window_t editor = x.firstChild(static_cast<xcb_window_t>(xid));
        EXPECT_TRUE(runTheHostUntil(
            frame, [&] { return x.pixel(4, 300, editor) == kEditorBackground; }, 5s))
            << "start " << start << ": the editor's window shows " << std::hex << x.pixel(4, 300, editor);
        if (alpha) {  // opaque: a compositing manager would show what lies behind through a pixel of alpha 0
            const std::string pixel = x.image(4, 300, 1, 1, editor);
            EXPECT_EQ(pixel.size() == 4 ? static_cast<std::uint8_t>(pixel[3]) : 0, 0xFF) << "start " << start;
        }
        if (screenIsTheServers) {
            EXPECT_TRUE(runTheHostUntil(
                frame, [&] { return x.pixel(left + 4, top + 300) == kEditorBackground; }, 5s))
                << "start " << start << ": the screen shows " << std::hex << x.pixel(left + 4, top + 300);
        }
        closeEditor(view);
        gtk_widget_destroy(another);
        gtk_widget_destroy(window);
        while (gtk_events_pending()) gtk_main_iteration();
    }
}

INSTANTIATE_TEST_SUITE_P(Visuals, InAGtkSocketWindow, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "WithAlpha" : "OfTheScreen"; });

// GTK 3 reads its keys through XInput 2 and takes no key another client sends it: a key typed right after the
// Return that saves a name reaches it only from the server itself. The host's thread, which also runs the editor,
// is busy as Return comes, so the space is typed before the editor has read Return.
TEST_F(InAGtkSocket, ASpaceTypedRightAfterTheSavingReturnReachesTheHost) {
    pulvan::test::TempFolder home;
    pulvan::test::ScopedEnvironment config{"XDG_CONFIG_HOME", home.path().string()}, data{"XDG_DATA_HOME", home.path().string()};
    pulvan::x11::test::XClient x;
    ASSERT_TRUE(x.open());
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* socket = gtk_socket_new();
    gtk_widget_set_size_request(socket, 1280, 730);
    gtk_container_add(GTK_CONTAINER(window), socket);
    std::vector<guint> hostsKeys;
    g_signal_connect(window, "key-press-event", G_CALLBACK(+[](GtkWidget*, GdkEventKey* e, gpointer keys) -> gboolean {
                         static_cast<std::vector<guint>*>(keys)->push_back(e->keyval);
                         return FALSE;
                     }),
                     &hostsKeys);
    gtk_widget_show_all(window);
    while (gtk_events_pending()) gtk_main_iteration();

    RunLoopFrame frame;
    IPlugView* view = embedEditor(frame, socket);
    ASSERT_NE(view, nullptr);
    const Window xid = gtk_socket_get_id(GTK_SOCKET(socket));
    ASSERT_TRUE(runTheHostUntilShown(frame, xid));
    const xcb_window_t editor = x.firstChild(static_cast<xcb_window_t>(xid));
    int left = 0, top = 0;
    Window child = 0;
    XTranslateCoordinates(display, xid, DefaultRootWindow(display), 0, 0, &left, &top, &child);
    x.click(left + 1173, top + 34);  // Save
    EXPECT_TRUE(runTheHostUntil(
        frame, [&] { return x.inputFocus() == editor; }, 5s))
        << "the field did not take the keyboard";
    const auto tap = [&](std::uint32_t keysym) {
        x.key(x.keycodeOf(keysym), true);
        x.key(x.keycodeOf(keysym), false);
    };
    tap(XK_a);
    tap(XK_b);
    runTheHostUntil(
        frame, [] { return false; }, 100ms);
    tap(XK_Return);
    x.sync();
    std::this_thread::sleep_for(15ms);
    tap(XK_space);
    EXPECT_TRUE(runTheHostUntil(
        frame, [&] { return std::ranges::find(hostsKeys, GDK_KEY_space) != hostsKeys.end(); }, 5s))
        << "space typed after Return was lost";
    const auto saved = home.path() / "Audio/Presets/Kezwerk/Pulvan/Presets/ab.json";
    EXPECT_TRUE(runTheHostUntil(
        frame, [&] { return std::filesystem::exists(saved); }, 5s))
        << "no preset \"ab\"";
    EXPECT_EQ(hostsKeys, std::vector<guint>{GDK_KEY_space}) << "keys typed into the name, or Return, reached the host";

    closeEditor(view);
    gtk_widget_destroy(window);
    while (gtk_events_pending()) gtk_main_iteration();
}

}  // namespace
}  // namespace kez::test
