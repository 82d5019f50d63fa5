#include "editor/link/editor_view.h"

#include "editor/link/editor_holder.h"

namespace pulvan::link {

EditorView::EditorView(KezVst3EditorHolder& holder, std::unique_ptr<x11::ChildWindow> window)
    : holder_(holder), window_(std::move(window)) {
    holder_.retain();
}

EditorView::~EditorView() {
    if (window_) holder_.thread().runSync([this] { window_.reset(); });
    holder_.release();
}

}  // namespace pulvan::link
