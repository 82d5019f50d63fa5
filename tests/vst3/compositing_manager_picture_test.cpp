// The first picture under window managers that composite the screen, where the screen is the manager's picture of the
// windows: for each start, a display of its own with the manager started afresh, brand-new home folders, then the
// pulvan program's window or a GTK 3 host's with the plug-in's editor. Once the window holds the editor, the screen must
// come to show what the window holds.
#include <gtest/gtest.h>

#include "tests/app/program_windows.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/x11/x_client.h"
#include "tests/support/child_process.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

using namespace std::chrono_literals;
using pulvan::app::test::waitFor;
using pulvan::test::ScopedEnvironment;

namespace kez::test {
namespace {

constexpr int kStarts = 4;
constexpr std::uint32_t kEditorBackground = 0x0E0E10;
const std::string kFixture = PULVAN_FIXTURE_DIR "/xvfb.sh";
const std::string kDisplay = std::to_string(PULVAN_COMPOSITED_DISPLAY);

// The share of a window's pixels that the screen shows otherwise.
double unlikeOnTheScreen(pulvan::x11::test::XClient& x, xcb_window_t window) {
    const auto where = x.geometry(window);
    if (!where) return 1;
    const std::string own = x.image(0, 0, where->width, where->height, window);
    const std::string shown = x.image(where->x, where->y, where->width, where->height);
    if (own.size() != shown.size() || own.empty()) return 1;
    std::size_t unlike = 0;
    for (std::size_t i = 0; i < own.size(); i += 4) unlike += own.compare(i, 3, shown, i, 3) != 0;
    return static_cast<double>(unlike) / static_cast<double>(own.size() / 4);
}

// A window of the test's own, shown until the screen shows it, then closed: the manager composites the screen and
// has taken in a window and drawn it before the program's comes, as where programs started before.
bool showAndCloseAWindow(pulvan::x11::test::XClient& x) {
    constexpr std::uint32_t kMagenta = 0xFF00FF;
    const xcb_window_t w = xcb_generate_id(x.get());
    xcb_create_window(x.get(), XCB_COPY_FROM_PARENT, w, x.root(), 0, 0, 200, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL, &kMagenta);
    xcb_map_window(x.get(), w);
    x.sync();
    const bool shown = waitFor(
        [&] {
            const auto where = x.geometry(w);
            return where && x.pixel(where->x + 100, where->y + 100) == kMagenta;
        },
        10s);
    x.destroyWindow(w);
    return shown;
}

// The window in the tree whose WM_CLASS names the program.
xcb_window_t windowOfClass(pulvan::x11::test::XClient& x, xcb_window_t under, const std::string& name) {
    auto* tree = xcb_query_tree_reply(x.get(), xcb_query_tree(x.get(), under), nullptr);
    if (!tree) return 0;
    xcb_window_t found = 0;
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        const xcb_window_t child = xcb_query_tree_children(tree)[i];
        found = x.property(child, XCB_ATOM_WM_CLASS).starts_with(name + '\0') ? child : windowOfClass(x, child, name);
    }
    std::free(tree);
    return found;
}

struct Case {
    const char* manager;
    const char* program;  // "application" or "plug-in"
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.program << " under " << c.manager; }

class UnderACompositingManager : public ::testing::TestWithParam<Case> {};

TEST_P(UnderACompositingManager, TheScreenShowsTheFirstWindowAsItHoldsIt) {
    const Case c = GetParam();
    const std::string program = std::string(c.manager).substr(0, std::string(c.manager).find('-'));
    if (std::system(("command -v " + program + " >/dev/null").c_str()) != 0) GTEST_SKIP() << program << " is not installed";
    if (std::system("command -v Xvfb >/dev/null") != 0) GTEST_SKIP() << "Xvfb is not installed";
    const bool application = std::string(c.program) == "application";
    for (int start = 0; start < kStarts; ++start) {
        ASSERT_EQ(std::system((kFixture + " start " + kDisplay + " " + c.manager + " >/dev/null").c_str()), 0) << c.manager;
        pulvan::test::TempFolder home;
        ScopedEnvironment display{"DISPLAY", ":" + kDisplay}, homeFolder{"HOME", home.path().string()},
            config{"XDG_CONFIG_HOME", (home.path() / "config").string()}, data{"XDG_DATA_HOME", (home.path() / "data").string()},
            cache{"XDG_CACHE_HOME", (home.path() / "cache").string()};
        {
            pulvan::x11::test::XClient x;
            ASSERT_TRUE(x.open());
            auto* owner = xcb_get_selection_owner_reply(x.get(), xcb_get_selection_owner(x.get(), x.atom("_NET_WM_CM_S0")), nullptr);
            const bool composited = owner && owner->owner != XCB_NONE;
            std::free(owner);
            ASSERT_TRUE(composited) << c.manager << " does not composite the screen";
            ASSERT_TRUE(showAndCloseAWindow(x)) << "start " << start << ": " << c.manager << " did not show a window";
            const std::string socketFile = (home.path() / "socket").string();
            pulvan::test::ChildProcess client(
                application ? std::vector<std::string>{PULVAN_PROGRAM} : std::vector<std::string>{PULVAN_GTK_SOCKET_HOST, socketFile},
                pulvan::test::ChildProcess::Output::discarded);
            ASSERT_TRUE(client.started());
            xcb_window_t editor = 0;
            ASSERT_TRUE(waitFor(
                [&] {
                    if (application) return (editor = windowOfClass(x, x.root(), "pulvan")) != 0;
                    unsigned long socket = 0;
                    std::ifstream(socketFile) >> socket;
                    return socket && (editor = x.firstChild(static_cast<xcb_window_t>(socket))) != 0;
                },
                20s))
                << "start " << start << ": no editor window";
            ASSERT_TRUE(waitFor([&] { return x.pixel(4, 300, editor) == kEditorBackground; }, 20s))
                << "start " << start << ": the editor's window holds no picture";
            // The manager's animation of a new window ends within this.
            EXPECT_TRUE(waitFor([&] { return unlikeOnTheScreen(x, editor) == 0; }, 5s))
                << "start " << start << ": of the window's pixels " << unlikeOnTheScreen(x, editor) * 100 << " % are unlike on the screen";
        }
        ASSERT_EQ(std::system((kFixture + " stop " + kDisplay).c_str()), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Managers, UnderACompositingManager,
                         ::testing::Values(Case{"mutter", "application"}, Case{"mutter", "plug-in"},
                                           Case{"metacity-compositing", "application"}, Case{"metacity-compositing", "plug-in"}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name = std::string(info.param.manager) + "_" + info.param.program;
                             for (char& ch : name)
                                 if (ch == '-') ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace kez::test
