#include "editor/views/main/sidebar.h"

#include "editor/views/shell/active_track.h"
#include "editor/views/shell/modal_host.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "editor/views/shell/track_toggle_label.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"

#include <algorithm>
#include <string>

namespace pulvan::views {

using namespace ui;
using model::LaneKind;
using store::KezModal;
using store::SequencerStore;

namespace {

constexpr Color selectedOutlineColor = makeSRGBColor(0.4, 0.4, 0.4);

View laneNameText(const std::string& name, Color colour) {
    return text(name).font(Font::system(13, FontWeight::semibold)).tracking(1.2).foregroundColor(colour);
}

View laneSelectorButton(SequencerStore& store, const model::Track* track, LaneKind k) {
    const bool selected = store.activeLane.get() == k;
    const Color labelColour = selected ? primaryTextColor : secondaryTextColor;
    const std::string name(model::displayName(k));
    View label = laneNameText(name, labelColour);
    if (k == LaneKind::ccA || k == LaneKind::ccB) {
        const int number = std::clamp(track ? (k == LaneKind::ccA ? track->ccA : track->ccB) : 0, 0, 127);
        label = hstack({.alignment = Edge::firstTextBaseline, .spacing = 6}, label,
                       text(std::to_string(number))
                           .font(Font::system(11, FontWeight::medium))
                           .foregroundColor(labelColour.opacity(selected ? 0.65 : 0.55)));
    }
    return View(SingleTouchTapButton{
                    .allowSecondaryTouches = true,
                    .action = [s = &store, k] { s->activeLane.set(k); },
                    .label =
                        label.lineLimit(1)
                            .fixedSize()
                            .padding({.top = 4, .leading = 8, .bottom = 4, .trailing = 8})
                            .frame({.maxWidth = infinity, .alignment = unit::leading})
                            .overlay(
                                roundedRectangle(5).stroke(selected ? selectedOutlineColor : Color::clear(), 1).padding(Edge::trailing, 6)),
                })
        .testId("lane-" + std::string(model::rawValue(k)));
}

bool performancePinned(const SequencerStore& store) { return store.forcePinnedPerformanceDialog || store.pinPerformanceDialog().get(); }

View flashButton(SequencerStore& store, State<bool> pressed) {
    SequencerStore* s = &store;
    const auto pressStart = [s, pressed] {
        if (pressed.get()) return;
        pressed.set(true);
        const bool open = s->activeModal().get() == KezModal::performance;
        s->setActiveModal(performancePinned(*s) && open ? std::nullopt : std::optional(KezModal::performance));
    };
    const auto pressEnd = [s, pressed] {
        if (!pressed.get()) return;
        pressed.set(false);
        if (!performancePinned(*s) && s->activeModal().get() == KezModal::performance) s->setActiveModal(std::nullopt);
    };
    return symbol("bolt")
        .font(Font::system(34, FontWeight::light))
        .foregroundColor(pressed.get() ? Color::black() : secondaryTextColor)
        .frame({.width = 72, .height = 72})
        .background(color(pressed.get() ? globalAccentColor().opacity(0.7) : controlBackgroundColor))
        .overlay(roundedRectangle(6).stroke(themeBorderColor, 1))
        .clipShape(shapes::roundedRectangle(6))
        .contentShape(shapes::rectangle())
        .overlay(FlashHoldCapture{.onPressStart = pressStart, .onPressEnd = pressEnd})
        .anchorPreference<ModalAnchorKey>(modalAnchor(KezModal::performance))
        .testId("flash");
}

}  // namespace

View LaneLabel::body(BuildContext&) const {
    return laneNameText(text, secondaryTextColor).frame({.maxWidth = infinity, .alignment = unit::leading}).padding(Edge::horizontal, 8);
}

View Sidebar::body(BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    context.observe(store.didChange);
    const auto flashPressed = context.state<bool>(false);
    const model::Track* track = activeTrack(store);
    SequencerStore* s = &store;

    const View muteSolo = hstack({.alignment = Edge::center, .spacing = 8},
                                 View(SingleTouchTapButton{.allowSecondaryTouches = true,
                                                           .action = [s] { s->toggleTrackMute(s->activeTrackIndex.get()); },
                                                           .label = trackToggleLabel("M", track && track->mute, recordRedColor)})
                                     .testId("mute"),
                                 View(SingleTouchTapButton{.allowSecondaryTouches = true,
                                                           .action = [s] { s->toggleTrackSolo(s->activeTrackIndex.get()); },
                                                           .label = trackToggleLabel("S", track && track->solo, soloYellowColor)})
                                     .testId("solo"));

    Views selector;
    for (LaneKind k : selectableLanes) selector.push_back(laneSelectorButton(store, track, k));

    return vstack({.alignment = Edge::leading, .spacing = 14},
                  muteSolo.frame({.maxWidth = infinity, .alignment = unit::leading})
                      .padding(Edge::leading, 8)
                      .frame({.height = 25})
                      .padding(Edge::bottom, 16),
                  LaneLabel{.text = "GATE"}.frame({.height = 25}), LaneLabel{.text = "HOLD/LEGATO"}.frame({.height = 25}),
                  color(Color::clear()).frame({.height = 20}),
                  // The rows in this typeface leave no room for the spacer's gaps: the flash button is held to
                  // the block's foot, level with the tall lane's, instead of being pushed past it.
                  vstackOf({.alignment = Edge::leading, .spacing = 8}, std::move(selector))
                      .frame({.height = 292, .alignment = unit::top})
                      .overlay(flashButton(store, flashPressed).padding({.leading = 8, .bottom = 4, .trailing = 6}), unit::bottomLeading)
                      .padding(Edge::top, -4),
                  LaneLabel{.text = "PAGES"}.frame({.height = 25}).padding(Edge::top, 30),
                  LaneLabel{.text = "PATTERNS"}.frame({.height = 25}).padding(Edge::top, 10));
}

}  // namespace pulvan::views
