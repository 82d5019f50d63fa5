#include "editor/link/editor_view.h"

#include "editor/link/editor_holder.h"

namespace pulvan::link {

EditorView::EditorView(KezVst3EditorHolder& holder) : holder_(holder) { holder_.retain(); }

EditorView::~EditorView() {
    if (root_) holder_.thread().runSync([this] { removeWindow(); });
    holder_.release();
}

bool EditorView::openWindow(unsigned long parent, ui::Size pixels) {
    auto& thread = holder_.thread();
    root_ = std::make_unique<ui::Root>([] { return ui::View(); }, thread.queue());
    window_ = x11::WindowHost::openChild(*root_, thread.loop(), static_cast<std::uint32_t>(parent), pixels);
    if (!window_) root_.reset();
    return window_ != nullptr;
}

void EditorView::removeWindow() {
    window_.reset();
    root_.reset();
}

}  // namespace pulvan::link
