#pragma once
// The preset dialog's header row: the title (in save mode with the name field and "Default"), then
// the Save button in save mode and the close button.
#include "editor/store/editor_modes.h"
#include "platform/ui/view_modifiers.h"

#include <functional>
#include <string>

namespace pulvan::views {

// A symbol and a label on a filled rounded rectangle, at least 81 x 30.
struct PresetDialogHeaderButton : ui::ViewModifiers<PresetDialogHeaderButton> {
    std::string systemImage;
    std::string label;
    ui::Color contentColor;
    ui::Color fill;
    bool bordered = false;
    bool enabled = true;  // false: at 0.55 and taking no clicks
    std::function<void()> action;

    ui::View body(ui::BuildContext& context) const;
};

// The name to save under, bound to the store's save name, with a clear button while it holds text.
struct PresetDialogNameField : ui::ViewModifiers<PresetDialogNameField> {
    std::string name;
    bool focusOnAppear = false;
    std::function<void(const std::string&)> onChange;
    std::function<void()> onSubmit;
    std::function<void()> onClear;

    ui::View body(ui::BuildContext& context) const;
};

struct PresetDialogHeader : ui::ViewModifiers<PresetDialogHeader> {
    store::PresetDialogMode mode = store::PresetDialogMode::load;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
