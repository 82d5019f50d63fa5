#pragma once
// The user's own settings, shared by every instance: the default controllers of new tracks (with a button
// that copies them into the current preset) and, where the host shows it, the editor's maximum width.
#include "platform/ui/view_modifiers.h"

#include <string>

namespace pulvan::views {

struct GlobalSettingsModal : ui::ViewModifiers<GlobalSettingsModal> {
    bool showsUIMaxWidth = false;
    int uiMaxWidthRecommended = 2000;
    std::string uiMaxWidthRecommendationLabel = "Desktop/Laptop recommendation";

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
