#include "editor/views/shell/dropdown_panel.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/shell/dropdown_entry.h"
#include "editor/views/shell/dropdown_keys.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/preferences.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/text.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace pulvan::views {

using namespace ui;
using foundation::Uuid;

namespace {

constexpr double verticalListCap = 420;
// A wheel notch moves a long list by three entries, not by a line of text.
constexpr double entriesPerWheelLine = 3;
constexpr double entryPitch = 29 + 2;

// Reports the natural width of a row or grid; it scrolls sideways once that exceeds maxWidth.
View scrollingSideways(View entries, double maxWidth, double contentWidth) {
    const View measured = entries.fixedSize().background(geometryReader(
        [](const GeometryProxy& proxy) { return color(Color::clear()).preference<DropdownContentWidthKey>(proxy.size().width); }));
    if (maxWidth > 0 && maxWidth < contentWidth)
        return scrollView({.axis = ScrollAxis::horizontal, .showsIndicators = false}, measured).frame({.width = maxWidth});
    return measured;
}

}  // namespace

double verticalListWidthFitting(const std::vector<store::DropdownItem>& items, double minimum) {
    TextStyle style;
    style.font = Font::system(13, FontWeight::semibold);
    double widest = 0;
    for (const store::DropdownItem& i : items)
        widest = std::max(widest, TextEngine::shared().layout(i.label, style, std::nullopt)->size().width);
    // The entry's 10-point insets and the panel's 3-point padding on each side.
    return std::max(minimum, std::ceil(widest) + 2 * 10 + 2 * 3);
}

double estimatedVerticalListHeight(const std::vector<store::DropdownItem>& items) {
    const auto count = static_cast<double>(items.size());
    const auto separators =
        static_cast<double>(std::count_if(items.begin(), items.end(), [](const store::DropdownItem& i) { return i.isSeparator; }));
    return 29 * count + 7 * separators + 2 * std::max(count - 1, 0.0);
}

View DropdownPanel::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    const auto contentWidth = context.state<double>(0);
    const auto pressedItemID = context.state<std::optional<Uuid>>();
    const auto r = std::make_shared<const store::DropdownRequest>(request);

    const auto choose = [&store, r, pressedItemID](std::size_t index) {
        const store::DropdownItem& item = r->items[index];
        if (item.disabled) return;
        pressedItemID.set(std::nullopt);
        if (!r->sticky) store.dropdown.set(std::nullopt);
        if (item.action) item.action();
    };
    const auto remove = [&store, r, pressedItemID](std::size_t index) {
        pressedItemID.set(std::nullopt);
        store.dropdown.set(std::nullopt);
        r->items[index].onDelete();
    };
    const auto entry = [&](std::size_t index) {
        const store::DropdownItem& item = r->items[index];
        const bool lit = item.active || (item.pressHighlight && *pressedItemID == item.id);
        return View(DropdownEntry{
                        .request = r,
                        .index = index,
                        .accent = accent,
                        .gridCellWidth = gridCellWidth,
                        .lit = lit,
                        .onPress = [pressedItemID, id = item.id](bool down) { pressedItemID.set(down ? std::optional(id) : std::nullopt); },
                        .onChoose = [choose, index] { choose(index); },
                        .onDeleteTap = [remove, index] { remove(index); },
                    })
            .id(ViewId(item.id.string()))
            .testId("dropdown.item." + item.label);
    };

    Views entries;
    for (std::size_t i = 0; i < r->items.size(); ++i) entries.push_back(entry(i));
    View layout;
    if (r->gridColumns) {
        const auto columns = static_cast<std::ptrdiff_t>(std::max(1, *r->gridColumns));
        const double s = r->chromeless ? 0 : 2;
        Views rows;
        for (auto start = entries.begin(); start != entries.end();) {
            const auto end = start + std::min(columns, entries.end() - start);
            rows.push_back(hstackOf({.alignment = Edge::center, .spacing = s}, Views(start, end)));
            start = end;
        }
        layout = scrollingSideways(vstackOf({.alignment = Edge::center, .spacing = s}, std::move(rows)), maxWidth, *contentWidth);
    } else if (r->vertical) {
        const View list = vstackOf({.alignment = Edge::center, .spacing = 2}, std::move(entries))
                              .frame({.maxWidth = infinity, .alignment = Edge::leading});
        const double cap = std::min(maxHeight, verticalListCap);
        if (estimatedVerticalListHeight(r->items) > cap) {
            const auto scroller = context.storage<std::shared_ptr<ScrollController>>();
            if (!*scroller) *scroller = std::make_shared<ScrollController>();
            const auto active = std::find_if(r->items.begin(), r->items.end(), [](const store::DropdownItem& i) { return i.active; });
            const std::string activeID = active == r->items.end() ? std::string() : "dropdown.item." + active->label;
            const auto wheel = [controller = *scroller](const ScrollEvent& e) {
                if (e.hasPreciseDeltas) return false;
                controller->scrollTo(controller->offset() + e.deltaY * entriesPerWheelLine * entryPitch);
                return true;
            };
            layout = scrollView({.showsIndicators = false, .controller = *scroller}, list.onScroll(wheel))
                         .frame({.maxHeight = cap})
                         .onAppear([controller = *scroller, activeID] {
                             if (!activeID.empty()) controller->scrollToChild(activeID, Edge::top);
                         });
        } else {
            layout = list;
        }
    } else {
        layout = scrollingSideways(hstackOf({.alignment = Edge::center, .spacing = 2}, std::move(entries)), maxWidth, *contentWidth);
    }

    const bool chromeless = r->chromeless;
    if (r->vertical && !r->gridColumns) layout = layout.frame({.width = r->width.value_or(defaultVerticalListWidth)});
    return layout.onPreferenceChange<DropdownContentWidthKey>([contentWidth](const double& width) { contentWidth.set(width); })
        .padding(chromeless ? 0 : 3)
        .background(color(chromeless ? Color::clear() : Color::black()))
        .overlay(continuousRoundedRectangle(5).stroke(chromeless ? Color::clear() : themeBorderColor, 1))
        .clipShape(shapes::continuousRoundedRectangle(chromeless ? 0 : 5))
        .shadow(Color::black().opacity(chromeless ? 0 : 0.6), 12, 0, 8);
}

}  // namespace pulvan::views
