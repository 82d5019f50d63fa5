#include "editor/views/shell/standard_dialog.h"

#include "editor/views/shell/dialog_submission.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/modal_action_button.h"
#include "editor/views/shell/modal_header.h"
#include "editor/views/shell/modal_panel.h"
#include "editor/views/shell/prompt_field.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;
using Kind = store::DialogRequest::Kind;

Color dialogAccent(const store::DialogRequest& request, Color inherited) {
    if (request.prefersGlobalAccent) return globalAccentColor();
    if (request.accentColorHexOverride) return colorFromHex(*request.accentColorHexOverride);
    return inherited;
}

View StandardDialog::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    const PromptFieldState fieldState{context.state<std::string>(request.initialText), context.state<int>(0)};
    const auto text = fieldState.text;
    const auto submit = [&store, request = request, text] { submitDialog(store, request, *text); };
    const auto cancel = [&store] { cancelDialog(store); };

    View field;
    if (request.kind == Kind::prompt) {
        const View bare = promptTextField(request, fieldState, submit)
                              .font(Font::system(14, FontWeight::regular))
                              .foregroundColor(primaryTextColor)
                              .padding({.leading = 10, .trailing = 32})
                              .frame({.height = 32})
                              .background(color(controlBackgroundColor))
                              .overlay(continuousRoundedRectangle(4).stroke(themeBorderColor, 1))
                              .clipShape(shapes::continuousRoundedRectangle(4));
        field = withPromptClearButton(bare, fieldState, 18, 7).testId("dialog.field");
    }

    const View buttons =
        hstack({.alignment = Edge::center, .spacing = 16}, spacer(),
               request.kind == Kind::alert
                   ? View()
                   : View(ModalActionButtonLabeled{
                              .title = request.cancelLabel, .accentFill = false, .enabled = true, .pressHighlight = true, .action = cancel})
                         .testId("dialog.cancel"),
               View(ModalActionButtonLabeled{.title = request.confirmLabel,
                                             .accentFill = true,
                                             .enabled = canSubmitDialog(request, *text),
                                             .pressHighlight = false,
                                             .action = submit})
                   .testId("dialog.confirm"))
            .padding(Edge::top, 4);

    return View(ModalPanel{
                    .width = 360,
                    .background = panelBackgroundColor,
                    .borderColor = themeBorderColor,
                    .content =
                        {
                            ModalHeader{.title = request.title,
                                        .inlineActionColor = secondaryTextColor,
                                        .inlineActionFontSize = 11,
                                        .onClose = cancel},
                            request.message ? ui::text(*request.message)
                                                  .font(Font::system(13, FontWeight::regular))
                                                  .foregroundColor(secondaryTextColor)
                                                  .fixedSize(false, true)
                                            : View(),
                            field,
                            buttons,
                        },
                })
        .environment<KezAccentKey>(dialogAccent(request, context.env<KezAccentKey>()))
        .testId("dialog");
}

}  // namespace pulvan::views
