#include "editor/views/shell/dialog_host.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/shell/dialog_submission.h"
#include "editor/views/shell/overlay_backdrop.h"
#include "editor/views/shell/standard_dialog.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;

View DialogHost::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    const auto& request = store.dialog.get();
    if (!request) return View();
    const auto cancel = [&store] { cancelDialog(store); };
    return zstack({}, request->onRepeatedClick ? overlayBackdrop(cancel, request->onRepeatedClick) : overlayBackdrop(cancel),
                  View(StandardDialog{*request}).id(ViewId(request->id.string())))
        .transition(Transition::opacity());
}

}  // namespace pulvan::views
