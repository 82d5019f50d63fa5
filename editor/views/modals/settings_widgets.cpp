#include "editor/views/modals/settings_widgets.h"

#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

#include <map>

namespace pulvan::views {

using namespace ui;

std::string ccDisplayName(int controller) {
    static const std::map<int, std::string> names = {
        {1, "Modulation Wheel"},   {2, "Breath"},       {7, "Volume"},       {10, "Pan"},       {11, "Expression"},   {64, "Sustain Pedal"},
        {65, "Portamento On/Off"}, {66, "Sostenuto"},   {67, "Soft Pedal"},  {71, "Resonance"}, {72, "Release Time"}, {73, "Attack Time"},
        {74, "Brightness"},        {91, "Reverb Send"}, {93, "Chorus Send"},
    };
    const auto name = names.find(controller);
    return name == names.end() ? std::to_string(controller) : std::to_string(controller) + " " + name->second;
}

View settingsRow(std::string caption, View control) {
    return hstack({.alignment = Edge::center, .spacing = 24},
                  text(std::move(caption))
                      .font(Font::system(13))
                      .foregroundColor(secondaryTextColor)
                      .frame({.width = 130, .alignment = unit::leading}),
                  control.frame({.maxWidth = infinity, .alignment = unit::leading}));
}

View fieldBox(View content, std::optional<double> width, Color fill) {
    const View padded = content.padding(Edge::horizontal, 10);
    // A value longer than the width ("65 Portamento On/Off") loses its tail; the field keeps its width.
    const View sized = width ? padded.frame({.width = *width, .height = 32, .alignment = unit::leading})
                             : padded.frame({.maxWidth = infinity, .alignment = unit::leading}).frame({.height = 32});
    return sized.background(color(fill))
        .clipShape(shapes::continuousRoundedRectangle(4))
        .overlay(continuousRoundedRectangle(4).stroke(themeBorderColor, 1));
}

View dropdownFieldLabel(std::string value, DropdownFieldStyle style) {
    return fieldBox(
        hstack({.alignment = Edge::center, .spacing = 8},
               text(std::move(value)).font(Font::system(13, FontWeight::semibold)).lineLimit(1).foregroundColor(style.textColor), spacer(0),
               symbol("chevron.down").font(Font::system(10, FontWeight::semibold)).foregroundColor(style.chevronColor)),
        style.width, style.fill);
}

std::vector<store::DropdownItem> controllerDropdownItems(int current, const std::function<void(int)>& choose,
                                                         const std::string& zeroLabel) {
    std::vector<store::DropdownItem> items;
    items.reserve(128);
    for (int n = 0; n <= 127; ++n) {
        items.push_back({
            .label = n == 0 ? zeroLabel : ccDisplayName(n),
            .active = n == current,
            .highlight = n == 0,
            .action = [choose, n] { choose(n); },
        });
    }
    return items;
}

}  // namespace pulvan::views
