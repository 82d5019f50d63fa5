#include "editor/views/modals/pattern_generator_303_modal.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/modals/pattern_generator_303_keys.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/modal_header.h"
#include "editor/views/shell/modal_option.h"
#include "editor/views/shell/modal_panel.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <cmath>

namespace pulvan::views {
namespace {

using L = PatternGenerator303Layout;
using store::PatternGenerator303Mode;
using store::SequencerStore;
using ui::Font;
using ui::FontWeight;
using ui::State;
using ui::View;

using Press = State<PatternGenerator303PressState>;

View divider() { return ui::rectangle().fill(themeBorderColor.opacity(0.55)).frame({.width = 1, .height = L::lowerRightHeight}); }

View modeButton(SequencerStore& store, const Press& press, std::string label, PatternGenerator303Mode mode, Color accent) {
    const bool current = store.patternGenerator303->mode == mode;
    return ui::View(SingleTouchTapButton{.enabled = true,
                                         .allowSecondaryTouches = true,
                                         .action =
                                             [&store, press, mode] {
                                                 press.set({});
                                                 store.setPatternGenerator303Mode(mode);
                                             },
                                         .label = ui::text(std::move(label))
                                                      .font(Font::system(12, FontWeight::bold))
                                                      .foregroundColor(current ? Color::black() : primaryTextColor)
                                                      .frame({.maxWidth = ui::infinity})
                                                      .frame({.height = L::topControlsHeight})
                                                      .background(ui::color(current ? accent.opacity(0.75) : controlBackgroundColor))
                                                      .overlay(ui::rectangle().stroke(themeBorderColor, 1))});
}

View topRow(SequencerStore& store, const Press& press, Color accent) {
    return ui::hstack({.alignment = ui::Edge::bottom, .spacing = L::layoutSpacing},
                      ui::hstack({.spacing = 0},
                                 modeButton(store, press, "PITCH", PatternGenerator303Mode::pitch, accent).testId("303.mode.pitch"),
                                 modeButton(store, press, "TIME", PatternGenerator303Mode::time, accent).testId("303.mode.time"))
                          .frame({.width = 2 * L::modeButtonWidth})
                          .overlay(ui::continuousRoundedRectangle(5).stroke(themeBorderColor, 1))
                          .clipShape(ui::shapes::continuousRoundedRectangle(5)),
                      ui::spacer(0),
                      ui::View(ModalOption{.label = "Clear pattern",
                                           .leadingSystemImageSize = 11,
                                           .pressHighlight = true,
                                           .allowSecondaryTouches = true,
                                           .action = [&store] { store.clearPatternGenerator303(); }})
                          .frame({.width = L::doubleColumnWidth, .height = L::topControlsHeight})
                          .testId("303.clear")
                          .frame({.width = L::lowerRightWidth, .alignment = ui::unit::leading}))
        .padding(ui::Edge::bottom, L::layoutSpacing);
}

View navigationPane(SequencerStore& store, const Press& press, Color accent) {
    const auto startShowingStep = [press] {
        press.modify([](PatternGenerator303PressState& p) { p.isNavigationStepStateVisible = true; });
    };
    const auto stopShowingStep = [press, &store] {
        press.modify([](PatternGenerator303PressState& p) { p.isNavigationStepStateVisible = false; });
        stopPatternGenerator303Audition(store);
    };
    const auto navigationOption = [](std::string label, std::function<void()> start, std::function<void()> end) {
        return ModalOption{.label = std::move(label),
                           .leadingSystemImageSize = 11,
                           .pressHighlight = true,
                           .allowSecondaryTouches = true,
                           .onPressStart = std::move(start),
                           .onPressEnd = std::move(end),
                           .action = [] {}};
    };
    return ui::vstack(
        {.spacing = L::keySpacing},
        ui::vstack({.spacing = 2},
                   ui::text(std::to_string(store.patternGenerator303->stepIndex + 1))
                       .font(Font::system(21, FontWeight::bold))
                       .foregroundColor(accent)
                       .testId("303.stepNumber"),
                   ui::text("/ " + std::to_string(store.patternGenerator303StepLimit()))
                       .font(Font::system(11, FontWeight::semibold))
                       .foregroundColor(secondaryTextColor)
                       .testId("303.stepLimit"))
            .frame({.width = L::navigationPaneWidth, .height = L::navigationControlHeight})
            .background(ui::color(controlBackgroundColor))
            .overlay(ui::continuousRoundedRectangle(4).stroke(themeBorderColor, 1))
            .clipShape(ui::shapes::continuousRoundedRectangle(4))
            .contentShape(ui::shapes::rectangle())
            .onTapGesture({.count = 2}, [&store](ui::Point) { store.patternGenerator303.modify([](auto& s) { s.stepIndex = 0; }); })
            .testId("303.stepIndicator"),
        ui::View(navigationOption(
                     "Back",
                     [&store, startShowingStep] {
                         startShowingStep();
                         store.patternGenerator303StepBack();
                         store.auditionPatternGenerator303Step();
                     },
                     stopShowingStep))
            .frame({.width = L::navigationPaneWidth, .height = L::navigationControlHeight})
            .testId("303.back"),
        ModalOptionFillHeight{}(ui::View(navigationOption(
                                    "Next",
                                    [&store, startShowingStep] {
                                        startShowingStep();
                                        store.auditionPatternGenerator303Step();
                                    },
                                    [&store, stopShowingStep] {
                                        stopShowingStep();
                                        store.patternGenerator303StepForward();
                                    })))
            .frame({.width = L::navigationPaneWidth, .height = L::keyHeight})
            .testId("303.next"));
}

}  // namespace

int PatternGenerator303VelocityControl::draggedValue(int start, double verticalTranslation) {
    const auto units = static_cast<int>(std::round(-verticalTranslation / L::velocityDragPixelsPerUnit));
    return std::clamp(start + units, 0, 127);
}

View PatternGenerator303VelocityControl::body(ui::BuildContext&) const {
    return ui::hstack({.spacing = 4}, ui::text(title + " " + std::to_string(value)).lineLimit(1).minimumScaleFactor(0.8),
                      ui::symbol("chevron.up.chevron.down").font(Font::system(8, FontWeight::semibold)).opacity(0.7))
        .font(Font::system(12, FontWeight::semibold))
        .foregroundColor(secondaryTextColor)
        .frame({.width = L::doubleColumnWidth, .height = L::topControlsHeight})
        .background(ui::color(controlBackgroundColor))
        .overlay(ui::rectangle().stroke(themeBorderColor, 1))
        .contentShape(ui::shapes::rectangle())
        .onDrag(
            {.minimumDistance = 0},
            [start = dragStartValue, value = value, setter = setter](const ui::DragValue& drag) {
                if (!start.get()) start.set(value);
                setter(draggedValue(**start, drag.translation().y));
            },
            [start = dragStartValue](const ui::DragValue&) { start.set(std::nullopt); });
}

double PatternGenerator303Modal::panelWidth(double modalViewportWidth) { return std::min(std::max(modalViewportWidth, 360.0), 940.0); }

View PatternGenerator303Modal::body(ui::BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    context.observe(store.didChange);
    const Color accent = context.env<KezAccentKey>();
    const Press press = context.state<PatternGenerator303PressState>();
    const auto noAccentDragStart = context.state<std::optional<int>>();
    const auto accentDragStart = context.state<std::optional<int>>();
    const auto& state = store.patternGenerator303.get();
    const auto display = PatternGenerator303Display::of(state, *press);

    const View attributePane = ui::vstack(
        {.alignment = ui::Edge::leading, .spacing = 0},
        ui::hstack({.spacing = L::keySpacing},
                   PatternGenerator303VelocityControl{.title = "No accent",
                                                      .value = state.noAccentVelocity,
                                                      .dragStartValue = noAccentDragStart,
                                                      .setter = [&store](int v) { store.setPatternGenerator303NoAccentVelocity(v); }}
                       .testId("303.velocity.noAccent"),
                   PatternGenerator303VelocityControl{.title = "Accent",
                                                      .value = state.accentVelocity,
                                                      .dragStartValue = accentDragStart,
                                                      .setter = [&store](int v) { store.setPatternGenerator303AccentVelocity(v); }}
                       .testId("303.velocity.accent"))
            .frame({.width = L::rightPaneWidth, .alignment = ui::unit::leading}),
        ui::spacer(0).frame({.height = std::max(0.0, L::lowerRightHeight - (L::topControlsHeight + L::keyHeight + L::attributeLabelHeight +
                                                                            L::attributeLabelSpacing))}),
        PatternGenerator303Attributes{.display = display, .press = press}.frame(
            {.width = L::rightPaneWidth, .alignment = ui::unit::leading}));

    const View lowerRow =
        ui::hstack({.alignment = ui::Edge::bottom, .spacing = L::keyboardToControlsSpacing},
                   ui::geometryReader([display, press](const ui::GeometryProxy& proxy) {
                       return PatternGenerator303Keyboard{.width = proxy.size().width, .display = display, .press = press}.asView();
                   })
                       .frame({.height = 2 * L::keyHeight + L::keySpacing})
                       .padding(ui::Edge::vertical, L::keyboardAreaPadding)
                       .frame({.maxWidth = ui::infinity, .alignment = ui::unit::leading}),
                   divider().padding(ui::Edge::bottom, L::keyboardAreaPadding),
                   ui::hstack({.alignment = ui::Edge::bottom, .spacing = L::layoutSpacing}, attributePane, divider(),
                              navigationPane(store, press, accent))
                       .padding(ui::Edge::bottom, L::keyboardAreaPadding));

    return ModalPanel{.width = panelWidth(context.env<KezModalViewportWidthKey>()),
                      .background = panelBackgroundColor,
                      .borderColor = themeBorderColor,
                      .content = {ui::vstack({.alignment = ui::Edge::leading, .spacing = L::layoutSpacing},
                                             ModalHeader{.title = "Pattern generator : 303",
                                                         .inlineActionColor = secondaryTextColor,
                                                         .inlineActionFontSize = 11,
                                                         .onClose = [&store] { store.closePatternGenerator303Modal(); }},
                                             topRow(store, press, accent), lowerRow)}};
}

}  // namespace pulvan::views
