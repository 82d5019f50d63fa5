#pragma once
#include "platform/foundation/uuid.h"

#include <functional>
#include <optional>
#include <string>

namespace pulvan::store {

// An alert, confirmation or prompt that the store publishes and the editor shell presents.
struct DialogRequest {
    enum class Kind { alert = 0, confirm = 1, prompt = 2 };

    foundation::Uuid id = foundation::Uuid::random();
    Kind kind = Kind::alert;
    std::string title;
    std::optional<std::string> message;
    std::string confirmLabel;
    std::string cancelLabel;
    std::string placeholder;
    std::string initialText;
    bool promptRequiresNonEmptyInput = false;
    bool prefersFullscreen = false;
    bool prefersGlobalAccent = false;
    std::optional<int> accentColorHexOverride;          // 0xRRGGBB
    std::function<void(const std::string&)> onConfirm;  // receives the prompt's text
    std::function<void()> onCancel;                     // when it is dismissed without its confirm
    // The second click of the double click whose first click raised the request lands on its backdrop;
    // without this, that click cancels like any other.
    std::function<void()> onRepeatedClick;

    // Requests are identified by id; the closure takes no part.
    friend bool operator==(const DialogRequest& a, const DialogRequest& b) { return a.id == b.id; }
};

}  // namespace pulvan::store
