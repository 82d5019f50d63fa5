#pragma once
// The launch quantisations that scenes and patterns share: the values in dropdown order, their labels,
// the label as the launch-resolution buttons show it, and the dropdown items that choose one.
#include "editor/store/dropdown_request.h"
#include "platform/ui/view.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace pulvan::views {

struct LaunchResolution {
    int value;
    const char* label;
};

// In dropdown order.
inline constexpr std::array<LaunchResolution, 4> launchResolutions{{{16, "1/16"}, {8, "1/8"}, {4, "1/4"}, {1, "1 bar"}}};

// 1 "1 bar", 4 "1/4", 8 "1/8", anything else "1/16" (the store reads any other value as 16).
std::string launchResolutionLabel(int value);

// The value's label in system 12 semibold primary text, on one line cut at the tail.
ui::View launchResolutionText(int value);

// One item per value in dropdown order, the current one active, each handing its value to choose.
std::vector<store::DropdownItem> launchResolutionItems(int current, const std::function<void(int)>& choose);

}  // namespace pulvan::views
