#pragma once
// A single-line text field: caret, selection, editing keys, the clipboard and Return to submit.
#include "platform/ui/view.h"

#include <functional>
#include <string>

namespace pulvan::ui {

struct TextFieldOptions {
    std::string text;
    std::function<void(const std::string&)> onChange;
    std::string placeholder;
    std::function<void()> onSubmit;
    // Takes the keyboard focus on the main-queue turn after it appears.
    bool focusOnAppear = false;
    std::function<void(bool)> onFocusChange;
};

// Drawn in the environment's font and foreground colour; the placeholder at half its opacity.
View textField(TextFieldOptions options);

}  // namespace pulvan::ui
