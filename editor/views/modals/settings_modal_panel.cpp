#include "editor/views/modals/settings_modal_panel.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/shell/modal_header.h"
#include "editor/views/shell/modal_panel.h"
#include "platform/ui/content.h"

#include <optional>

namespace pulvan::views {

using namespace ui;

namespace {

struct SettingsModalHeader {
    std::string title;

    View body(BuildContext& context) const {
        auto& store = context.object<store::SequencerStore>();
        return View(ModalHeader{.title = title, .inlineActionColor = secondaryTextColor, .inlineActionFontSize = 11})
            .overlay(View(ModalCloseButton{.allowSecondaryTouches = true, .action = [&store] { store.setActiveModal(std::nullopt); }}),
                     unit::trailing);
    }
};

}  // namespace

View makeModalPanel(double width, std::string title, View body) {
    return ModalPanel{
        .width = width,
        .background = panelBackgroundColor,
        .borderColor = themeBorderColor,
        .content = {SettingsModalHeader{std::move(title)}, std::move(body)},
    };
}

}  // namespace pulvan::views
