#include "editor/library/library_dialogs.h"

namespace pulvan::library {

store::DialogRequest alertRequest(std::string title, std::string message, bool prefersGlobalAccent) {
    store::DialogRequest request;
    request.kind = store::DialogRequest::Kind::alert;
    request.title = std::move(title);
    request.message = std::move(message);
    request.confirmLabel = "OK";
    request.cancelLabel = "Cancel";
    request.prefersGlobalAccent = prefersGlobalAccent;
    request.onConfirm = [](const std::string&) {};
    return request;
}

store::DialogRequest confirmationRequest(std::string title, std::string message, std::string confirmLabel,
                                         std::function<void()> onConfirm) {
    store::DialogRequest request = alertRequest(std::move(title), std::move(message), true);
    request.kind = store::DialogRequest::Kind::confirm;
    request.confirmLabel = std::move(confirmLabel);
    request.onConfirm = [action = std::move(onConfirm)](const std::string&) { action(); };
    return request;
}

store::DialogRequest namePromptRequest(std::string title, std::optional<std::string> message, std::string confirmLabel,
                                       std::string placeholder, std::function<void(const std::string&)> onConfirm) {
    store::DialogRequest request = alertRequest(std::move(title), {}, true);
    request.kind = store::DialogRequest::Kind::prompt;
    request.message = std::move(message);
    request.confirmLabel = std::move(confirmLabel);
    request.placeholder = std::move(placeholder);
    request.promptRequiresNonEmptyInput = true;
    request.onConfirm = std::move(onConfirm);
    return request;
}

}  // namespace pulvan::library
