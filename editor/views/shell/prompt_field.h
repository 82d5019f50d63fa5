#pragma once
// The text field of a prompt, bound to the prompt's text, focused when it appears, with the clear
// button over its trailing edge that empties it and gives it the focus back.
#include "editor/store/dialog_request.h"
#include "platform/ui/view.h"

#include <functional>
#include <string>

namespace pulvan::views {

struct PromptFieldState {
    ui::State<std::string> text;
    ui::State<int> focusRequest;  // raised to give the field the focus again
};

// The field alone, showing the request's placeholder while empty; Return submits.
ui::View promptTextField(const store::DialogRequest& request, PromptFieldState state, std::function<void()> submit);
// The finished field with a clear button of the diameter, padded on its trailing side.
ui::View withPromptClearButton(ui::View field, PromptFieldState state, double diameter, double trailingPadding);

}  // namespace pulvan::views
