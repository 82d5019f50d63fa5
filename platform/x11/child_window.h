#pragma once
// A window inside a window that another program owns (the host's editor
// frame): created on a connection of its own, so the host's connection and
// ours never share state.
#include <memory>

namespace pulvan::x11 {

struct WindowSize {
    int width = 0;
    int height = 0;
};

class ChildWindow {
public:
    // Nothing when no display can be opened or the parent does not exist.
    static std::unique_ptr<ChildWindow> create(unsigned long parentWindow, WindowSize size);

    ~ChildWindow();
    ChildWindow(const ChildWindow&) = delete;
    ChildWindow& operator=(const ChildWindow&) = delete;

    unsigned long id() const { return window_; }
    unsigned long parent() const { return parent_; }

    void resize(WindowSize size);
    // Takes the parent's current size.
    void fillParent();
    WindowSize size() const;

private:
    struct DisplayCloser {
        void operator()(void* display) const;
    };
    ChildWindow(std::unique_ptr<void, DisplayCloser> display, unsigned long parent, unsigned long window);

    std::unique_ptr<void, DisplayCloser> display_;
    unsigned long parent_;
    unsigned long window_;
};

}  // namespace pulvan::x11
