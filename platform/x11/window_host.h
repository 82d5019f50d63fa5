#pragma once
// A window that shows a root view and feeds it input: a top-level window for the standalone application, or
// a child window inside a plug-in host's window. It paints only what the root reports damaged, into an image
// of its own whose changed rectangles are then put on the window, so nothing flickers; exposures are served
// from that image.
#include "platform/ui/root.h"
#include "platform/x11/connection.h"
#include "platform/x11/event_loop.h"
#include "platform/x11/frame_counter.h"
#include "platform/x11/host_keyboard.h"
#include "platform/x11/keyboard.h"
#include "platform/x11/paint_check.h"
#include "platform/x11/presenter.h"
#include "platform/x11/scroll_devices.h"
#include "platform/x11/scroll_phases.h"
#include "platform/x11/window_visual.h"

#include <functional>
#include <memory>
#include <string>

namespace pulvan::x11 {

class WindowHost final : public EventSource {
public:
    struct TopLevelOptions {
        std::string title;
        ui::Size size;                         // points
        ui::Size minimumSize;                  // points
        std::function<void()> onCloseRequest;  // the window manager's close, which the application may decline
        std::function<void()> onDisplayLost;   // the server went away: there is no window left to ask in
    };
    // Nothing when no display answers. The display scale comes from Xft.dpi.
    static std::unique_ptr<WindowHost> openTopLevel(ui::Root& root, EventLoop& loop, TopLevelOptions options);
    // Inside another program's window, at a size in pixels, at display scale 1 (the editor scales itself to
    // the window). Nothing when no display answers or the parent does not exist.
    static std::unique_ptr<WindowHost> openChild(ui::Root& root, EventLoop& loop, std::uint32_t parent, ui::Size pixels);
    ~WindowHost() override;
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    std::uint32_t window() const { return window_; }
    // For a window left alive where no thread reads its events any more: it hears nothing more of the root and the
    // host's windows, so the server queues nothing for it.
    void stopListening() { hostKeyboard_->stopListening(); }
    double displayScale() const { return scale_; }
    // The size the host gives (pixels); the root follows at once.
    void resize(ui::Size pixels);
    ui::Size sizeInPixels() const { return pixels_; }
    // The screen's work area in points.
    ui::Rect workArea() const;
    // Whether the window has been shown and painted.
    bool hasPainted() const { return painted_; }
    // Called after each paint that reached the window.
    std::function<void()> onPainted;

    // Tests: after each paint from damage, every window of the process also paints the whole frame of the same
    // state into an image of its own and counts the frames whose picture differs from it (paint_check.h).
    using PaintCheck = x11::PaintCheck;
    static void checkPaintsAgainstWholePaints(bool on);
    static PaintCheck paintCheck();
    // Asks each window that shows a picture to read it back from the screen once, at its next turn, and to compare
    // it with a whole paint (counted in paintCheck().screens).
    static void checkScreensAgainstWholePaints();

    int fileDescriptor() const override { return connection_->fileDescriptor(); }
    void dispatch() override;
    void prepareToWait() override;
    std::optional<std::int64_t> nextDeadline() const override;

private:
    WindowHost(std::unique_ptr<Connection> connection, ui::Root& root, EventLoop& loop, double scale);
    bool create(std::uint32_t parent, ui::Size pixels);
    std::uint32_t eventMask() const;
    void editingChanged(bool editing);
    bool rootTakesKeys() const;
    void selectKeys();
    void selectPointerInput();
    void applySize(ui::Size pixels);
    void releaseBuffer();
    void paint(const ui::Damage& points);
    cairo_surface_t* wholePaint(int width, int height);
    void checkAgainstWholePaint(cairo_surface_t* frame);
    void checkScreenAgainstWholePaint();
    void handle(const xcb_generic_event_t* event);
    void handleInput(const xcb_ge_generic_event_t* event);
    void pointerButton(bool pressed, unsigned button, ui::Point windowPixels, ui::Point rootPixels, unsigned modifiers,
                       xcb_timestamp_t time);
    void pointerMoved(ui::Point windowPixels, ui::Point rootPixels, unsigned modifiers);
    void sendPointer(ui::PointerPhase phase, ui::MouseButton button, ui::Point windowPixels, ui::Point rootPixels, unsigned modifiers);
    void scroll(ui::Point windowPixels, double dx, double dy, bool precise, ui::ScrollPhase phase, unsigned modifiers);
    void endTouchpadScroll();
    void updateCursor();
    void keyboardFocusChanged();
    ui::Point toPoints(ui::Point pixels) const { return {pixels.x / scale_, pixels.y / scale_}; }

    std::unique_ptr<Connection> connection_;
    ui::Root& root_;
    EventLoop& loop_;
    double scale_;
    bool topLevel_ = false;
    std::function<void()> onCloseRequest_;
    std::function<void()> onDisplayLost_;
    xcb_window_t window_ = 0;
    WindowVisual visual_;
    xcb_colormap_t colormap_ = 0;
    xcb_gcontext_t gc_ = 0;
    std::unique_ptr<Presenter> presenter_;
    // A top-level's, where the server has SYNC.
    std::optional<FrameCounter> frameCounter_;
    bool exposed_ = false;
    bool painted_ = false;
    ui::Size pixels_;
    Keyboard keyboard_;
    ScrollDevices scrollDevices_;
    ScrollPhases scrollPhases_;
    ui::Point lastPointerPixels_;
    struct CursorCache;
    std::unique_ptr<CursorCache> cursors_;
    std::optional<ui::CursorShape> shownCursor_;
    std::unique_ptr<HostKeyboard> hostKeyboard_;
    bool hasKeys_ = false;
    bool keysSelected_ = false;
};

}  // namespace pulvan::x11
