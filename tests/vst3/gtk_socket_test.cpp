// The editor in a real GTK 3 socket under each window manager, as GTK hosts embed it: the host shows its
// top-level (and another of its windows), makes the plug-in, gives the socket's window to the view, then runs
// gtk_main, turning the view's run loop from a timeout. GtkSocket takes its children's map requests and maps
// them only when it next lays itself out, which such a host may not do until some other event wakes it.
#include <gtest/gtest.h>

#include "pluginterfaces/gui/iplugview.h"
#include "tests/vst3/plugin_instance.h"
#include "tests/vst3/run_loop_frame.h"

#include <gtk/gtk.h>
#include <gtk/gtkx.h>

#include <chrono>
#include <cstdlib>
#include <memory>

using namespace Steinberg;
using namespace std::chrono_literals;

namespace kez::test {
namespace {

constexpr int kStarts = 20;

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

    // The host's loop: gtk_main, with the view's run loop turned every 5 ms, until the socket's window shows or the
    // deadline passes. Whether it showed.
    bool runTheHostUntilShown(RunLoopFrame& frame, Window socket) {
        struct Turn {
            InAGtkSocket* test;
            RunLoopFrame& frame;
            Window socket;
            std::chrono::steady_clock::time_point deadline;
            bool shown = false;
        } turn{this, frame, socket, std::chrono::steady_clock::now() + 5s};
        g_timeout_add(
            5,
            [](gpointer data) -> gboolean {
                auto* t = static_cast<Turn*>(data);
                t->frame.runFor(1ms);
                t->shown = t->test->holdsAShownWindow(t->socket);
                if (!t->shown && std::chrono::steady_clock::now() < t->deadline) return G_SOURCE_CONTINUE;
                gtk_main_quit();
                return G_SOURCE_REMOVE;
            },
            &turn);
        gtk_main();
        return turn.shown;
    }

    Display* display = nullptr;
    std::unique_ptr<LoadedBundle> bundle;
    std::unique_ptr<Steinberg::Vst::HostApplication> host;
};

TEST_F(InAGtkSocket, TheEditorShowsInEveryStart) {
    for (int start = 0; start < kStarts; ++start) {
        GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        GtkWidget* socket = gtk_socket_new();
        gtk_widget_set_size_request(socket, 1280, 730);
        gtk_container_add(GTK_CONTAINER(window), socket);
        GtkWidget* another = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(another), 300, 100);
        gtk_widget_show_all(window);
        gtk_widget_show_all(another);
        while (gtk_events_pending()) gtk_main_iteration();

        IPluginFactory* factory = bundle->factory();
        auto plugin = std::make_unique<PluginInstance>(factory, host.get());
        factory->release();
        ASSERT_TRUE(plugin->ready());
        RunLoopFrame frame;
        IPlugView* view = plugin->controller()->createView("editor");
        ASSERT_NE(view, nullptr);
        ASSERT_EQ(view->setFrame(&frame), kResultTrue);
        const Window xid = gtk_socket_get_id(GTK_SOCKET(socket));
        ASSERT_EQ(view->attached(reinterpret_cast<void*>(xid), kPlatformTypeX11EmbedWindowID), kResultOk);
        EXPECT_TRUE(runTheHostUntilShown(frame, xid)) << "start " << start;

        view->removed();
        view->release();
        plugin.reset();
        gtk_widget_destroy(another);
        gtk_widget_destroy(window);
        while (gtk_events_pending()) gtk_main_iteration();
    }
}

}  // namespace
}  // namespace kez::test
