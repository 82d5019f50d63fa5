#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/modal_placement.h"
#include "tests/editor/views/shell/overlay_stage.h"

namespace pulvan::views {
namespace {

using store::KezModal;
using ui::Point;
using ui::Rect;

TEST(ModalPlacement, AnchoredCorners) {
    struct Case {
        const char* name;
        ModalPlacementInput input;
        Point origin;
    };
    const Case cases[] = {
        {"chord at a button with minX 1100: pulled left to the right margin", {{1280, 730}, Rect{1100, 40, 60, 30}, 320}, {944, 76}},
        {"notes pool at minX 300", {{1280, 730}, Rect{300, 40, 60, 30}, 1080}, {184, 76}},
        {"fits: at the anchor's left edge, 6 below it", {{1280, 730}, Rect{200, 100, 60, 30}, 420}, {200, 136}},
        {"anchored near the left edge: at the anchor", {{1280, 730}, Rect{4, 100, 60, 30}, 420}, {4, 136}},
        {"a narrow overlay: width 240, centred at the left margin", {{250, 730}, std::nullopt, 320}, {16, 80}},
        {"without an anchor: centred, 80 from the top", {{1280, 730}, std::nullopt, 380}, {450, 80}},
        {"never past the left margin", {{300, 730}, Rect{200, 40, 60, 30}, 900}, {16, 76}},
        {"measured and fitting: unchanged", {{1280, 730}, Rect{200, 100, 60, 30}, 420, 300}, {200, 136}},
        {"a tall modal opened low stays above the bottom margin", {{1280, 730}, Rect{200, 600, 60, 30}, 420, 400}, {200, 314}},
        {"taller than the editor: at the top margin", {{1280, 730}, Rect{200, 600, 60, 30}, 420, 800}, {200, 16}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(modalPanelPlacement(c.input), c.origin);
    }
}

// A modal of the given size that records the environment it was given.
struct RecordingModal {
    ui::Size size;
    ui::Color* accent;
    double* viewportWidth;
    double* viewportHeight;
    ui::View body(ui::BuildContext& context) const {
        *accent = context.env<KezAccentKey>();
        *viewportWidth = context.env<KezModalViewportWidthKey>();
        *viewportHeight = context.env<KezModalViewportHeightKey>();
        return ui::color(panelBackgroundColor).frame({.width = size.width, .height = size.height}).testId("modal");
    }
};

class ModalHostTest : public OverlayTest {
protected:
    ui::Color accent;
    double viewportWidth = 0, viewportHeight = 0;
    std::function<ui::View(KezModal)> modalsOf(ui::Size size) {
        return [this, size](KezModal) { return ui::View(RecordingModal{size, &accent, &viewportWidth, &viewportHeight}); };
    }
};

TEST_F(ModalHostTest, PlacesEachModal) {
    store->preset.modify([](model::Preset& p) { p.tracks[0].accentColorHex = 0x3366CC; });
    const ui::Color trackAccent = colorFromHex(0x3366CC);
    struct Case {
        const char* name;
        KezModal modal;
        ui::Size modalSize;
        Point opener;
        Rect frame;
        ui::Color accent;
        double viewportHeight;  // from 6 under the opener (centred: the top margin) down to the bottom margin
    };
    const Case cases[] = {
        {"chord under its button at the right edge", KezModal::chord, {320, 200}, {1100, 40}, {944, 76, 320, 200}, trackAccent, 638},
        {"settings under its button", KezModal::settings, {420, 300}, {200, 100}, {200, 136, 420, 300}, trackAccent, 578},
        {"settings opened low stays inside the editor", KezModal::settings, {420, 520}, {200, 600}, {200, 194, 420, 520}, trackAccent, 78},
        {"the notes pool with six tracks opened low",
         KezModal::notesPool,
         {1080, 640},
         {300, 400},
         {184, 74, 1080, 640},
         globalAccentColor(),
         278},
        {"performance centred", KezModal::performance, {840, 400}, {100, 100}, {220, 165, 840, 400}, globalAccentColor(), 698},
        {"303 generator centred", KezModal::patternGenerator303, {940, 500}, {100, 100}, {170, 115, 940, 500}, trackAccent, 698},
        {"global settings centred", KezModal::globalSettings, {640, 300}, {100, 100}, {320, 215, 640, 300}, globalAccentColor(), 698},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto harness = stage({modalOpener(c.opener, c.modal)}, modalsOf(c.modalSize));
        store->setActiveModal(c.modal);
        harness->update();
        EXPECT_EQ(harness->frame("modal"), c.frame);
        EXPECT_EQ(accent, c.accent);
        EXPECT_EQ(viewportWidth, 1280 - 32);
        EXPECT_EQ(viewportHeight, c.viewportHeight);
    }
}

TEST_F(ModalHostTest, BackdropTapsCloseMostModals) {
    struct Case {
        KezModal modal;
        bool closesOnBackdropTap;
    };
    const Case cases[] = {{KezModal::notesPool, false},          {KezModal::chord, true},         {KezModal::settings, true},
                          {KezModal::performance, false},        {KezModal::midiSetupHelp, true}, {KezModal::about, true},
                          {KezModal::patternGenerator303, true}, {KezModal::globalSettings, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.modal));
        auto harness = stage({modalOpener({20, 20}, c.modal)}, modalsOf({300, 200}));
        store->setActiveModal(c.modal);
        store->dropdown.set(store::DropdownRequest{.sticky = true});
        editorTaps = 0;
        harness->update();
        harness->clickOn("modal");
        EXPECT_EQ(store->activeModal().get(), c.modal) << "a tap on the modal stays there";
        harness->click({1270, 720});
        EXPECT_EQ(store->activeModal().get(), c.closesOnBackdropTap ? std::nullopt : std::optional(c.modal));
        // Closing goes through activeModalDidChange, which also closes the dropdown.
        EXPECT_EQ(store->dropdown->has_value(), !c.closesOnBackdropTap);
        EXPECT_EQ(editorTaps, c.closesOnBackdropTap ? 0 : 1) << "without a backdrop the tap reaches the editor";
        harness->advance(0.2);
        EXPECT_EQ(harness->exists("modal"), !c.closesOnBackdropTap);
    }
}

TEST_F(ModalHostTest, AnchorsMergeAndTheLaterWins) {
    auto harness = stage({modalOpener({100, 40}, KezModal::chord), modalOpener({500, 200}, KezModal::chord)}, modalsOf({320, 100}));
    store->setActiveModal(KezModal::chord);
    harness->update();
    EXPECT_EQ(harness->frame("modal").origin(), (Point{500, 236}));
}

}  // namespace
}  // namespace pulvan::views
