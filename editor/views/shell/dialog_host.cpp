#include "editor/views/shell/dialog_host.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/shell/dialog_submission.h"
#include "editor/views/shell/overlay_backdrop.h"
#include "editor/views/shell/standard_dialog.h"
#include "platform/ui/layout.h"

#include <functional>

namespace pulvan::views {

using namespace ui;

namespace {

// The backdrop under the panel. The second click of the double click that raised a request lands on the
// backdrop or on the panel beside the buttons; a request that takes it gets it, and nothing is cancelled.
View backdropAndPanel(const store::DialogRequest& request, std::function<void()> cancel) {
    View panel = View(StandardDialog{request});
    if (!request.onRepeatedClick) return zstack({}, overlayBackdrop(std::move(cancel)), panel.id(ViewId(request.id.string())));
    const auto repeat = request.onRepeatedClick;
    return zstack({}, overlayBackdrop(std::move(cancel), repeat),
                  panel
                      .onPointer([repeat](const PointerEvent& e) {
                          if (e.phase == PointerPhase::release && e.clickCount >= 2) repeat();
                      })
                      .id(ViewId(request.id.string())));
}

}  // namespace

View DialogHost::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    const auto& request = store.dialog.get();
    if (!request) return View();
    return backdropAndPanel(*request, [&store] { cancelDialog(store); }).keyScope().transition(Transition::opacity());
}

}  // namespace pulvan::views
