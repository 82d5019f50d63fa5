#include "editor/views/shell/prompt_field.h"

#include "editor/views/shell/prompt_clear_button.h"
#include "platform/ui/text_field.h"

namespace pulvan::views {

using namespace ui;

View promptTextField(const store::DialogRequest& request, PromptFieldState state, std::function<void()> submit) {
    return textField({
        .text = *state.text,
        .onChange = [text = state.text](const std::string& typed) { text.set(typed); },
        .placeholder = request.placeholder,
        .onSubmit = std::move(submit),
        .focusOnAppear = true,
        .focusRequest = *state.focusRequest,
    });
}

View withPromptClearButton(View field, PromptFieldState state, double diameter, double trailingPadding) {
    return field.overlay(View(PromptClearButton{
                                  .diameter = diameter,
                                  .isVisible = !state.text->empty(),
                                  .action =
                                      [state] {
                                          state.text.set("");
                                          state.focusRequest.set(*state.focusRequest + 1);
                                      },
                              })
                             .padding(Edge::trailing, trailingPadding),
                         unit::trailing);
}

}  // namespace pulvan::views
