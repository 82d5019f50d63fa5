#pragma once
// One entry of a dropdown panel: a separator, or a label that chooses on tap, with an optional delete button.
#include "editor/store/dropdown_request.h"
#include "platform/ui/view.h"

#include <functional>
#include <memory>

namespace pulvan::views {

struct DropdownEntry {
    std::shared_ptr<const store::DropdownRequest> request;
    std::size_t index = 0;  // of the item in the request
    ui::Color accent;
    double gridCellWidth = 62;
    bool lit = false;
    std::function<void(bool)> onPress;  // true at press start, false at its end; pressHighlight entries only
    std::function<void()> onChoose;
    std::function<void()> onDeleteTap;

    ui::View body(ui::BuildContext& context) const;
};

// The colours an entry is drawn in.
struct DropdownEntryColors {
    ui::Color text, background, ring;
};
DropdownEntryColors dropdownEntryColors(const store::DropdownRequest& request, const store::DropdownItem& item, ui::Color accent, bool lit);

}  // namespace pulvan::views
