// gtk_socket_host <file>: a GTK 3 host that shows the plug-in's editor in a GtkSocket, as such hosts embed it, and runs
// until it is killed: the host's window first, then, once GTK has drawn it, the plug-in made and its editor given the
// socket's window, the view's run loop turned from a GTK timeout. Writes the socket's window as a number into the file
// once the editor is attached. Exits 1 with the reason when that fails.
#include "pluginterfaces/gui/iplugview.h"
#include "tests/vst3/plugin_instance.h"
#include "tests/vst3/run_loop_frame.h"

#include <gtk/gtk.h>
#include <gtk/gtkx.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <utility>

using namespace Steinberg;
using namespace std::chrono_literals;

namespace {

struct Host {
    const char* file = nullptr;
    GtkWidget* socket = nullptr;
    std::unique_ptr<kez::test::LoadedBundle> bundle;
    std::unique_ptr<Steinberg::Vst::HostApplication> context;
    std::unique_ptr<kez::test::PluginInstance> plugin;
    IPlugView* view = nullptr;
    kez::test::RunLoopFrame frame;
};

[[noreturn]] void fail(const char* reason) {
    std::fprintf(stderr, "gtk socket host: %s\n", reason);
    std::exit(1);
}

gboolean embed(gpointer data) {
    auto& host = *static_cast<Host*>(data);
    host.bundle = std::make_unique<kez::test::LoadedBundle>(PULVAN_VST3_BUNDLE_PATH);
    if (!host.bundle->loaded()) fail("the bundle did not load");
    host.context = kez::test::makeHostContext();
    IPluginFactory* factory = host.bundle->factory();
    host.plugin = std::make_unique<kez::test::PluginInstance>(factory, host.context.get());
    factory->release();
    host.view = host.plugin->ready() ? host.plugin->controller()->createView("editor") : nullptr;
    if (!host.view) fail("no editor view");
    host.view->setFrame(&host.frame);
    const Window xid = gtk_socket_get_id(GTK_SOCKET(host.socket));
    if (host.view->attached(reinterpret_cast<void*>(xid), kPlatformTypeX11EmbedWindowID) != kResultOk) fail("the editor did not attach");
    std::ofstream file(host.file);
    if (!(file << static_cast<unsigned long>(xid) << '\n').flush()) fail("the socket's window could not be written");
    g_timeout_add(
        5,
        [](gpointer frame) -> gboolean {
            static_cast<kez::test::RunLoopFrame*>(frame)->runFor(1ms);
            return G_SOURCE_CONTINUE;
        },
        &host.frame);
    return G_SOURCE_REMOVE;
}

}  // namespace

int main(int argc, char** argv) {
    if (!gtk_init_check(&argc, &argv)) fail("no display");
    if (argc != 2) fail("no file named for the socket's window");
    Host host;
    host.file = argv[1];
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    host.socket = gtk_socket_new();
    gtk_widget_set_size_request(host.socket, 1280, 730);
    gtk_container_add(GTK_CONTAINER(window), host.socket);
    gtk_widget_show_all(window);
    // After the window's first frame, as a host opens a plug-in's window from its running loop.
    g_signal_connect_swapped(gtk_widget_get_frame_clock(window), "after-paint", G_CALLBACK(+[](Host* h) {
                                 static bool once = false;
                                 if (!std::exchange(once, true)) g_idle_add(embed, h);
                             }),
                             &host);
    gtk_main();
    return 0;
}
