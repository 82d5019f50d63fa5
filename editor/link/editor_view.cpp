#include "editor/link/editor_view.h"

#include "editor/link/editor_holder.h"
#include "editor/views/shell/kez_root_view.h"

#include <utility>

namespace pulvan::link {

EditorView::EditorView(KezVst3EditorHolder& holder) : holder_(holder) { holder_.retain(); }

EditorView::~EditorView() {
    if (root_) holder_.thread().runSync([this] { removeWindow(); });
    // Still there when the editor thread has ended: left alone, as everything else that lived on it, but deaf to the
    // root and the host's windows, whose events nobody would read.
    if (root_) {
        if (window_) window_->stopListening();
        (void)window_.release();
        (void)root_.release();
    }
    holder_.release();
}

bool EditorView::openWindow(unsigned long parent, ui::Size pixels) {
    auto& thread = holder_.thread();
    EditorComposition& composition = holder_.composition();
    root_ = std::make_unique<ui::Root>(
        [&composition, window = static_cast<views::WindowReference>(parent), this] {
            return ui::View(views::KezRootView{composition.store(), composition, true, window_ ? window_->window() : window});
        },
        thread.queue());
    window_ = x11::WindowHost::openChild(*root_, thread.loop(), static_cast<std::uint32_t>(parent), pixels);
    if (!window_) {
        root_.reset();
        return false;
    }
    composition.screenVisibleFrameSource = [this]() -> std::optional<ui::Rect> { return window_->workArea(); };
    composition.cancelGestures = [this] { root_->cancelPointer(); };
    // The first frame makes the statics of views and drawing; the process's exit must end this thread before them.
    window_->onPainted = [registered = false]() mutable {
        if (!std::exchange(registered, true)) EditorThread::endAllBeforeExitHandlersSoFar();
    };
    return true;
}

void EditorView::removeWindow() {
    if (root_) {
        EditorComposition& composition = holder_.composition();
        composition.screenVisibleFrameSource = nullptr;
        composition.cancelGestures = nullptr;
    }
    window_.reset();
    root_.reset();
}

}  // namespace pulvan::link
