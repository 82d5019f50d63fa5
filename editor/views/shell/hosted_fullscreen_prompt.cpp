#include "editor/views/shell/hosted_fullscreen_prompt.h"

#include "editor/views/shell/dialog_submission.h"
#include "editor/views/shell/modal_action_button.h"
#include "editor/views/shell/prompt_field.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;

View HostedFullscreenPrompt::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    const PromptFieldState fieldState{context.state<std::string>(request.initialText), context.state<int>(0)};
    const auto text = fieldState.text;
    const auto submit = [&store, request = request, text] { submitDialog(store, request, *text); };
    const auto cancel = [&store] { cancelDialog(store); };

    const View bare = promptTextField(request, fieldState, submit)
                          .font(Font::system(20, FontWeight::medium))
                          .foregroundColor(Color::black())
                          .padding({.leading = 14, .trailing = 48})
                          .frame({.height = 50})
                          .frame({.maxWidth = 560})
                          .background(color(Color::white()))
                          .clipShape(shapes::continuousRoundedRectangle(6));
    const View field = withPromptClearButton(bare, fieldState, 26, 10).testId("prompt.field");
    const bool isAlert = request.kind == store::DialogRequest::Kind::alert;
    const View buttons = hstack(
        {.alignment = Edge::center, .spacing = 16},
        isAlert ? View()
                : View(ModalActionButtonLabeled{
                           .title = request.cancelLabel, .accentFill = false, .enabled = true, .pressHighlight = false, .action = cancel})
                      .testId("prompt.cancel"),
        View(ModalActionButtonLabeled{.title = request.confirmLabel,
                                      .accentFill = true,
                                      .enabled = canSubmitDialog(request, *text),
                                      .pressHighlight = false,
                                      .action = submit})
            .testId("prompt.confirm"));

    return zstack({}, color(Color::black().opacity(0.78)),
                  vstack({.alignment = Edge::center, .spacing = 18},
                         ui::text(request.title).font(Font::system(28, FontWeight::semibold)).foregroundColor(primaryTextColor),
                         request.message
                             ? ui::text(*request.message).font(Font::system(14, FontWeight::regular)).foregroundColor(secondaryTextColor)
                             : View(),
                         field, buttons)
                      .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Edge::top})
                      .padding({.top = 28, .leading = 22, .trailing = 22}))
        .keyScope()
        .testId("prompt");
}

}  // namespace pulvan::views
