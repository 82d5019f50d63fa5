#include "editor/views/main/dropdown_anchor.h"

namespace pulvan::views {

// The overlay hosts and their anchor keys are not in this tree yet; until they are, controls publish nothing
// and the hosts fall back to their unanchored placement.
ui::View publishDropdownAnchor(ui::View control, foundation::Uuid) { return control; }
ui::View publishModalAnchor(ui::View control, store::KezModal) { return control; }

}  // namespace pulvan::views
