#include "editor/views/main/patterns_row.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/main/blink_timeline.h"
#include "editor/views/main/grid_button.h"
#include "editor/views/main/playhead_reader.h"
#include "editor/views/main/step_strip.h"
#include "editor/views/shell/active_track.h"
#include "editor/views/shell/armed_tooltip.h"
#include "editor/views/shell/dropdown_keys.h"
#include "editor/views/shell/launch_resolution.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"

#include <algorithm>
#include <optional>

namespace pulvan::views {

using namespace ui;
using store::KezModal;
using store::SequencerStore;

namespace {

void tapPatternSlot(SequencerStore& s, int p) {
    if (s.patternCopyToActive().get()) {
        if (!s.pastePattern(s.clampedActiveTrackIndex(), p, true)) return;
        s.setPatternCopyToActive(false);
        s.restartPatternArmTimeout();
    } else if (s.patternSwapWithActive().get()) {
        s.swapPatterns(p);
        s.setPatternSwapWithActive(false);
        s.restartPatternArmTimeout();
    } else {
        s.launchPattern(p);
    }
}

// While copy or swap waits for a target (blink set) the blinking views keep one opacity group, so a blink
// leaves their presses alone; otherwise they draw without one.
View blinking(View view, std::optional<bool> blink, bool applies = true) {
    if (!blink) return view;
    return view.opacity(applies && *blink ? PatternsRow::armedOpacity : 1.0);
}

View patternSlot(SequencerStore& store, int p, double c, std::optional<bool> blink) {
    const int track = store.clampedActiveTrackIndex();
    const GridButton button{
        .label = std::to_string(p + 1),
        .active = p == store.activePatternIndex(),
        .width = c,
        .presenceIndicatorColor = store.isPatternEmpty(track, p) ? Color::clear() : activeAccent(store),
        .action = [s = &store, p] { tapPatternSlot(*s, p); },
    };
    // Only the launch progress follows the playhead: the slot drawn with it lies over the slot while a
    // launch waits and takes no space otherwise, so a tick repaints no idle slot.
    const View launch = PlayheadReader<std::optional<double>>{
        .value = [p](const SequencerStore& s) { return s.patternLaunchProgress(p); },
        .content =
            [button](const std::optional<double>& progress) {
                if (!progress) return View();
                GridButton shown = button;
                shown.progress = progress;
                return View(shown);
            },
    };
    return blinking(View(button).overlay(launch), blink).testId("pattern-" + std::to_string(p + 1));
}

View launchResolutionButton(SequencerStore& store, foundation::Uuid anchor, double c) {
    const int current = store.preset->patternLaunchResolution;
    const auto open = [s = &store, anchor, current, c] {
        store::DropdownRequest request{.anchorID = anchor, .vertical = true, .width = std::max(1.0, 2 * c - 28), .opensUpward = true};
        request.items = launchResolutionItems(current, [s](int v) { s->setPatternLaunchResolution(v); });
        s->dropdown.set(std::move(request));
    };
    const View label = hstack({.alignment = Edge::center, .spacing = 8}, launchResolutionText(current),
                              symbol("chevron.down").foregroundColor(primaryTextColor))
                           .padding(Edge::horizontal, 10)
                           .frame({.maxHeight = infinity})
                           .frame({.width = std::max(0.0, 2 * c - 28), .alignment = unit::leading})
                           .background(color(controlBackgroundColor))
                           .overlay(continuousRoundedRectangle(4).stroke(themeBorderColor, 1));
    return View(SingleTouchTapButton{.allowSecondaryTouches = true, .action = open, .label = label})
        .anchorPreference<DropdownAnchorKey>(dropdownAnchor(anchor))
        .testId("launch-resolution");
}

View armButton(const char* label, bool armed, std::optional<bool> blink, double c, std::function<void()> action) {
    const View button = blinking(GridButton{.label = label,
                                            .active = armed,
                                            .activeColor = systemRedColor,
                                            .pressHighlight = true,
                                            .width = c,
                                            .action = std::move(action)},
                                 blink, armed);
    return ArmedTooltipModifier{.text = "Select the target pattern", .visible = armed, .yOffset = 35}(button).testId(label);
}

View patternsContent(SequencerStore& store, foundation::Uuid anchor, double c, std::optional<bool> blink) {
    SequencerStore* s = &store;
    Views row;
    for (int p = 0; p < 8; ++p) row.push_back(patternSlot(store, p, c, blink));
    row.push_back(spacer(0).frame({.width = 14}));
    row.push_back(launchResolutionButton(store, anchor, c));
    row.push_back(spacer(0).frame({.width = 14}));
    row.push_back(GridButton{.label = "x0x",
                             .active = store.activeModal().get() == KezModal::patternGenerator303,
                             .width = c,
                             .action = [s] { s->togglePatternGenerator303Modal(); }}
                      .testId("x0x")
                      .frame({.width = 2 * c}));
    row.push_back(armButton("Copy", store.patternCopyToActive().get(), blink, c, [s] { s->armPatternCopy(); }));
    row.push_back(armButton("Swap", store.patternSwapWithActive().get(), blink, c, [s] { s->armPatternSwap(); }));
    // Two columns wide, so the row ends with the lanes' last column.
    row.push_back(GridButton{.label = "Clear", .width = 2 * c, .action = [s] { s->presentClearPatternDialog(); }}.testId("Clear"));
    return hstackOf({.alignment = Edge::center, .spacing = 0}, std::move(row));
}

}  // namespace

View PatternsRow::body(BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    context.observe(store.didChange);
    const auto anchor = context.state<foundation::Uuid>(foundation::Uuid::random());
    SequencerStore* s = &store;
    const bool armed = store.patternCopyToActive().get() || store.patternSwapWithActive().get();

    return GridLane{.content = [s, anchor = anchor.get(), armed](double c) -> View {
               if (!armed) return patternsContent(*s, anchor, c, std::nullopt);
               return BlinkTimeline{.armed = true, .content = [s, anchor, c](bool on) { return patternsContent(*s, anchor, c, on); }};
           }}
        .frame({.height = 25});
}

}  // namespace pulvan::views
