#include <gtest/gtest.h>

#include "editor/library/preset_library.h"
#include "editor/store/sequencer_store.h"
#include "editor/store/stored_preferences.h"
#include "editor/views/shell/editor_services.h"
#include "editor/views/shell/hosted_resize_handle.h"
#include "editor/views/shell/kez_content.h"
#include "editor/views/shell/kez_root_view.h"
#include "editor/views/shell/theme.h"
#include "platform/foundation/pasteboard.h"
#include "platform/ui/harness.h"
#include "tests/editor/views/recorded_services.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/support/allocation_counter.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <set>
#include <vector>

namespace pulvan::views {
namespace {

using store::SequencerStore;

}  // namespace
}  // namespace pulvan::views

namespace pulvan::ui {
void PrintTo(const Rect& r, std::ostream* os) { *os << r.x << "," << r.y << " " << r.width << "x" << r.height; }
void PrintTo(const Size& s, std::ostream* os) { *os << s.width << "x" << s.height; }
}  // namespace pulvan::ui

namespace pulvan::views {
namespace {

struct LayoutCase {
    bool hosted;
    ui::Size window;
    int maxWidth;
    double naturalHeight;
    double scale, designWidth, designHeight, frameWidth, offset;
};

TEST(EditorLayout, ScalesTheDesignSizeToTheWindow) {
    const LayoutCase cases[] = {
        {true, {1280, 730}, 2000, 0, 1.0, 1280, 730, 1280, 0},
        {true, {640, 730}, 2000, 0, 0.5, 1280, 730, 640, 0},
        {true, {2560, 730}, 2000, 0, 1.0, 1280, 730, 2560, 0},  // the height limits; the editor at the left
        {true, {100, 50}, 2000, 0, 0.1, 1280, 730, 100, 0},
        {true, {0, 0}, 2000, 0, 1.0, 1280, 730, 0, 0},
        {true, {1280, 0}, 2000, 0, 1.0, 1280, 730, 1280, 0},
        {false, {2400, 730}, 2000, 0, 1.0, 2000, 730, 2000, 200},
        {false, {700, 730}, 2000, 0, 700.0 / 940, 940, 730 / (700.0 / 940), 700, 0},
        {false, {300, 730}, 2000, 0, 0.5, 940, 1460, 300, 0},
        // Where the height holds the editor's natural height, nothing changes.
        {false, {700, 2000}, 2000, 600, 700.0 / 940, 940, 2000 / (700.0 / 940), 700, 0},
        {false, {1280, 730}, 2000, 730, 1.0, 1280, 730, 1280, 0},
        // A short window scales the editor down until its last row is on screen.
        {false, {1280, 400}, 2000, 730, 400.0 / 730, 1280 / (400.0 / 730), 730, 1280, 0},
        {false, {0, 0}, 2000, 0, 1.0, 940, 0, 0, 0},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.hosted ? "hosted " : "standalone ") << c.window.width << " x " << c.window.height);
        const EditorLayout layout = editorLayout(c.hosted, c.window, c.maxWidth, c.naturalHeight);
        EXPECT_NEAR(layout.scale, c.scale, 1e-9);
        EXPECT_NEAR(layout.designWidth, c.designWidth, 1e-6);
        EXPECT_NEAR(layout.designHeight, c.designHeight, 1e-6);
        EXPECT_EQ(layout.frameWidth, c.frameWidth);
        EXPECT_EQ(editorHorizontalOffset(layout, c.window.width), c.offset);
        if (!c.hosted && c.naturalHeight > 0) {
            EXPECT_LE(layout.scale * c.naturalHeight, c.window.height + 1e-9);
        }
    }
}

class RootViews : public ::testing::Test {
protected:
    pulvan::test::TempFolder config;
    foundation::ManualMainQueue storeQueue;
    foundation::MemoryPasteboard pasteboard;
    SequencerStore store{{storeQueue.queue(), pasteboard, foundation::UserDefaults(config.path() / "defaults.json"), {}}};
    library::PresetLibrary library{store, {.encodedPresetData = [] { return std::optional<std::string>("{}"); }}};
    RecordedServices services{library};
    std::optional<WindowReference> window;

    std::unique_ptr<ui::Harness> show(bool hosted, ui::Size size) {
        store.isHostedUI.set(hosted);
        auto h = std::make_unique<ui::Harness>([this, hosted] { return ui::View(KezRootView{store, services, hosted, window}); }, size);
        h->root().setAnimationsEnabled(false);
        h->update();
        return h;
    }
};

TEST_F(RootViews, TheRootTellsItsSettingOnceAndTheEditorSitsWhereTheLayoutSays) {
    auto h = show(false, {2400, 730});
    store.uiMaxContentWidth.set(2000);
    h->update();
    EXPECT_EQ(services.hostedUI, std::vector<bool>{false});
    EXPECT_EQ(h->frame("kezContentEditor"), (ui::Rect{200, 0, 2000, 730}));
    EXPECT_EQ(h->frame("kezContentMainStack").width, 2000);
    for (const char* part : {"kezTopBar", "kezTrackTabs", "kezSidebar", "kezContentColumn", "kezContentModalLayer",
                             "kezContentDropdownLayer", "kezContentDialogLayer"})
        EXPECT_TRUE(h->exists(part)) << part;
    EXPECT_EQ(h->frame("kezSidebar").width, 132);
    EXPECT_EQ(h->frame("kezSidebar").x, 200 + 16 + 12);

    // A window shorter than the editor's natural height shrinks the editor until it fits, a turn after measuring.
    h->resize({1280, 120});
    h->update();
    const ui::Rect sidebar = h->frame("kezSidebar");
    EXPECT_LT(sidebar.width, 132);
    EXPECT_GT(sidebar.width, 0);
    EXPECT_LE(sidebar.y + sidebar.height + 32 * sidebar.width / 132, 120) << "the card's padding and the stack's are on screen";

    auto hosted = show(true, {640, 730});
    EXPECT_EQ(hosted->frame("kezContentMainStack"), (ui::Rect{0, 0, 640, 365}));
    hosted->resize({2560, 730});
    EXPECT_EQ(hosted->frame("kezContentMainStack"), (ui::Rect{0, 0, 1280, 730}));
    EXPECT_EQ(hosted->frame("kezContentEditor"), (ui::Rect{0, 0, 2560, 730}));
}

TEST_F(RootViews, AWindowAccessorReportsNoWindowFirstAndThenTheWindow) {
    std::vector<std::optional<WindowReference>> reported;
    auto h = std::make_unique<ui::Harness>(
        [&] {
            return ui::View(WindowAccessor{[&](std::optional<WindowReference> w) { reported.push_back(w); }})
                .environment<HostWindowKey>(window);
        },
        ui::Size{100, 100});
    h->update();
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), std::nullopt);
    window = 0x400007;
    h->root().invalidate();
    h->update();
    EXPECT_EQ(reported.back(), window);
}

struct BackdropCase {
    const char* name;
    std::function<void(SequencerStore&)> open;
    double opacity;  // 0: no backdrop
    std::function<bool(const SequencerStore&)> closedByTap;
};

TEST_F(RootViews, MarginsDimWhileAnOverlayIsOpenAndATapThereClosesIt) {
    const auto modal = [](store::KezModal m) { return [m](SequencerStore& s) { s.setActiveModal(m); }; };
    const auto dropdown = [](bool sticky) {
        return [sticky](SequencerStore& s) {
            store::DropdownRequest request;
            request.sticky = sticky;
            s.dropdown.set(request);
        };
    };
    const BackdropCase cases[] = {
        {"preset dialog", [](SequencerStore& s) { s.isPresetDialogPresented.set(true); }, 0.8,
         [](const SequencerStore& s) { return !s.isPresetDialogPresented.get(); }},
        {"dialog", [](SequencerStore& s) { s.dialog.set(store::DialogRequest{}); }, 0.55,
         [](const SequencerStore& s) { return !s.dialog.get(); }},
        {"dropdown", dropdown(false), 0.55, [](const SequencerStore& s) { return !s.dropdown.get(); }},
        {"sticky dropdown", dropdown(true), 0, nullptr},
        {"settings", modal(store::KezModal::settings), 0.55, [](const SequencerStore& s) { return !s.activeModal().get(); }},
        {"notes pool", modal(store::KezModal::notesPool), 0, nullptr},
        {"performance", modal(store::KezModal::performance), 0, nullptr},
        {"nothing", [](SequencerStore&) {}, 0, nullptr},
    };
    auto h = show(false, {2400, 730});
    store.uiMaxContentWidth.set(2000);
    for (const BackdropCase& c : cases) {
        SCOPED_TRACE(c.name);
        store.isPresetDialogPresented.set(false);
        store.dialog.set(std::nullopt);
        store.dropdown.set(std::nullopt);
        store.setActiveModal(std::nullopt);
        c.open(store);
        h->update();
        const auto backdrop = marginBackdrop(store);
        EXPECT_EQ(backdrop ? backdrop->opacity : 0, c.opacity);
        EXPECT_EQ(h->exists("kezContentMarginBackdrop"), c.opacity > 0);
        EXPECT_EQ(h->exists("hostedResizeHandle"), false);
        if (c.opacity == 0) continue;
        EXPECT_EQ(h->frame("kezContentMarginBackdropLeft"), (ui::Rect{0, 0, 200, 730}));
        EXPECT_EQ(h->frame("kezContentMarginBackdropRight"), (ui::Rect{2200, 0, 200, 730}));
        h->click({2300, 400});
        EXPECT_TRUE(c.closedByTap(store));
    }
}

// Closing a modal from the margin is reported once, as the modal host's own backdrop does: the 303
// generator's edits become one undo entry.
TEST_F(RootViews, AMarginTapClosesAModalWithOneReportedChange) {
    const struct {
        store::KezModal modal;
        int undoEntries;
    } cases[] = {{store::KezModal::settings, 0}, {store::KezModal::chord, 0}, {store::KezModal::patternGenerator303, 1}};
    auto h = show(false, {2400, 730});
    store.uiMaxContentWidth.set(2000);
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.modal));
        store.setActiveModal(c.modal);
        store.preset.modify([](model::Preset& p) { ++p.tracks[0].octave; });
        store.patternGenerator303UndoSessionHasChanges = c.modal == store::KezModal::patternGenerator303;
        h->update();
        std::vector<std::optional<store::KezModal>> reported;
        const auto observing = store.activeModal().subscribe([&](const std::optional<store::KezModal>& m) { reported.push_back(m); });
        const int entries = store.history().count();
        h->click({2300, 400});
        EXPECT_EQ(reported, std::vector<std::optional<store::KezModal>>{std::nullopt});
        EXPECT_EQ(store.history().count() - entries, c.undoEntries);
        EXPECT_FALSE(h->exists("kezContentMarginBackdrop"));
    }
}

TEST_F(RootViews, APromptFillsTheWindowInAHostOrWhenItAsksStandalone) {
    struct Case {
        bool hosted, prefersFullscreen, kindIsPrompt, fullWindow;
    };
    for (const Case c :
         {Case{true, false, true, true}, Case{false, false, true, false}, Case{false, true, true, true}, Case{true, false, false, false}}) {
        SCOPED_TRACE(testing::Message() << c.hosted << c.prefersFullscreen << c.kindIsPrompt);
        store::DialogRequest request;
        request.kind = c.kindIsPrompt ? store::DialogRequest::Kind::prompt : store::DialogRequest::Kind::alert;
        request.prefersFullscreen = c.prefersFullscreen;
        request.accentColorHexOverride = 0x123456;
        store.dialog.set(request);
        auto h = show(c.hosted, {1280, 730});
        EXPECT_EQ(h->exists("kezFullscreenPrompt"), c.fullWindow);
        EXPECT_EQ(h->exists("kezContentMainStack"), !c.fullWindow);
        EXPECT_EQ(h->exists("kezDialogHost"), !c.fullWindow);
    }
    // A prompt that replaces another starts from its own text.
    std::string confirmed;
    auto h = show(true, {1280, 730});
    for (const char* text : {"first", "second"}) {
        store::DialogRequest prompt{.kind = store::DialogRequest::Kind::prompt, .initialText = text};
        prompt.onConfirm = [&](const std::string& typed) { confirmed = typed; };
        store.dialog.set(prompt);
        h->advance(0.1);
    }
    h->key(XKB_KEY_Return);
    EXPECT_EQ(confirmed, "second");
    store::DialogRequest request;
    EXPECT_EQ(fullscreenPromptAccent(store, request), colorFromHex(store.trackAccentColor(0)));
    request.accentColorHexOverride = 0x123456;
    EXPECT_EQ(fullscreenPromptAccent(store, request), colorFromHex(0x123456));
    request.prefersGlobalAccent = true;
    EXPECT_EQ(fullscreenPromptAccent(store, request), globalAccentColor());
}

// A message the save dialog raises takes the keyboard from the name field until it is answered, in the window
// and in a host's: Return and typing reach nothing beneath it, and then the field types again.
TEST_F(RootViews, AMessageOverTheSaveDialogKeepsTheKeysFromItsNameFieldUntilItIsAnswered) {
    for (const bool hosted : {false, true}) {
        SCOPED_TRACE(hosted ? "hosted" : "standalone");
        pulvan::test::TempFolder data;
        pulvan::test::ScopedEnvironment home("XDG_DATA_HOME", data.path().string());
        store.currentPresetName.set("");
        store.presetDialogSaveName.set("");
        auto h = show(hosted, {1280, 730});
        library.presentSavePresetDialog();
        h->advance(0.2);
        h->key(XKB_KEY_Return);
        ASSERT_TRUE(store.dialog.get());
        EXPECT_EQ(store.dialog.get()->message, "Preset name cannot be empty.");
        h->type("Probe0");
        h->key(XKB_KEY_Return);
        EXPECT_EQ(store.presetDialogSaveName.get(), "");
        EXPECT_TRUE(store.isPresetDialogPresented.get());
        ASSERT_TRUE(store.dialog.get()) << "the alert went before it was answered";
        h->clickOn("dialog.confirm");
        h->advance(0.2);
        EXPECT_FALSE(store.dialog.get());
        h->type("Probe0");
        h->key(XKB_KEY_Return);
        EXPECT_FALSE(store.isPresetDialogPresented.get());
        EXPECT_TRUE(std::filesystem::exists(data.path() / "Audio/Presets/Kezwerk/Pulvan/Presets/Probe0.json"));

        // The question about overwriting, answered no, leaves the name as it was and the field typing.
        library.presentSavePresetDialog();
        h->advance(0.2);
        h->clickOn("presetDialog.nameField");
        h->key(XKB_KEY_End);
        h->key(XKB_KEY_Return);
        ASSERT_TRUE(store.dialog.get());
        EXPECT_EQ(store.dialog.get()->message, "Overwrite preset \"Probe0\" ?");
        h->type("X");
        EXPECT_EQ(store.presetDialogSaveName.get(), "Probe0");
        h->clickOn("dialog.cancel");
        h->advance(0.2);
        h->type("X");
        EXPECT_EQ(store.presetDialogSaveName.get(), "Probe0X");
        store.isPresetDialogPresented.set(false);
    }
}

struct DragCase {
    const char* name;
    std::vector<ui::Point> moves;  // mouse positions after a press at (0, 0)
    std::optional<ui::Rect> screen;
    std::vector<ui::Size> requests;
};

TEST(HostedResizeHandleDrag, AsksForTheAspectWithinItsLimits) {
    const double aspect = 1280.0 / 730;
    const DragCase cases[] = {
        {"horizontal", {{0, 0}, {100, 0}}, std::nullopt, {{1280, 730}, {1380, 787}}},
        {"diagonal takes the larger movement", {{0, 0}, {10, 100}}, std::nullopt, {{1280, 730}, {1455, 830}}},
        {"equal magnitudes take the horizontal", {{0, 0}, {-50, 50.0 / aspect}}, std::nullopt, {{1280, 730}, {1230, 701}}},
        {"left beyond the minimum, once per width", {{0, 0}, {-900, 0}, {-950, 0}, {-1000.2, 0}}, std::nullopt, {{1280, 730}, {640, 365}}},
        {"the screen limits", {{0, 0}, {2000, 0}}, ui::Rect{0, 0, 1440, 900}, {{1280, 730}, {1440, 821}}},
        {"at most 3200", {{0, 0}, {5000, 0}}, ui::Rect{0, 0, 8000, 8000}, {{1280, 730}, {3200, 1825}}},
        {"a narrow screen beats the minimum", {{0, 0}, {-2000, 0}}, ui::Rect{0, 0, 500, 900}, {{500, 285}}},
    };
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.name);
        HostedResizeDrag drag;
        std::vector<ui::Size> requests;
        for (const ui::Point m : c.moves)
            if (auto size = hostedResizeHandleDragChanged(drag, m, {1280, 730}, aspect, c.screen)) requests.push_back(*size);
        EXPECT_EQ(requests, c.requests);
        EXPECT_EQ(drag.dragStartWidth, 1280);
    }
}

TEST_F(RootViews, TheGripAsksTheHostAndStoresTheWidthTheWindowGot) {
    std::vector<ui::Size> requests;
    store.hooks.hostedRequestEditorResize = [&](double w, double h) { requests.push_back({w, h}); };
    auto h = show(true, {1280, 730});
    ASSERT_TRUE(h->exists("hostedResizeHandle"));
    EXPECT_EQ(h->frame("hostedResizeHandle"), (ui::Rect{1260, 710, 20, 20}));
    h->drag({1270, 720}, {1370, 720});  // the drag starts at its first step, 25 points on
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back(), (ui::Size{1355, 773}));
    EXPECT_EQ(store.hostedWindowWidth, 1280);  // the host did not resize: nothing new to store

    // The host answered with a new size; the next drag ends there and stores it.
    h->resize({1370, 781});
    h->drag({1360, 771}, {1365, 771});
    EXPECT_EQ(store.hostedWindowWidth, 1370);
    EXPECT_EQ(store::loadStoredUserPreferences(store.services().userDefaults).hostedWindowWidth, 1370);

    store.setActiveModal(store::KezModal::about);  // no grip while an overlay is open
    h->update();
    EXPECT_FALSE(h->exists("hostedResizeHandle"));
    store.setActiveModal(std::nullopt);
    store.hooks.hostedRequestEditorResize = nullptr;
    store.didChange.emit();
    h->update();
    EXPECT_FALSE(h->exists("hostedResizeHandle"));
}

TEST_F(RootViews, WithoutAHostResizeTheGripStillStoresTheViewportWidth) {
    auto h = std::make_unique<ui::Harness>(
        [this] {
            return ui::View(HostedResizeHandle{{1000, 570}}).environmentObject(store).environmentObject<EditorServices>(services);
        },
        ui::Size{20, 20});
    h->drag({10, 10}, {30, 10});
    EXPECT_EQ(store.hostedWindowWidth, 1000);
}

TEST_F(RootViews, OneChooserOfAKindAtATimeAndACancelReachesTheLibrary) {
    auto h = show(false, {1280, 730});
    store.isImportOnePresetPickerPresented.set(true);
    h->update();
    ASSERT_EQ(services.choosers.size(), 1u);
    EXPECT_EQ(services.choosers[0], (ChooserRequest{false, {"json"}}));
    store.isImportOnePresetPickerPresented.set(false);
    h->update();
    store.isImportOnePresetPickerPresented.set(true);  // while its chooser is up
    h->update();
    EXPECT_EQ(services.choosers.size(), 1u);
    store.isBackupFolderPickerPresented.set(true);  // another kind
    h->update();
    ASSERT_EQ(services.choosers.size(), 2u);
    EXPECT_EQ(services.choosers[1], (ChooserRequest{true, {}}));

    services.completions[0](library::pickerCancelled());
    h->update();
    EXPECT_FALSE(store.isImportOnePresetPickerPresented.get());  // the library's handler cleared it
    EXPECT_FALSE(store.dialog.get());                            // a cancel shows nothing
    store.isImportOnePresetPickerPresented.set(true);
    h->update();
    EXPECT_EQ(services.choosers.size(), 3u);
}

// Every step of play builds the views that follow the playhead again, while the store, which they also
// follow, stays as it was for as long as play goes on: bar after bar, they hold on to nothing more. In the
// application's window as in a host's.
TEST_F(RootViews, PlayingHoldsNoMoreMemoryAfterItsFirstBars) {
    for (const bool hosted : {false, true}) {
        SCOPED_TRACE(hosted ? "in a host" : "standalone");
        auto h = show(hosted, {1280, 730});
        store.appPlayRunning.set(true);
        const foundation::Uuid track = store.preset->tracks.front().id;
        int step = 0;
        const auto play = [&](int bars) {
            for (const int end = step + 16 * bars; step < end; ++step) {
                const bool sounding = step % 2 == 0;
                store.playhead.globalStepByTrackID.set({{track, step}});
                store.playhead.activeTrackNotes.set(sounding ? std::set<int>{60} : std::set<int>{});
                store.playhead.noteActiveTrackIDs.set(sounding ? std::set<foundation::Uuid>{track} : std::set<foundation::Uuid>{});
                h->advance(0.125);  // a sixteenth at 120 BPM
            }
        };
        play(2);  // every picture of the bar has been built once
        const test::ScopedAllocationCount held;
        play(32);
        // The room that lists keep for their next entries comes and goes by a few kilobytes; a view built
        // again per step that left its subscription behind kept about 8 KB a bar.
        EXPECT_LT(held.heldBytes(), 16 * 1024) << "bytes kept by 32 bars of play";
    }
}

}  // namespace
}  // namespace pulvan::views
