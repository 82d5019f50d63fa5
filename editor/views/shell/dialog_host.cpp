#include "editor/views/shell/dialog_host.h"

#include "editor/views/shell/overlay_backdrop.h"
#include "editor/views/shell/standard_dialog.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;

std::optional<store::DialogRequest> fullscreenPromptRequest(const store::SequencerStore& store) {
    const auto& request = store.dialog.get();
    if (!request || request->kind != store::DialogRequest::Kind::prompt || !(store.isHostedUI.get() || request->prefersFullscreen)) return std::nullopt;
    return request;
}

View DialogHost::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    const auto& request = store.dialog.get();
    if (!request || fullscreenPromptRequest(store)) return View();
    return zstack({},
               overlayBackdrop([&store] { store.dialog.set(std::nullopt); }),
               View(StandardDialog{*request}).id(ViewId(request->id.string())))
        .transition(Transition::opacity());
}

}  // namespace pulvan::views
