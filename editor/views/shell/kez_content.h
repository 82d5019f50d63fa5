#pragma once
// The whole editor below the root: laid out at a design size and scaled to the window, the overlays above
// it in their order, the dimmed margins while one is open, the hosted resize grip, the full-window prompt
// and the file and folder choosers the store asks for.
#include "editor/store/dialog_request.h"
#include "editor/store/sequencer_store.h"
#include "platform/ui/view.h"

#include <functional>
#include <optional>

namespace pulvan::views {

// The natural height of the main stack, measured before it is framed.
struct CanvasContentHeightKey {
    using Value = double;
    static double defaultValue() { return 0; }
    static void reduce(double& value, double next) { value = std::max(value, next); }
};

struct EditorLayout {
    double scale = 1;
    double designWidth = 1280, designHeight = 730;
    double frameWidth = 0;
    friend bool operator==(const EditorLayout&, const EditorLayout&) = default;
};

struct EditorLayoutRules {
    double minResponsiveScale = 0.5;
    double maxResponsiveScale = 1.0;
};

// The layout for a window of w x h points. Standalone, the scale also keeps the editor's natural height
// (once measured) inside the window, so that no row is ever out of reach.
EditorLayout editorLayout(bool hosted, ui::Size window, int uiMaxContentWidth, double naturalBaseHeight, EditorLayoutRules rules = {});
// How far right the scaled editor sits: centred standalone, at the left edge hosted.
double editorHorizontalOffset(const EditorLayout& layout, double windowWidth);

// The margins' dimming while an overlay is open, and what a tap there closes.
struct MarginBackdrop {
    double opacity = 0;
    std::function<void()> dismiss;
};
std::optional<MarginBackdrop> marginBackdrop(store::SequencerStore& store);
bool isAnyOverlayPresented(const store::SequencerStore& store);
// The prompt that replaces the whole editor: any prompt in a host, one that asks for it standalone.
std::optional<store::DialogRequest> fullscreenPromptRequest(const store::SequencerStore& store);
// The accent the full-window prompt draws with.
ui::Color fullscreenPromptAccent(const store::SequencerStore& store, const store::DialogRequest& request);

struct KezContent {
    EditorLayoutRules rules;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
