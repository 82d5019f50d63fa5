// The standalone application's picture through a session of real input on a display of its own, at a display
// scale of 1 and 1.25, the clock held still through each turn of the loop: every frame it paints from damage, and
// the screen at rest, is the picture a whole paint of the same state gives. Every overlay opens and closes, still
// and while playing; the chord memory shows sliders at 0; copy and swap blink while playing and a drag starts
// beside them; a name is typed and replaced; the window takes odd sizes and is hidden while playing.
#include <gtest/gtest.h>

#include "app/loaded_bundle.h"
#include "app/standalone_application.h"
#include "editor/library/preset_library.h"
#include "editor/model/lane_kind.h"
#include "editor/store/dialog_request.h"
#include "editor/store/dropdown_request.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/x11/x_client.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

extern char** environ;

namespace pulvan::app {
namespace {

using namespace std::chrono_literals;
using pulvan::test::ScopedEnvironment;

// An Xvfb of the test's own, on a display number it picks itself: no other test's window lies over the one
// whose screen pixels are compared.
class OwnDisplay {
public:
    OwnDisplay() {
        int fds[2];
        if (pipe(fds) != 0) return;
        const std::string fd = std::to_string(fds[1]);
        char* argv[] = {const_cast<char*>("Xvfb"),      const_cast<char*>("-displayfd"), const_cast<char*>(fd.c_str()),
                        const_cast<char*>("-screen"),   const_cast<char*>("0"),          const_cast<char*>("1920x1200x24"),
                        const_cast<char*>("-nolisten"), const_cast<char*>("tcp"),        nullptr};
        if (posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, argv, environ) != 0) pid_ = 0;
        close(fds[1]);
        char digits[16] = {};
        std::size_t got = 0;
        while (pid_ && got < sizeof digits - 1) {
            const ssize_t n = read(fds[0], digits + got, sizeof digits - 1 - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
            if (std::memchr(digits, '\n', got)) break;
        }
        close(fds[0]);
        if (got > 0) name_ = ":" + std::string(digits, std::strcspn(digits, "\n"));
    }
    ~OwnDisplay() {
        if (!pid_) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = 0;
    std::string name_;
};

class ApplicationPicture : public ::testing::TestWithParam<double> {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
        shownOn = std::make_unique<ScopedEnvironment>("DISPLAY", display.name());
        x = std::make_unique<x11::test::XClient>();
        ASSERT_TRUE(x->open());
        // The display scale, as a desktop sets it.
        const std::string resources = "Xft.dpi:\t" + std::to_string(static_cast<int>(std::lround(96 * GetParam()))) + "\n";
        xcb_change_property(x->get(), XCB_PROP_MODE_REPLACE, x->root(), XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(resources.size()), resources.data());
        x->sync();
        std::string error;
        bundle = LoadedBundle::open(PULVAN_BUNDLE_LIBRARY, error);
        ASSERT_NE(bundle, nullptr) << error;
        app = StandaloneApplication::open(loop, bundle->registry());
        ASSERT_NE(app, nullptr);
        ASSERT_EQ(app->window().displayScale(), GetParam());
        x11::WindowHost::checkPaintsAgainstWholePaints(true);
        ASSERT_TRUE(runUntil([&] { return app->window().hasPainted(); }));
        x->focus(app->window().window());
    }
    void TearDown() override {
        x11::WindowHost::checkPaintsAgainstWholePaints(false);
        if (app) app->composition().stopAppPlay();
        app.reset();
    }

    // One turn of the loop, the clock held still from its start: each update and its paint read one instant.
    void turn() {
        clock.setNanoseconds(foundation::systemClock().nowNanoseconds());
        loop.runOnce(10'000'000);
    }
    void runFor(std::chrono::milliseconds span) {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end) turn();
    }
    bool runUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (!done() && std::chrono::steady_clock::now() < end) turn();
        return done();
    }
    store::SequencerStore& store() { return app->composition().store(); }

    // A point of a view at fractions of its width and height, in the screen's pixels.
    std::pair<int, int> at(const std::string& testId, double across = 0.5, double down = 0.5) {
        const ui::Node* node = app->root().find(testId);
        EXPECT_NE(node, nullptr) << testId;
        if (!node) return {0, 0};
        const ui::Rect f = node->frameInRoot();
        const double scale = app->window().displayScale();
        return {static_cast<int>(std::lround((f.x + across * f.width) * scale)),
                static_cast<int>(std::lround((f.y + down * f.height) * scale))};
    }
    void click(const std::string& testId) {
        const auto [px, py] = at(testId);
        x->click(px, py);
        runFor(60ms);
    }
    // A press on one view, moved in steps onto a point, released there.
    void drag(const std::string& from, std::pair<int, int> to) {
        const auto [px, py] = at(from);
        x->moveTo(px, py);
        x->button(1, true);
        runFor(30ms);
        for (int i = 1; i <= 4; ++i) {
            x->moveTo(px + (to.first - px) * i / 4, py + (to.second - py) * i / 4);
            runFor(30ms);
        }
        x->button(1, false);
        runFor(60ms);
    }
    void key(std::uint32_t keysym, bool shift = false, bool control = false) {
        const std::uint8_t shiftKey = x->keycodeOf(XKB_KEY_Shift_L), controlKey = x->keycodeOf(XKB_KEY_Control_L);
        if (shift) x->key(shiftKey, true);
        if (control) x->key(controlKey, true);
        x->key(x->keycodeOf(keysym), true);
        x->key(x->keycodeOf(keysym), false);
        if (control) x->key(controlKey, false);
        if (shift) x->key(shiftKey, false);
        runFor(20ms);
    }
    void type(const std::string& text) {
        for (const char c : text) {
            const bool upper = c >= 'A' && c <= 'Z';
            key(upper ? static_cast<std::uint32_t>(c - 'A' + 'a') : static_cast<std::uint32_t>(c), upper);
        }
    }
    void resize(int width, int height) {
        const std::uint32_t size[] = {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
        xcb_configure_window(x->get(), app->window().window(), XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
        x->sync();
        runFor(250ms);
    }
    void hideWhilePlaying() {
        xcb_unmap_window(x->get(), app->window().window());
        x->sync();
        runFor(500ms);
        xcb_map_window(x->get(), app->window().window());
        x->sync();
        runFor(300ms);
    }
    // The screen's picture of the window, at rest, beside a whole paint.
    void expectTheScreenWhole(const char* after) {
        runFor(200ms);
        const int screens = x11::WindowHost::paintCheck().screens;
        x11::WindowHost::checkScreensAgainstWholePaints();
        EXPECT_TRUE(runUntil([&] { return x11::WindowHost::paintCheck().screens > screens; })) << "no screen read after " << after;
        const x11::WindowHost::PaintCheck check = x11::WindowHost::paintCheck();
        EXPECT_EQ(check.screensUnlike, 0) << "after " << after << ", around " << check.lastUnlikeScreenArea.x << ","
                                          << check.lastUnlikeScreenArea.y << " " << check.lastUnlikeScreenArea.width << "x"
                                          << check.lastUnlikeScreenArea.height;
        EXPECT_EQ(check.unlike, 0) << "after " << after << ", of " << check.frames << " frames; the last unlike around "
                                   << check.lastUnlikeArea.x << "," << check.lastUnlikeArea.y << " " << check.lastUnlikeArea.width << "x"
                                   << check.lastUnlikeArea.height;
    }

    OwnDisplay display;
    pulvan::test::TempFolder home;
    ScopedEnvironment config{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    ScopedEnvironment data{"XDG_DATA_HOME", (home.path() / "data").string()};
    std::unique_ptr<ScopedEnvironment> shownOn;
    std::unique_ptr<x11::test::XClient> x;
    std::unique_ptr<LoadedBundle> bundle;
    foundation::ManualClock clock{foundation::systemClock().nowNanoseconds()};
    foundation::MainQueue queue{clock};
    x11::EventLoop loop{queue};
    std::unique_ptr<StandaloneApplication> app;
};

TEST_P(ApplicationPicture, EveryFrameAndTheScreenAtRestAreWholePaints) {
    // Every overlay opened and closed, then again while playing: the playhead's damage falls between the frames of
    // the overlays' fades.
    std::vector<std::function<void(bool)>> overlays;
    for (int modal = 0; modal <= 7; ++modal)
        overlays.push_back([this, modal](bool shown) {
            store().setActiveModal(shown ? std::optional(static_cast<store::KezModal>(modal)) : std::nullopt);
        });
    overlays.push_back([this](bool shown) {
        store().dialog.set(shown ? std::optional(store::DialogRequest{.kind = store::DialogRequest::Kind::confirm,
                                                                      .title = "Delete",
                                                                      .message = "Delete the preset ?",
                                                                      .confirmLabel = "Delete",
                                                                      .cancelLabel = "Cancel"})
                                 : std::nullopt);
    });
    overlays.push_back([this](bool shown) { store().dropdown.set(shown ? std::optional(store::DropdownRequest{}) : std::nullopt); });
    overlays.push_back([this](bool shown) { store().isPresetDialogPresented.set(shown); });
    for (const bool playing : {false, true}) {
        if (playing) app->composition().startAppPlay();
        for (const auto& show : overlays) {
            show(true);
            runFor(250ms);
            show(false);
            runFor(250ms);
        }
        expectTheScreenWhole(playing ? "the overlays while playing" : "the overlays");
    }
    app->composition().stopAppPlay();

    // The chord memory of a chord of two notes (sliders 2 to 5 at 0), its sliders dragged.
    store().setChordMemory({7, -5});
    store().setActiveModal(store::KezModal::chord);
    runFor(300ms);
    drag("chordSlider0", at("chordSlider0", 0.5, 0.98));
    drag("chordSlider2", at("chordSlider2", 0.5, 0.2));
    drag("chordSlider2", at("chordSlider2", 0.5, 0.98));
    expectTheScreenWhole("the chord memory's sliders at 0");
    store().setActiveModal(std::nullopt);
    runFor(250ms);

    // Swap and copy blinking while playing, with a drag from the sidebar's lane buttons meanwhile.
    app->composition().startAppPlay();
    resize(1559, 562);
    click("Swap");
    runFor(700ms);
    drag("lane-velocity", at("lane-length"));
    runFor(700ms);
    click("Copy");
    runFor(1200ms);
    click("Copy");
    expectTheScreenWhole("the blinking");

    // A name typed and replaced in the Save dialog.
    app->composition().presetLibrary().presentSavePresetDialog();
    runFor(300ms);
    click("presetDialog.nameField");
    type("Groove 7q");
    runFor(300ms);
    key(XKB_KEY_a, false, true);
    type("Default");
    runFor(300ms);
    // Replaced as a tap on a listed preset replaces it.
    for (const char* name : {"Groove 7q", "Default", "Groove 7q", "Default"}) {
        store().presetDialogSaveName.set(name);
        runFor(150ms);
    }
    expectTheScreenWhole("the names typed");
    click("presetDialog.close");
    runFor(300ms);

    // Odd sizes, and hidden while playing.
    for (const auto& [width, height] : {std::pair{1111, 634}, std::pair{1001, 577}, std::pair{1280, 730}}) {
        resize(width, height);
        hideWhilePlaying();
    }
    app->composition().stopAppPlay();
    expectTheScreenWhole("the resizes and hiding");
    EXPECT_GT(x11::WindowHost::paintCheck().frames, 100);
}

INSTANTIATE_TEST_SUITE_P(Scales, ApplicationPicture, ::testing::Values(1.0, 1.25),
                         [](const auto& info) { return info.param == 1.0 ? std::string("One") : std::string("OneAndAQuarter"); });

}  // namespace
}  // namespace pulvan::app
