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
    // Each change of this number takes the keyboard focus on the next main-queue turn (after the press
    // that asked for it, which may have moved the focus away).
    int focusRequest = 0;
    std::function<void(bool)> onFocusChange;
};

// Drawn in the environment's font and foreground colour; the placeholder at half its opacity.
View textField(TextFieldOptions options);

}  // namespace pulvan::ui
