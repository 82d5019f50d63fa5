#include "editor/views/shell/modal_action_button.h"
#include "tests/editor/views/control_gallery.h"
#include "tests/editor/views/shell/capture_rig.h"
#include "tests/platform/ui/golden.h"

namespace pulvan::views {
namespace {

using ui::View;

TEST(SharedControls, MatchGoldenImages) {
    for (const auto& piece : controlGalleryPieces()) {
        SCOPED_TRACE(piece.name);
        ui::Harness harness(piece.view, piece.size, piece.goldenScale);
        ui::expectMatchesGolden(harness.render(), piece.name);
    }
}

// Pressed looks: the control held down in a 140 x 56 window.
TEST(SharedControls, PressedLooksMatchGoldenImages) {
    const Color accent = trackAccentColors()[1];
    const auto tap = [] {};
    struct Case {
        const char* name;
        std::function<ui::View()> control;
    };
    const Case cases[] = {
        {"icon_button_pressed",
         [=] {
             return View(IconButton{"gearshape", true, tap});
         }},
        {"modal_close_button_pressed", [=] { return View(ModalCloseButton{.action = tap}); }},
        {"modal_option_press_highlight",
         [=] { return View(ModalOption{.label = "Hold", .pressHighlight = true, .action = tap}).frame({.width = 100}); }},
        {"modal_option_no_press_highlight", [=] { return View(ModalOption{.label = "Hold", .action = tap}).frame({.width = 100}); }},
        {"action_button_cancel_pressed",
         [=] { return View(ModalActionButtonLabeled{.title = "Cancel", .pressHighlight = true, .action = tap}); }},
        {"modal_option_disabled_pressed",
         [=] { return View(ModalOption{.label = "Off", .pressHighlight = true, .enabled = false, .action = tap}).frame({.width = 100}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto shown = [&] {
            return c.control()
                .environment<KezAccentKey>(accent)
                .frame({.width = 140, .height = 56})
                .background(ui::color(editorBackgroundColor));
        };
        ui::Harness harness(shown, {140, 56}, 2);
        harness.press({70, 28});
        ui::expectMatchesGolden(harness.render(), c.name);
        harness.release({70, 28});
        ui::Harness untouched(shown, {140, 56}, 2);
        EXPECT_EQ(harness.render().compare(untouched.render(), 0).differingPixels, 0) << "the look returns on release";
    }
}

// Taps, presses and their ends, in the order the controls report them; disabled controls take none.
TEST(SharedControls, ReportTapsOnlyWhenEnabled) {
    const auto pill = [](bool withAction) {
        return [=](CaptureRig& r) -> ui::View {
            return PillButton{.text = "P",
                              .onPressStart = [&r] { r.record("pressStart"); },
                              .onPressEnd = [&r] { r.record("pressEnd"); },
                              .action = withAction ? std::function<void()>([&r] { r.record("action"); }) : nullptr};
        };
    };
    const auto icon = [](bool enabled, bool withAction) {
        return [=](CaptureRig& r) -> ui::View {
            return IconButton{"pin", enabled, withAction ? std::function<void()>([&r] { r.record("action"); }) : nullptr};
        };
    };
    const auto option = [](bool enabled) {
        return [=](CaptureRig& r) -> ui::View {
            return ModalOption{.label = "O",
                               .enabled = enabled,
                               .onPressStart = [&r] { r.record("pressStart"); },
                               .onPressEnd = [&r] { r.record("pressEnd"); },
                               .action = [&r] { r.record("action"); }};
        };
    };
    const auto close = [](CaptureRig& r) -> ui::View { return ModalCloseButton{.action = [&r] { r.record("action"); }}; };
    const auto appPlay = [](CaptureRig& r) -> ui::View { return AppPlayToggleButton{false, [&r] { r.record("action"); }}; };
    const auto header = [](bool withAction) {
        return [=](CaptureRig& r) -> ui::View {
            return View(ModalHeader{.title = "",
                                    .inlineActionTitle = "Reset",
                                    .onInlineAction = withAction ? std::function<void()>([&r] { r.record("inline"); }) : nullptr})
                .frame({.width = 60, .alignment = ui::Edge::leading});
        };
    };
    const std::vector<Step> tapInside = {click(50, 50)};
    expectCallbacks(pill(true), {{"pill with an action", tapInside, {"pressStart", "pressEnd", "action"}}});
    expectCallbacks(pill(false), {{"pill without an action", tapInside, {}}});
    expectCallbacks(icon(true, true), {{"icon button", tapInside, {"action"}}});
    expectCallbacks(icon(false, true), {{"disabled icon button", tapInside, {}}});
    expectCallbacks(icon(true, false), {{"icon button without an action", tapInside, {}}});
    expectCallbacks(option(true), {{"option", tapInside, {"pressStart", "pressEnd", "action"}}});
    expectCallbacks(option(false), {{"disabled option", tapInside, {}}});
    expectCallbacks(close, {{"close button", tapInside, {"action"}}});
    expectCallbacks(appPlay, {{"app play", tapInside, {"action"}}});
    expectCallbacks(header(true), {{"inline action", {click(40, 50)}, {"inline"}}});
    expectCallbacks(header(false), {{"inline title without an action", {click(40, 50)}, {}}});
}

// A disabled option inside a view that takes taps itself: the tap must not reach the enclosing view either.
TEST(SharedControls, DisabledOptionSwallowsTheTap) {
    int outer = 0, action = 0;
    ui::Harness harness(
        [&] {
            return View(ModalOption{.label = "O", .enabled = false, .action = [&] { ++action; }}).padding(10).onTapGesture([&] {
                ++outer;
            });
        },
        {120, 72});
    harness.click({60, 36});
    EXPECT_EQ(action, 0);
    EXPECT_EQ(outer, 0);
}

TEST(SharedControls, Sizes) {
    struct Case {
        const char* name;
        std::function<ui::View()> control;
        ui::Size size;
    };
    const Case cases[] = {
        {"an icon button is at least 40 x 40, 48 high with its air",
         [] {
             return View(IconButtonLabel{"pin", false});
         },
         {40, 48}},
        {"a modal option is at least 32 high",
         [] { return View(ModalOption{.label = "", .leadingSystemImage = "pin", .leadingSystemImageSize = 4}).frame({.width = 80}); },
         {80, 32}},
        {"inside ModalOptionFillHeight it takes the offered height",
         [] { return ModalOptionFillHeight{}(View(ModalOption{.label = "x"}).frame({.width = 80, .height = 20})); },
         {80, 20}},
        {"the close button is 30 high", [] { return View(ModalCloseButton{}); }, {0, 30}},
        {"the swing knob is labelWidth x 48", [] { return View(TopBarSwingKnob{.value = 60}); }, {36, 48}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::Harness harness([&] { return c.control().testId("c").fixedSize(); }, {400, 300});
        const ui::Rect f = harness.frame("c");
        if (c.size.width > 0) {
            EXPECT_DOUBLE_EQ(f.width, c.size.width);
        }
        EXPECT_DOUBLE_EQ(f.height, c.size.height);
    }
    ui::Harness alone([] { return View(ModalCloseButton{}).fixedSize(); }, {400, 100});
    ui::Harness inHeader([] { return View(ModalHeader{.title = "Notes pool", .onClose = [] {}}).frame({.width = 300}); }, {400, 100});
    EXPECT_DOUBLE_EQ(inHeader.frame("modal.close").width, alone.frame("modal.close").width)
        << "no rounding in the stack squeezes its text onto two lines";
}

TEST(ArmedTooltipModifier, DrawsOverNeighboursAndLetsTouchesThrough) {
    int neighbourTaps = 0;
    const auto row = [&](bool visible, double yOffset) {
        return [&, visible, yOffset] {
            const auto neighbour = [&] {
                return ui::color(soloYellowColor).frame({.width = 60, .height = 40}).onTapGesture([&] { ++neighbourTaps; });
            };
            return ui::hstack({.spacing = 0}, neighbour(),
                              ArmedTooltipModifier{"Pick a slot", visible,
                                                   yOffset}(ui::color(recordRedColor).frame({.width = 40, .height = 40}).testId("control")),
                              neighbour())
                .padding(40)
                .background(ui::color(editorBackgroundColor));
        };
    };
    struct Case {
        const char* name;
        double yOffset, dx, dy;  // a point from the control's top centre
        bool tooltipThere;
    };
    const Case cases[] = {
        {"over the later neighbour", 0, 28, 8, true},
        {"centred: over the earlier neighbour too", 0, -28, 8, true},
        {"30 above the control's top edge", 30, 0, -25, true},
        {"nothing above its top edge", 30, 0, -36, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::Harness shown(row(true, c.yOffset), {220, 120}), hidden(row(false, c.yOffset), {220, 120});
        const ui::Rect control = shown.frame("control");
        const ui::Point at{control.midX() + c.dx, control.minY() + c.dy};
        const auto pixel = [&](ui::Harness& h) { return h.render().pixel(static_cast<int>(at.x), static_cast<int>(at.y)); };
        EXPECT_EQ(pixel(shown) != pixel(hidden), c.tooltipThere);
    }
    ui::Harness shown(row(true, 0), {220, 120});
    const ui::Rect control = shown.frame("control");
    shown.click({control.maxX() + 8, control.minY() + 8});
    EXPECT_EQ(neighbourTaps, 1);
}

}  // namespace
}  // namespace pulvan::views
