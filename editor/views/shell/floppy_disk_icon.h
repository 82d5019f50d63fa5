#pragma once
// The floppy disk of the save button, stroked in the foreground colour.
#include "platform/ui/view.h"

namespace pulvan::views {

// Square, fitted to its frame.
struct FloppyDiskIcon {
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
