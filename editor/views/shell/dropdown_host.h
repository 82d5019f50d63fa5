#pragma once
// Shows the store's open dropdown next to the control that opened it, over a dimmed backdrop whose tap
// closes it (none for sticky dropdowns).
//
// Place it over the whole design-size editor, above the modals. A control that opens a dropdown owns a
// UUID, publishes its bounds with control.anchorPreference<DropdownAnchorKey>(dropdownAnchor(id))
// (dropdown_keys.h) and passes the same UUID as the request's anchorID; the editor content collects the
// anchors with onPreferenceChange<DropdownAnchorKey> and passes them in `anchors`.
#include "editor/views/shell/dropdown_keys.h"
#include "platform/ui/view.h"

namespace pulvan::views {

struct DropdownHost {
    DropdownAnchorKey::Value anchors;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
