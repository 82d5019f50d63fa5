#include "editor/views/shell/kez_root_view.h"

#include "editor/views/shell/kez_content.h"
#include "platform/ui/content.h"

namespace pulvan::views {

ui::View KezRootView::body(ui::BuildContext&) const {
    EditorServices* setting = &services;
    const bool hosted = isHostedUI;
    return ui::View(KezContent{})
        .environmentObject(store)
        .environmentObject(store.playhead)
        .environmentObject(services)
        .environment<HostWindowKey>(window)
        .onAppear([setting, hosted] { setting->setHostedUI(hosted); });
}

ui::View WindowAccessor::body(ui::BuildContext& context) const {
    const auto window = context.env<HostWindowKey>();
    context.onNextTurn([resolve = onResolve, window] {
        if (resolve) resolve(window);
    });
    return ui::color(ui::Color::clear()).frame({.width = 0, .height = 0});
}

}  // namespace pulvan::views
