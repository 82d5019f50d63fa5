#include "editor/views/modals/pattern_generator_303_keys.h"

#include "editor/views/shell/dot_texture.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/modal_option.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

#include <algorithm>

namespace pulvan::views {
namespace {

using L = PatternGenerator303Layout;
using store::SequencerStore;
using ui::Font;
using ui::FontWeight;
using ui::State;
using ui::View;

struct KeyFace {
    std::string label;
    bool highlighted = false;
    bool isPitchMode = true;
    double width = 0;
    Color accent;

    View view() const {
        const Color textColor = highlighted || isPitchMode ? primaryTextColor : secondaryTextColor;
        return ui::text(label)
            .lineLimit(1)
            .font(Font::system(12, FontWeight::semibold))
            .foregroundColor(textColor)
            .frame({.width = width, .height = L::keyHeight})
            .background(ui::zstack({}, ui::color(isPitchMode ? controlBackgroundColor : controlBackgroundColor.opacity(0.55)),
                                   highlighted ? DotTexture{accent, 3, 1.3} : View()))
            .overlay(ui::continuousRoundedRectangle(4).stroke(highlighted ? accent : themeBorderColor, 1))
            .clipShape(ui::shapes::continuousRoundedRectangle(4));
    }
};

bool inPitchMode(const SequencerStore& store) { return store.patternGenerator303->mode == store::PatternGenerator303Mode::pitch; }

View key(SequencerStore& store, const State<PatternGenerator303PressState>& press, int value, KeyFace face) {
    const bool isPitchMode = face.isPitchMode;
    return ui::View(SingleTouchTapButton{.enabled = true,
                                         .allowSecondaryTouches = true,
                                         .onPressStart =
                                             [&store, press, value] {
                                                 if (!inPitchMode(store)) return;
                                                 press.modify([value](PatternGenerator303PressState& p) {
                                                     p.isPitchEntryPressing = true;
                                                     p.pressedPitchClass = value;
                                                 });
                                                 store.auditionPatternGenerator303Key(value);
                                             },
                                         .onPressEnd =
                                             [&store, press] {
                                                 if (!inPitchMode(store)) return;
                                                 press.modify([](PatternGenerator303PressState& p) {
                                                     p.isPitchEntryPressing = false;
                                                     p.pressedPitchClass.reset();
                                                 });
                                                 stopPatternGenerator303Audition(store);
                                             },
                                         .action =
                                             [&store, press, value] {
                                                 if (!inPitchMode(store)) return;
                                                 store.setPatternGenerator303Pitch(value, !press->isNavigationStepStateVisible);
                                             },
                                         .label = face.view()})
        .allowsHitTesting(isPitchMode);
}

// A labelled attribute button: a ModalOption filling its column at key height.
View attributeButton(ModalOption option) {
    return ModalOptionFillHeight{}(ui::View(std::move(option))).frame({.width = L::attributeColumnWidth, .height = L::keyHeight});
}

View timeButton(SequencerStore& store, const State<PatternGenerator303PressState>& press, const PatternGenerator303Display& display,
                std::string label, int value) {
    return attributeButton(
        {.label = std::move(label),
         .leadingSystemImageSize = 11,
         .active = display.isTimeValueHighlighted(value),
         .activeUsesDotTexture = true,
         .pressHighlight = true,
         .allowSecondaryTouches = true,
         .onPressStart =
             [press, value] {
                 press.modify([value](PatternGenerator303PressState& p) {
                     p.isTimeEntryPressing = true;
                     p.pressedTimeState = value;
                 });
             },
         .onPressEnd =
             [press] {
                 press.modify([](PatternGenerator303PressState& p) {
                     p.isTimeEntryPressing = false;
                     p.pressedTimeState.reset();
                 });
             },
         .action = [&store, press, value] { store.setPatternGenerator303Time(value, !press->isNavigationStepStateVisible); }});
}

View pitchAttributeButton(std::string label, bool active, std::function<void()> action) {
    return attributeButton({.label = std::move(label),
                            .leadingSystemImageSize = 11,
                            .active = active,
                            .activeUsesDotTexture = true,
                            .pressHighlight = true,
                            .allowSecondaryTouches = true,
                            .action = std::move(action)});
}

}  // namespace

double PatternGenerator303Layout::keyWidth(double keyboardWidth) {
    constexpr double n = 8;
    return std::max(24.0, (keyboardWidth - keySpacing * (n - 1)) / n);
}

View PatternGenerator303Keyboard::body(ui::BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    const Color accent = context.env<KezAccentKey>();
    const double w = L::keyWidth(width);
    const auto face = [&](std::string label, int value) {
        return KeyFace{std::move(label), display.isPitchMode && display.highlightedPitchKey == value, display.isPitchMode, w, accent};
    };
    ui::Views blackKeys, whiteKeys;
    for (int slot = 0; slot < 8; ++slot) {
        const auto& [whiteLabel, whiteValue] = whiteKeyPitchClasses[static_cast<std::size_t>(slot)];
        const auto black = blackKeyPitchClasses[static_cast<std::size_t>(slot)];
        blackKeys.push_back((black ? key(store, press, *black, face(semitones[static_cast<std::size_t>(*black % 12)], *black))
                                         .testId("303.key." + std::to_string(*black))
                                   : ui::color(Color::clear()).frame({.width = w, .height = L::keyHeight}))
                                .id(slot));
        whiteKeys.push_back(key(store, press, whiteValue, face(display.isPitchMode ? whiteLabel : std::to_string(slot + 1), whiteValue))
                                .testId("303.key." + std::to_string(whiteValue))
                                .id(slot));
    }
    return ui::zstack({.alignment = ui::unit::topLeading}, ui::hstackOf({.spacing = L::keySpacing}, std::move(blackKeys)).offset(w / 2, 0),
                      ui::hstackOf({.spacing = L::keySpacing}, std::move(whiteKeys)).offset(0, L::keyHeight + L::keySpacing));
}

View PatternGenerator303Attributes::body(ui::BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    const Color accent = context.env<KezAccentKey>();
    const bool pitch = display.isPitchMode;
    const std::array<std::string, 4> labels =
        pitch ? std::array<std::string, 4>{"DOWN", "UP", "ACCENT", "SLIDE"} : std::array<std::string, 4>{"GATE", "HOLD", "REST", ""};
    ui::Views labelCells;
    for (const std::string& label : labels) {
        labelCells.push_back(label.empty()
                                 ? ui::color(Color::clear()).frame({.width = L::attributeColumnWidth, .height = L::attributeLabelHeight})
                                 : ui::text(label)
                                       .font(Font::system(12, FontWeight::bold))
                                       .foregroundColor(accent)
                                       .lineLimit(1)
                                       .frame({.width = L::attributeColumnWidth, .height = L::attributeLabelHeight}));
    }
    const auto& step = display.currentPitchStep;
    const bool shows = display.showsCurrentStep;
    ui::Views buttons;
    if (pitch) {
        buttons = {pitchAttributeButton("↓", shows && step.octave == -1,
                                        [&store] {
                                            store.updatePatternGenerator303State([&store](store::PatternGenerator303State& s) {
                                                store.togglePatternGenerator303OctaveDown(s);
                                            });
                                        })
                       .testId("303.attribute.down"),
                   pitchAttributeButton("↑", shows && step.octave == 1,
                                        [&store] {
                                            store.updatePatternGenerator303State([&store](store::PatternGenerator303State& s) {
                                                store.togglePatternGenerator303OctaveUp(s);
                                            });
                                        })
                       .testId("303.attribute.up"),
                   pitchAttributeButton("A", shows && step.accent, [&store] { store.togglePatternGenerator303Accent(); })
                       .testId("303.attribute.accent"),
                   pitchAttributeButton("S", shows && step.slide, [&store] {
                       store.togglePatternGenerator303Slide();
                   }).testId("303.attribute.slide")};
    } else {
        buttons = {timeButton(store, press, display, "●", 1).testId("303.time.1"),
                   timeButton(store, press, display, "○", 2).testId("303.time.2"),
                   timeButton(store, press, display, "—", 0).testId("303.time.0"),
                   attributeButton({.label = "·", .leadingSystemImageSize = 11, .enabled = false, .allowSecondaryTouches = true})
                       .opacity(0)
                       .allowsHitTesting(false)};
    }
    return ui::vstack({.alignment = ui::Edge::leading, .spacing = L::attributeLabelSpacing},
                      ui::hstackOf({.spacing = L::keySpacing}, std::move(labelCells)),
                      ui::hstackOf({.spacing = L::keySpacing}, std::move(buttons)));
}

}  // namespace pulvan::views
