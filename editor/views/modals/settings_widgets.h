#pragma once
// What the track and global settings modals are made of: the row, the field boxes, controller names and
// the controller dropdown's entries.
#include "editor/store/dropdown_request.h"
#include "platform/ui/color.h"
#include "platform/ui/view.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::views {

// "74 Brightness" for the controllers with a common name, else the number alone.
std::string ccDisplayName(int controller);

// A 130-point caption column, 24 points, then the control.
ui::View settingsRow(std::string caption, ui::View control);

// A 32-point high field: the content padded 10 on each side, leading, on the fill, rounded 4 and outlined.
// The width wide; without a width it fills the row.
ui::View fieldBox(ui::View content, std::optional<double> width, ui::Color fill);

// A dropdown field's face: the value, a flexible space and a chevron.
struct DropdownFieldStyle {
    ui::Color textColor;
    ui::Color chevronColor;
    ui::Color fill;
    std::optional<double> width;
};
ui::View dropdownFieldLabel(std::string value, DropdownFieldStyle style);

// One entry per controller 0...127, named by ccDisplayName (0 by zeroLabel), the current one active and 0
// highlighted; choosing one calls choose with its number.
std::vector<store::DropdownItem> controllerDropdownItems(int current, const std::function<void(int)>& choose,
                                                         const std::string& zeroLabel = "0");

}  // namespace pulvan::views
