#pragma once
// The view a window is given: the editor content with the store, its playhead and the editor's services in
// the environment; it tells the composition once, when first shown, which setting it runs in.
#include "editor/store/sequencer_store.h"
#include "editor/views/shell/editor_services.h"
#include "platform/ui/view.h"

#include <functional>
#include <optional>

namespace pulvan::views {

// The editor's current scale; KezContent sets it for everything below it.
struct HostedZoomScaleKey {
    using Value = double;
    static double defaultValue() { return 1.0; }
};

// The window the views are shown in; none while they are not in one.
struct HostWindowKey {
    using Value = std::optional<WindowReference>;
    static Value defaultValue() { return std::nullopt; }
};

struct KezRootView {
    store::SequencerStore& store;
    EditorServices& services;
    bool isHostedUI = false;
    // Where the root is shown; none offscreen.
    std::optional<WindowReference> window;

    ui::View body(ui::BuildContext& context) const;
};

// Hands the window the view sits in to onResolve, always one main-queue turn after the view is made or
// updated (the window may be given to the root only after the views are built).
struct WindowAccessor {
    std::function<void(std::optional<WindowReference>)> onResolve;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
