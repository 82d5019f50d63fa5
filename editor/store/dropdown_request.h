#pragma once
#include "platform/foundation/uuid.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::store {

// One entry of a dropdown.
struct DropdownItem {
    foundation::Uuid id = foundation::Uuid::random();
    std::string label;
    bool active = false;
    bool highlight = false;
    bool pressHighlight = false;
    bool disabled = false;
    std::function<void()> action;
    std::function<void()> onDelete;  // set when the entry offers deletion
    bool isSeparator = false;
    std::optional<int> optionBackgroundColor;  // 0xRRGGBB
    std::optional<int> optionForegroundColor;  // 0xRRGGBB
};

// The frame of every grid entry that has no delete button.
struct DropdownCellSize {
    double width = 0;
    double height = 0;
    friend bool operator==(const DropdownCellSize&, const DropdownCellSize&) = default;
};

// A dropdown anchored to a control, with its items and layout; the store keeps at
// most one and the editor shell presents it while it is set.
struct DropdownRequest {
    foundation::Uuid id = foundation::Uuid::random();
    foundation::Uuid anchorID;
    std::vector<DropdownItem> items;
    bool vertical = true;
    bool presetStyle = false;
    std::optional<double> width;
    bool verticalAlignLeading = false;
    bool opensUpward = false;
    std::optional<int> gridColumns;
    bool sticky = false;
    std::optional<DropdownCellSize> gridCellSize;
    bool borderedCells = false;
    bool horizontalAlignTrailing = false;
    double horizontalOffset = 0;
    bool chromeless = false;

    friend bool operator==(const DropdownRequest& a, const DropdownRequest& b) { return a.id == b.id; }
};

}  // namespace pulvan::store
