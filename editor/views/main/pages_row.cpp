#include "editor/views/main/pages_row.h"

#include "editor/model/resolution.h"
#include "editor/store/sequencer_store.h"
#include "editor/views/main/grid_button.h"
#include "editor/views/main/playhead_reader.h"
#include "editor/views/main/step_strip.h"
#include "editor/views/shell/active_track.h"
#include "editor/views/shell/armed_tooltip.h"
#include "editor/views/shell/dropdown_keys.h"
#include "editor/views/shell/dropdown_panel.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;
using store::LastStepMode;
using store::SequencerStore;

namespace {

View pageButton(SequencerStore& store, int p, double c) {
    SequencerStore* s = &store;
    // Only the playhead mark follows the playhead; it takes no space off the playhead's page, so a tick
    // repaints none of the row.
    const View playheadMark = PlayheadReader<bool>{
        .value = [p](const SequencerStore& st) { return st.playheadPageIndex() == p; },
        .content =
            [](const bool& playing) {
                return playing ? rectangle().fill(primaryTextColor.opacity(0.2)).frame({.height = 1}).padding(Edge::horizontal, 1) : View();
            },
    };
    return View(GridButton{
                    .label = std::to_string(p + 1),
                    .active = p == store.activePageIndex(),
                    .width = c,
                    .presenceIndicatorColor = store.isPageInUse(p) ? activeAccent(store) : Color::clear(),
                    .action = [s, p] { s->selectPage(p); },
                })
        .overlay(playheadMark, unit::top)
        .testId("page-" + std::to_string(p + 1));
}

View lastStepButton(SequencerStore& store, const char* label, LastStepMode mode, const char* tooltip, double c) {
    SequencerStore* s = &store;
    const bool armed = store.lastStepMode.get() == mode;
    return ArmedTooltipModifier{.text = tooltip, .visible = armed, .yOffset = 35}(GridButton{
                                                                                      .label = label,
                                                                                      .active = armed,
                                                                                      .pressColor = globalAccentColor(),
                                                                                      .width = c,
                                                                                      .action = [s, mode] { s->toggleLastStepMode(mode); },
                                                                                  })
        .testId(label);
}

const PatternDirectionEntry& directionEntry(model::PatternDirection direction) {
    const auto* entry =
        std::find_if(patternDirections.begin(), patternDirections.end(), [&](const auto& e) { return e.direction == direction; });
    return entry == patternDirections.end() ? patternDirections.front() : *entry;
}

// Two columns wide, so the row ends with the lanes' last column.
View directionButton(SequencerStore& store, foundation::Uuid anchor, double c) {
    const model::PatternDirection current = store.activePatternDirection();
    const auto open = [s = &store, anchor, current, c] {
        store::DropdownRequest request{.anchorID = anchor, .vertical = true, .opensUpward = true};
        for (const PatternDirectionEntry& e : patternDirections)
            request.items.push_back({.label = std::string(e.glyph) + "   " + e.name,
                                     .active = e.direction == current,
                                     .action = [s, d = e.direction] { s->setPatternDirection(d); }});
        // The names stay whole where the typeface needs more than max(120, c + 44).
        request.width = verticalListWidthFitting(request.items, std::max(120.0, c + 44));
        s->dropdown.set(std::move(request));
    };
    const View label = hstack({.spacing = 4}, text(directionEntry(current).glyph).font(Font::system(14, FontWeight::bold)).lineLimit(1),
                              symbol("chevron.down").font(Font::system(10, FontWeight::semibold)))
                           .foregroundColor(secondaryTextColor)
                           .frame({.maxHeight = infinity})
                           .frame({.width = 2 * c})
                           .background(color(controlBackgroundColor))
                           .overlay(rectangle().stroke(themeBorderColor, 1));
    return View(SingleTouchTapButton{.allowSecondaryTouches = true, .action = open, .label = label})
        .anchorPreference<DropdownAnchorKey>(dropdownAnchor(anchor))
        .testId("direction");
}

View resolutionButton(SequencerStore& store, foundation::Uuid anchor, State<bool> pressed, double c) {
    const int current = store.activePatternResolution();
    const auto open = [s = &store, anchor, current] {
        store::DropdownRequest request{.anchorID = anchor, .vertical = false, .opensUpward = true, .gridColumns = 6};
        for (int code : patternResolutions)
            request.items.push_back(
                {.label = model::resolutionLabel(code), .active = code == current, .action = [s, code] { s->setPatternResolution(code); }});
        s->dropdown.set(std::move(request));
    };
    const View label = text(model::resolutionLabel(current))
                           .font(Font::system(12, FontWeight::semibold))
                           .foregroundColor(pressed.get() ? Color::black() : secondaryTextColor)
                           .frame({.maxHeight = infinity})
                           .frame({.width = std::max(0.0, 2 * c - 28)})
                           .background(color(pressed.get() ? globalAccentColor().opacity(0.5) : controlBackgroundColor))
                           .overlay(rectangle().stroke(themeBorderColor, 1));
    return View(SingleTouchTapButton{.allowSecondaryTouches = true,
                                     .onPressStart = [pressed] { pressed.set(true); },
                                     .onPressEnd = [pressed] { pressed.set(false); },
                                     .action = open,
                                     .label = label})
        .anchorPreference<DropdownAnchorKey>(dropdownAnchor(anchor))
        .testId("resolution");
}

View toolButton(const char* label, double c, std::function<void()> action) {
    return GridButton{.label = label, .width = c, .action = std::move(action)}.testId(label);
}

}  // namespace

View PagesRow::body(BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    context.observe(store.didChange);
    const auto directionAnchor = context.state<foundation::Uuid>(foundation::Uuid::random());
    const auto resolutionAnchor = context.state<foundation::Uuid>(foundation::Uuid::random());
    const auto resolutionPressed = context.state<bool>(false);
    SequencerStore* s = &store;

    return GridLane{.content = [s, directionAnchor = directionAnchor.get(), resolutionAnchor = resolutionAnchor.get(),
                                resolutionPressed](double c) -> View {
               return hstack({.alignment = Edge::center, .spacing = 0}, pageButton(*s, 0, c), pageButton(*s, 1, c), pageButton(*s, 2, c),
                             pageButton(*s, 3, c), lastStepButton(*s, "Last A", LastStepMode::all, "Select the last step for all lanes", c),
                             lastStepButton(*s, "Last L", LastStepMode::single, "Select the last step for one lane", c),
                             directionButton(*s, directionAnchor, c), spacer(0).frame({.width = 14}),
                             resolutionButton(*s, resolutionAnchor, resolutionPressed, c), spacer(0).frame({.width = 14}),
                             toolButton("x2", c, [s] { s->doublePatternLength(); }), toolButton("/2", c, [s] { s->halvePatternLength(); }),
                             toolButton("\u2191", c, [s] { s->shiftNotes(+1); }), toolButton("\u2193", c, [s] { s->shiftNotes(-1); }),
                             toolButton("\u2190", c, [s] { s->rotatePattern(true); }),
                             toolButton("\u2192", c, [s] { s->rotatePattern(false); }));
           }}
        .frame({.height = 25});
}

}  // namespace pulvan::views
