#include "editor/views/shell/dialog_submission.h"

#include "platform/foundation/unicode_text.h"

namespace pulvan::views {

bool canSubmitDialog(const store::DialogRequest& request, const std::string& text) {
    if (request.kind != store::DialogRequest::Kind::prompt || !request.promptRequiresNonEmptyInput) return true;
    return !foundation::isBlank(text);
}

void submitDialog(store::SequencerStore& store, const store::DialogRequest& request, const std::string& text) {
    if (!canSubmitDialog(request, text)) return;
    const auto onConfirm = request.onConfirm;  // the request goes with the dialog
    store.dialog.set(std::nullopt);
    if (onConfirm) onConfirm(text);
}

void cancelDialog(store::SequencerStore& store) {
    const auto& request = store.dialog.get();
    const auto onCancel = request ? request->onCancel : nullptr;
    store.dialog.set(std::nullopt);
    if (onCancel) onCancel();
}

}  // namespace pulvan::views
