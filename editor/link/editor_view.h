#pragma once
#include "platform/ui/root.h"
#include "platform/x11/window_host.h"

#include <memory>

namespace pulvan::link {

class KezVst3EditorHolder;

// The editor's view inside the plug-in's window: the editor's root view in a
// window of its own inside the host's, made, resized and ended on the editor
// thread. Keeps its holder alive while it exists.
class EditorView {
public:
    explicit EditorView(KezVst3EditorHolder& holder);
    ~EditorView();
    EditorView(const EditorView&) = delete;
    EditorView& operator=(const EditorView&) = delete;

    KezVst3EditorHolder& holder() { return holder_; }
    // Editor thread: the window inside `parent` at a size in pixels; false when it cannot be made.
    bool openWindow(unsigned long parent, ui::Size pixels);
    // Editor thread; null when the view has no window.
    x11::WindowHost* window() { return window_.get(); }
    // Ends the window (editor thread).
    void removeWindow();

private:
    KezVst3EditorHolder& holder_;
    std::unique_ptr<ui::Root> root_;
    std::unique_ptr<x11::WindowHost> window_;
};

}  // namespace pulvan::link
