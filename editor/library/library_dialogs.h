#pragma once

#include "editor/store/dialog_request.h"

#include <functional>
#include <string>

// The dialog requests the preset library publishes.
namespace pulvan::library {

// An alert with "OK" whose confirmation does nothing.
store::DialogRequest alertRequest(std::string title, std::string message, bool prefersGlobalAccent = false);

// A question with the given confirm label and "Cancel", tinted with the global accent.
store::DialogRequest confirmationRequest(std::string title, std::string message, std::string confirmLabel, std::function<void()> onConfirm);

// A prompt for a non-empty name, tinted with the global accent.
store::DialogRequest namePromptRequest(std::string title, std::optional<std::string> message, std::string confirmLabel,
                                       std::string placeholder, std::function<void(const std::string&)> onConfirm);

}  // namespace pulvan::library
