#include "editor/views/shell/launch_resolution.h"

#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;

std::string launchResolutionLabel(int value) {
    const auto* entry = std::find_if(launchResolutions.begin(), launchResolutions.end(), [&](const auto& e) { return e.value == value; });
    return entry == launchResolutions.end() ? "1/16" : entry->label;
}

View launchResolutionText(int value) {
    return text(launchResolutionLabel(value)).font(Font::system(12, FontWeight::semibold)).foregroundColor(primaryTextColor).lineLimit(1);
}

std::vector<store::DropdownItem> launchResolutionItems(int current, const std::function<void(int)>& choose) {
    std::vector<store::DropdownItem> items;
    for (const LaunchResolution& r : launchResolutions)
        items.push_back({.label = r.label, .active = r.value == current, .action = [choose, v = r.value] { choose(v); }});
    return items;
}

}  // namespace pulvan::views
