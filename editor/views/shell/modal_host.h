#pragma once
// Shows the store's open modal over the editor: under the control that opened it or centred, with the
// accent and usable width it draws with, over a dimmed backdrop whose tap closes it (most modals).
//
// Place it over the whole design-size editor, below the dropdowns. The controls that open modals publish
// their bounds: control.anchorPreference<ModalAnchorKey>(modalAnchor(KezModal::chord)); the editor
// content collects them with onPreferenceChange<ModalAnchorKey> and passes them in `anchors`.
#include "editor/store/editor_modes.h"
#include "platform/ui/layout.h"

#include <functional>
#include <map>

namespace pulvan::views {

struct ModalAnchorKey {
    using Value = std::map<store::KezModal, ui::Anchor>;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, Value next) {
        for (auto& [modal, anchor] : next) value.insert_or_assign(modal, anchor);
    }
};

inline auto modalAnchor(store::KezModal modal) {
    return [modal](const ui::Anchor& bounds) { return ModalAnchorKey::Value{{modal, bounds}}; };
}

struct ModalHost {
    ModalAnchorKey::Value anchors;
    // The view of each modal, built fresh on every update.
    std::function<ui::View(store::KezModal)> makeModalContent;
    double margin = 16;
    double gap = 6;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
