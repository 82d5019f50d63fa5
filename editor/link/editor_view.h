#pragma once
#include "platform/x11/child_window.h"

#include <memory>

namespace pulvan::link {

class KezVst3EditorHolder;

// The editor's view inside the plug-in's window: its own X11 window, made and
// ended on the editor thread, which the editor's root view draws into. Keeps
// its holder alive while it exists.
class EditorView {
public:
    EditorView(KezVst3EditorHolder& holder, std::unique_ptr<x11::ChildWindow> window);
    ~EditorView();
    EditorView(const EditorView&) = delete;
    EditorView& operator=(const EditorView&) = delete;

    KezVst3EditorHolder& holder() { return holder_; }
    // Null when the view was made without a parent window.
    x11::ChildWindow* window() { return window_.get(); }
    // Ends the window (editor thread).
    void removeWindow() { window_.reset(); }

private:
    KezVst3EditorHolder& holder_;
    std::unique_ptr<x11::ChildWindow> window_;
};

}  // namespace pulvan::link
