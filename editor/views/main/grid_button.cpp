#include "editor/views/main/grid_button.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/shell/dropdown_keys.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;

View gridCellFrame(View content, std::optional<double> width) {
    if (width) return content.frame({.maxHeight = infinity}).frame({.width = *width});
    return content.frame({.maxWidth = infinity, .maxHeight = infinity});
}

namespace {

View gridLabel(View content, bool lit) {
    return content.lineLimit(1).font(Font::system(12, FontWeight::semibold)).foregroundColor(lit ? Color::black() : secondaryTextColor);
}

View progressBar(double progress, Color colour) {
    return geometryReader([progress, colour](const GeometryProxy& proxy) {
        return rectangle().fill(colour).frame({.width = proxy.size().width * progress, .height = proxy.size().height});
    });
}

}  // namespace

View GridButton::body(BuildContext& context) const {
    const Color accent = context.env<KezAccentKey>();
    const auto pressing = context.state<bool>(false);
    const bool pressedLit = !active && !progress && pressHighlight && pressing.get();
    const bool lit = progress || active || pressedLit;

    View fill;
    if (progress) fill = progressBar(std::clamp(*progress, 0.0, 1.0), accent.opacity(0.7));
    else if (active) fill = color(activeColor ? activeColor->opacity(0.7) : accent.opacity(0.5));
    else if (pressedLit) fill = color(pressColor ? pressColor->opacity(0.5) : accent.opacity(0.5));

    const View content = systemIcon ? symbol(*systemIcon) : label ? text(*label) : View();
    View cell = gridCellFrame(gridLabel(content, lit), width)
                    .background(zstack({.alignment = unit::leading}, color(controlBackgroundColor), fill), unit::leading)
                    .overlay(rectangle().stroke(themeBorderColor, 1));
    if (topIndicatorColor)
        cell = cell.overlay(rectangle().fill(*topIndicatorColor).frame({.height = 1}).padding(Edge::horizontal, 1), unit::top);
    if (presenceIndicatorColor)
        cell = cell.overlay(rectangle().fill(*presenceIndicatorColor).frame({.height = 1}).padding(Edge::horizontal, 3), unit::bottom);

    return SingleTouchTapButton{
        .allowSecondaryTouches = true,
        .onPressStart = pressHighlight ? [pressing] { pressing.set(true); } : std::function<void()>{},
        .onPressEnd = pressHighlight ? [pressing] { pressing.set(false); } : std::function<void()>{},
        .action = action,
        .label = cell,
    };
}

View GridMenu::body(BuildContext& context) const {
    const Color accent = context.env<KezAccentKey>();
    auto& store = context.object<store::SequencerStore>();
    const auto anchorID = context.state<foundation::Uuid>(foundation::Uuid::random());

    const auto open = [s = &store, anchor = anchorID.get(), options = options, current = current, onSelect = onSelect] {
        store::DropdownRequest request{.anchorID = anchor, .vertical = false};
        for (const MenuOption& option : options)
            request.items.push_back({.label = option.label,
                                     .active = option.value == current,
                                     .highlight = option.value == 0,
                                     .action = [onSelect, value = option.value] { onSelect(value); }});
        s->dropdown.set(std::move(request));
    };
    const View cell = gridCellFrame(gridLabel(text(label), active), width)
                          .background(color(active ? accent.opacity(0.5) : controlBackgroundColor))
                          .overlay(rectangle().stroke(themeBorderColor, 1));
    return View(SingleTouchTapButton{.allowSecondaryTouches = true, .action = open, .label = cell})
        .anchorPreference<DropdownAnchorKey>(dropdownAnchor(anchorID.get()));
}

}  // namespace pulvan::views
