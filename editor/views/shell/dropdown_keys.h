#pragma once
// What dropdowns report up the tree: where the controls that open them are, and the panel's measurements.
#include "platform/foundation/uuid.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <map>

namespace pulvan::views {

// A control that can open a dropdown publishes [its UUID: its bounds]; for a UUID published twice the
// later one wins.
struct DropdownAnchorKey {
    using Value = std::map<foundation::Uuid, ui::Anchor>;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, Value next) {
        for (auto& [id, anchor] : next) value.insert_or_assign(id, anchor);
    }
};

// The panel's size, as the host measures it.
struct DropdownSizeKey {
    using Value = ui::Size;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, Value next) { value = next; }
};

// The natural width of a row or grid panel's entries.
struct DropdownContentWidthKey {
    using Value = double;
    static double defaultValue() { return 0; }
    static void reduce(double& value, double next) { value = std::max(value, next); }
};

// How a control publishes its bounds for the dropdowns it opens: control.anchorPreference<DropdownAnchorKey>(dropdownAnchor(id)).
inline auto dropdownAnchor(foundation::Uuid id) {
    return [id](const ui::Anchor& bounds) { return DropdownAnchorKey::Value{{id, bounds}}; };
}

}  // namespace pulvan::views
