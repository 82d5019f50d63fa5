#include "platform/x11/window_host.h"

#include "platform/ui/cairo_painter.h"
#include "platform/x11/paint_check.h"

#include <unistd.h>
#include <xcb/xcb_cursor.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

namespace pulvan::x11 {
namespace {

// Returns once the server has carried out every request sent before.
void waitForServer(xcb_connection_t* c) { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }

// One wheel click's worth of touchpad travel, in points.
constexpr double kPointsPerScrollIncrement = 40;
constexpr std::uint32_t kWindowEvents =
    XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_FOCUS_CHANGE | XCB_EVENT_MASK_PROPERTY_CHANGE;
constexpr std::uint32_t kKeyEvents = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE;
constexpr std::uint32_t kCorePointerEvents = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION |
                                             XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_LEAVE_WINDOW;

double fromFixed(xcb_input_fp1616_t value) { return value / 65536.0; }

std::uint16_t pixelsOf(double value) { return static_cast<std::uint16_t>(std::clamp(std::lround(value), 1L, 32767L)); }

const char* cursorName(ui::CursorShape shape) {
    switch (shape) {
        case ui::CursorShape::arrow: return "left_ptr";
        case ui::CursorShape::pointingHand: return "hand2";
        case ui::CursorShape::iBeam: return "xterm";
        case ui::CursorShape::resizeLeftRight: return "sb_h_double_arrow";
        case ui::CursorShape::resizeUpDown: return "sb_v_double_arrow";
        case ui::CursorShape::resizeDiagonal: return "bottom_right_corner";
        case ui::CursorShape::openHand: return "hand1";
        case ui::CursorShape::closedHand: return "fleur";
    }
    return "left_ptr";
}

void setProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type, int format, std::size_t count,
                 const void* data) {
    if (property == 0) return;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, property, type, static_cast<std::uint8_t>(format),
                        static_cast<std::uint32_t>(count), data);
}

}  // namespace

void WindowHost::checkPaintsAgainstWholePaints(bool on) { paint_check::turn(on); }

PaintCheck WindowHost::paintCheck() { return paint_check::result(); }

void WindowHost::checkScreensAgainstWholePaints() { paint_check::askForScreens(); }

// The picture a whole paint of the state and instant of the last frame's drawing gives.
cairo_surface_t* WindowHost::wholePaint(int width, int height) {
    cairo_surface_t* whole = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(whole);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_scale(cr, scale_, scale_);
    ui::paint(cr, root_.wholeDisplayList());
    cairo_destroy(cr);
    return whole;
}

void WindowHost::checkAgainstWholePaint(cairo_surface_t* frame) {
    cairo_surface_t* whole = wholePaint(cairo_image_surface_get_width(frame), cairo_image_surface_get_height(frame));
    paint_check::compare(frame, whole);
    cairo_surface_destroy(whole);
}

void WindowHost::checkScreenAgainstWholePaint() {
    cairo_surface_t* whole = wholePaint(static_cast<int>(pixels_.width), static_cast<int>(pixels_.height));
    paint_check::compareScreen(connection_->get(), window_, whole);
    cairo_surface_destroy(whole);
}

struct WindowHost::CursorCache {
    xcb_cursor_context_t* context = nullptr;
    std::map<ui::CursorShape, xcb_cursor_t> loaded;
};

WindowHost::WindowHost(std::unique_ptr<Connection> connection, ui::Root& root, EventLoop& loop, double scale)
    : connection_(std::move(connection)),
      root_(root),
      loop_(loop),
      scale_(scale),
      keyboard_(connection_->get()),
      scrollDevices_(connection_->get()),
      cursors_(std::make_unique<CursorCache>()) {
    xcb_cursor_context_new(connection_->get(), connection_->screen(), &cursors_->context);
}

std::unique_ptr<WindowHost> WindowHost::openTopLevel(ui::Root& root, EventLoop& loop, TopLevelOptions options) {
    auto connection = Connection::open();
    if (!connection) return nullptr;
    const double scale = connection->resourceDisplayScale();
    std::unique_ptr<WindowHost> host(new WindowHost(std::move(connection), root, loop, scale));
    host->topLevel_ = true;
    host->onCloseRequest_ = std::move(options.onCloseRequest);
    host->onDisplayLost_ = std::move(options.onDisplayLost);
    const ui::Size pixels{std::round(options.size.width * scale), std::round(options.size.height * scale)};
    if (!host->create(host->connection_->screen()->root, pixels)) return nullptr;

    xcb_connection_t* c = host->connection_->get();
    const Atoms& atoms = host->connection_->atoms();
    const xcb_window_t w = host->window_;
    setProperty(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, options.title.size(), options.title.data());
    setProperty(c, w, atoms.netWmName, atoms.utf8String, 8, options.title.size(), options.title.data());
    static constexpr char wmClass[] = "pulvan\0Pulvan";
    setProperty(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof wmClass, wmClass);
    // The first frame is marked as being drawn until it is whole on the window, so a compositing manager takes in the
    // window with its picture.
    host->frameCounter_ = FrameCounter::create(c);
    const xcb_atom_t protocols[] = {atoms.wmDeleteWindow, atoms.netWmSyncRequest};
    setProperty(c, w, atoms.wmProtocols, XCB_ATOM_ATOM, 32, host->frameCounter_ ? 2 : 1, protocols);
    if (host->frameCounter_) {
        const std::uint32_t counters[] = {host->frameCounter_->basic(), host->frameCounter_->extended()};
        setProperty(c, w, atoms.netWmSyncRequestCounter, XCB_ATOM_CARDINAL, 32, 2, counters);
    }
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    setProperty(c, w, atoms.netWmPid, XCB_ATOM_CARDINAL, 32, 1, &pid);
    // WM_NORMAL_HINTS: the program's size and its minimum.
    std::uint32_t hints[18] = {};
    hints[0] = (1u << 3) | (1u << 4);
    hints[3] = pixelsOf(pixels.width);
    hints[4] = pixelsOf(pixels.height);
    hints[5] = pixelsOf(options.minimumSize.width * scale);
    hints[6] = pixelsOf(options.minimumSize.height * scale);
    setProperty(c, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
    xcb_map_window(c, w);
    xcb_flush(c);
    return host;
}

std::unique_ptr<WindowHost> WindowHost::openChild(ui::Root& root, EventLoop& loop, std::uint32_t parent, ui::Size pixels) {
    auto connection = Connection::open();
    if (!connection || parent == 0 || !connection->windowSize(parent)) return nullptr;
    std::unique_ptr<WindowHost> host(new WindowHost(std::move(connection), root, loop, 1.0));
    if (!host->create(parent, pixels)) return nullptr;
    // A text field being edited borrows the host's keyboard after the person's act, and gives it back when done.
    root.onWantsKeyboardFocus = [h = host.get()](bool editing) { h->editingChanged(editing); };
    host->editingChanged(root.wantsKeyboardFocus());
    xcb_map_window(host->connection_->get(), host->window_);
    xcb_flush(host->connection_->get());
    return host;
}

bool WindowHost::create(std::uint32_t parent, ui::Size pixels) {
    xcb_connection_t* c = connection_->get();
    window_ = xcb_generate_id(c);
    const xcb_screen_t* screen = connection_->screen();
    // No background: the server never clears the window before we paint it, so resizing does not flicker.
    // Border and colormap named outright: a parent of another visual has none to lend.
    // An embedded window maps and sizes itself even where the host redirects its children's requests (a GtkSocket):
    // such a host maps a child only when it next lays itself out, which a host whose frames wait on the window manager
    // may not do until some other event wakes it, leaving its socket blank.
    keysSelected_ = topLevel_;
    const bool embedded = parent != screen->root;
    visual_ = visualFor(c, screen, parent);
    if (visual_.alpha) {
        colormap_ = xcb_generate_id(c);
        xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap_, screen->root, visual_.id);
    }
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE,
                                    visual_.alpha ? 0 : screen->black_pixel,
                                    XCB_GRAVITY_NORTH_WEST,
                                    embedded,
                                    eventMask(),
                                    visual_.alpha ? colormap_ : screen->default_colormap};
    pixels_ = {static_cast<double>(pixelsOf(pixels.width)), static_cast<double>(pixelsOf(pixels.height))};
    const auto cookie = xcb_create_window_checked(
        c, visual_.depth, window_, parent, 0, 0, pixelsOf(pixels.width), pixelsOf(pixels.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
        visual_.id,
        XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_BIT_GRAVITY | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
        values);
    hostKeyboard_ = std::make_unique<HostKeyboard>(*connection_, window_, embedded);
    if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
        std::free(error);
        window_ = 0;
        return false;
    }
    gc_ = xcb_generate_id(c);
    const std::uint32_t noExposures = 0;
    xcb_create_gc(c, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    selectPointerInput();
    hostKeyboard_->follow();
    root_.setHasKeyboardFocus(false);
    root_.setDisplayScale(scale_);
    root_.setSize({pixels_.width / scale_, pixels_.height / scale_});
    loop_.add(*this);
    return true;
}

std::uint32_t WindowHost::eventMask() const {
    return kWindowEvents | (keysSelected_ ? kKeyEvents : 0) | (connection_->xinputOpcode() ? 0 : kCorePointerEvents);
}

// The keys are asked for before the focus: a key typed as the focus lands would find the window not listening, and
// the server hands a key no further than the focus window.
void WindowHost::editingChanged(bool editing) {
    selectKeys();
    hostKeyboard_->editingChanged(editing);
    keyboardFocusChanged();
    xcb_flush(connection_->get());
}

// Keys come to an embedded window only while it uses them: a field is being edited, or a key it took is still down
// (its release belongs where its press went). Else a key typed over it goes to the host's window beneath, as if this
// one were not there: where the host keeps the focus on an ancestor, the server gives keys to the window under the
// pointer and hands them up only past windows that do not ask for them. A top-level has nothing beneath.
bool WindowHost::rootTakesKeys() const { return topLevel_ || root_.wantsKeyboardFocus() || hostKeyboard_->keyIsDown(); }

// Also while the X focus is on the window itself (the keys are on their way back, or the host put it there): the
// server hands keys no further up than the focus, so the window passes them on to the host.
void WindowHost::selectKeys() {
    const bool wanted = rootTakesKeys() || hostKeyboard_->holdsFocus();
    if (wanted == keysSelected_) return;
    keysSelected_ = wanted;
    const std::uint32_t mask = eventMask();
    xcb_change_window_attributes(connection_->get(), window_, XCB_CW_EVENT_MASK, &mask);
}

void WindowHost::selectPointerInput() {
    if (!connection_->xinputOpcode()) return;
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t mask;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           XCB_INPUT_XI_EVENT_MASK_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_BUTTON_RELEASE | XCB_INPUT_XI_EVENT_MASK_MOTION |
               XCB_INPUT_XI_EVENT_MASK_ENTER | XCB_INPUT_XI_EVENT_MASK_LEAVE};
    xcb_input_xi_select_events(connection_->get(), window_, 1, &mask.head);
}

WindowHost::~WindowHost() {
    loop_.remove(*this);
    root_.onWantsKeyboardFocus = nullptr;
    if (window_) hostKeyboard_->closing();
    xcb_connection_t* c = connection_->get();
    releaseBuffer();
    for (const auto& [shape, cursor] : cursors_->loaded) xcb_free_cursor(c, cursor);
    if (cursors_->context) xcb_cursor_context_free(cursors_->context);
    if (gc_) xcb_free_gc(c, gc_);
    if (window_) xcb_destroy_window(c, window_);
    if (frameCounter_) frameCounter_->destroy();
    if (colormap_) xcb_free_colormap(c, colormap_);
    // A round trip: the window is gone for every other client (the host) once the editor's view is.
    waitForServer(c);
}

ui::Rect WindowHost::workArea() const {
    const ui::Rect pixels = connection_->workAreaPixels();
    return {pixels.x / scale_, pixels.y / scale_, pixels.width / scale_, pixels.height / scale_};
}

void WindowHost::resize(ui::Size pixels) {
    const std::uint32_t size[] = {pixelsOf(pixels.width), pixelsOf(pixels.height)};
    xcb_configure_window(connection_->get(), window_, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    applySize({static_cast<double>(size[0]), static_cast<double>(size[1])});
    // A round trip: the window has its new size once the host's onSize returns.
    waitForServer(connection_->get());
}

void WindowHost::applySize(ui::Size pixels) {
    if (pixels == pixels_) return;
    pixels_ = pixels;
    releaseBuffer();
    root_.setSize({pixels.width / scale_, pixels.height / scale_});
}

void WindowHost::releaseBuffer() {
    if (presenter_) presenter_->release();
}

void WindowHost::paint(const ui::Damage& points) {
    const int width = static_cast<int>(pixels_.width), height = static_cast<int>(pixels_.height);
    if (width <= 0 || height <= 0) return;
    if (!presenter_) presenter_ = std::make_unique<Presenter>(connection_->get(), window_, gc_, visual_.depth);
    const bool whole = !presenter_->hasFrame();
    cairo_surface_t* image = presenter_->image(width, height);
    // Whole device pixels around each damaged rectangle: the picture outside them is the last frame's.
    std::vector<PixelRect> rects;
    // The root's damage lies on whole device pixels already: a rounding error takes in no pixel beside it.
    const auto add = [&](const ui::Rect& r) {
        constexpr double slack = 1e-6;
        const int x0 = std::clamp(static_cast<int>(std::floor(r.x * scale_ + slack)), 0, width);
        const int y0 = std::clamp(static_cast<int>(std::floor(r.y * scale_ + slack)), 0, height);
        const int x1 = std::clamp(static_cast<int>(std::ceil(r.maxX() * scale_ - slack)), 0, width);
        const int y1 = std::clamp(static_cast<int>(std::ceil(r.maxY() * scale_ - slack)), 0, height);
        if (x1 > x0 && y1 > y0) rects.push_back({x0, y0, x1 - x0, y1 - y0});
    };
    if (whole) add({0, 0, pixels_.width / scale_, pixels_.height / scale_});
    else
        for (const ui::Rect& r : points.rects()) add(r);
    if (rects.empty()) return;
    cairo_t* cr = cairo_create(image);
    for (const PixelRect& r : rects) cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_scale(cr, scale_, scale_);
    ui::paint(cr, root_.displayList());
    cairo_destroy(cr);
    if (paint_check::isOn()) checkAgainstWholePaint(image);
    presenter_->put(rects);
    presenter_->setFramed();
    painted_ = true;
    if (onPainted) onPainted();
}

void WindowHost::prepareToWait() {
    // A window without a whole frame to serve exposures from is painted whole.
    if (exposed_ && !(presenter_ && presenter_->hasFrame())) root_.markDamaged({0, 0, pixels_.width / scale_, pixels_.height / scale_});
    const std::int64_t now = root_.nowNanoseconds();
    const auto frame = root_.nextAnimationFrame();
    if (root_.needsUpdate() || (frame && now >= *frame)) root_.update();
    // While the window shows nothing its damage stays with the root, whose drawing then covers all of it.
    if (exposed_)
        if (const ui::Damage damage = root_.takeDamage(); !damage.isEmpty()) paint(damage);
    if (exposed_ && presenter_ && presenter_->hasFrame()) {
        if (frameCounter_) frameCounter_->frameShown();
        if (paint_check::screenAsked(window_)) checkScreenAgainstWholePaint();
    }
    updateCursor();
    xcb_flush(connection_->get());
}

std::optional<std::int64_t> WindowHost::nextDeadline() const {
    auto deadline = root_.nextAnimationFrame();
    if (const auto scrollEnd = scrollPhases_.deadline()) deadline = deadline ? std::min(*deadline, *scrollEnd) : *scrollEnd;
    return deadline;
}

void WindowHost::dispatch() {
    if (scrollPhases_.idleEndDue(root_.nowNanoseconds())) scroll(lastPointerPixels_, 0, 0, true, ui::ScrollPhase::ended, 0);
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_->get())) {
        handle(event);
        std::free(event);
    }
    // After the whole turn's events: the focus rules see where the focus went, not a step on its way.
    selectKeys();
    hostKeyboard_->carryOut();
    keyboardFocusChanged();
    // The server went away or closed our connection: there is nothing left to show.
    if (connection_->hasError()) {
        loop_.remove(*this);
        if (onDisplayLost_) onDisplayLost_();
    }
}

void WindowHost::handle(const xcb_generic_event_t* event) {
    switch (event->response_type & 0x7F) {
        case 0: return;  // an error of a request that was not checked: the request failed, nothing else
        case XCB_EXPOSE: {
            const auto* e = reinterpret_cast<const xcb_expose_event_t*>(event);
            exposed_ = true;
            if (presenter_ && presenter_->hasFrame()) presenter_->put({{e->x, e->y, e->width, e->height}});
            return;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
            if (e->window == window_) applySize({static_cast<double>(e->width), static_cast<double>(e->height)});
            return;
        }
        case XCB_UNMAP_NOTIFY:
            if (!hostKeyboard_->isWindowOrAncestor(reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window)) return;
            exposed_ = false;
            root_.cancelPointer();
            hostKeyboard_->releaseGoesElsewhere();
            return;
        // A window manager takes the host's window into a frame of its own, or out of it again.
        case XCB_REPARENT_NOTIFY: hostKeyboard_->follow(); return;
        case XCB_CLIENT_MESSAGE: {
            const auto* e = reinterpret_cast<const xcb_client_message_event_t*>(event);
            if (hostKeyboard_->handle(*event)) {
                // An embedder draws its window as it takes ours in and as its activation or focus changes, and tells
                // us in an XEmbed word; metacity's compositor then now and then left the screen under this window as it
                // was before a frame put meanwhile (black where the editor had drawn). The picture goes on whole again.
                if (exposed_ && presenter_ && presenter_->hasFrame())
                    presenter_->put({{0, 0, static_cast<int>(pixels_.width), static_cast<int>(pixels_.height)}});
                return;
            }
            if (e->type != connection_->atoms().wmProtocols) return;
            if (e->data.data32[0] == connection_->atoms().wmDeleteWindow && onCloseRequest_) onCloseRequest_();
            // Answered once the window has drawn what comes with it (a new size).
            if (e->data.data32[0] == connection_->atoms().netWmSyncRequest && frameCounter_)
                frameCounter_->syncRequested(e->data.data32[2] | std::uint64_t{e->data.data32[3]} << 32);
            return;
        }
        // Focus moving between the host's windows does not take the pointer: a press goes on until its
        // release, a grab taken by another client or the window's unmapping.
        case XCB_FOCUS_IN:
        case XCB_FOCUS_OUT:
        case XCB_PROPERTY_NOTIFY: hostKeyboard_->handle(*event); return;
        case XCB_ENTER_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_enter_notify_event_t*>(event);
            hostKeyboard_->pointerCrossed(true, e->detail, e->same_screen_focus & 1);
            return;
        }
        case XCB_KEY_PRESS:
        case XCB_KEY_RELEASE: {
            const auto* e = reinterpret_cast<const xcb_key_press_event_t*>(event);
            if (!hostKeyboard_->key(*e)) {
                const bool pressed = (event->response_type & 0x7F) == XCB_KEY_PRESS;
                if (auto key = keyboard_.translate(e->detail, e->state, pressed)) root_.dispatch(*key);
                // A key that ends the editing (Return closing the dialog) does so before the next key is read: those
                // typed right after it in the same turn are the host's.
                if (root_.needsUpdate()) root_.update();
            }
            // Before a key that ended the editing lets the keyboard go on: the keys go back, and the window no longer
            // asks for them, else those typed meanwhile come here by the pointer over it.
            hostKeyboard_->carryOut();
            selectKeys();
            hostKeyboard_->thaw(*e);
            return;
        }
        case XCB_BUTTON_PRESS:
        case XCB_BUTTON_RELEASE: {
            const auto* e = reinterpret_cast<const xcb_button_press_event_t*>(event);
            pointerButton((event->response_type & 0x7F) == XCB_BUTTON_PRESS, e->detail, {double(e->event_x), double(e->event_y)},
                          {double(e->root_x), double(e->root_y)}, modifiersFromState(e->state), e->time);
            return;
        }
        case XCB_MOTION_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_motion_notify_event_t*>(event);
            pointerMoved({double(e->event_x), double(e->event_y)}, {double(e->root_x), double(e->root_y)}, modifiersFromState(e->state));
            return;
        }
        case XCB_LEAVE_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_leave_notify_event_t*>(event);
            if (e->mode == XCB_NOTIFY_MODE_GRAB) {
                root_.cancelPointer();
                hostKeyboard_->releaseGoesElsewhere();
            }
            root_.pointerLeftWindow();
            hostKeyboard_->pointerCrossed(false, e->detail, e->same_screen_focus & 1);
            return;
        }
        case XCB_GE_GENERIC: {
            const auto* e = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
            if (e->extension == connection_->xinputOpcode()) handleInput(e);
            return;
        }
        default: keyboard_.handle(*event); return;
    }
}

void WindowHost::handleInput(const xcb_ge_generic_event_t* event) {
    switch (event->event_type) {
        case XCB_INPUT_BUTTON_PRESS:
        case XCB_INPUT_BUTTON_RELEASE: {
            const auto* e = reinterpret_cast<const xcb_input_button_press_event_t*>(event);
            // A touchpad's wheel buttons only stand in for its smooth scrolling, which arrives as well.
            const bool emulated = e->flags & XCB_INPUT_POINTER_EVENT_FLAGS_POINTER_EMULATED;
            if (emulated && scrollDevices_.isTouchpad(e->sourceid)) return;
            pointerButton(event->event_type == XCB_INPUT_BUTTON_PRESS, e->detail, {fromFixed(e->event_x), fromFixed(e->event_y)},
                          {fromFixed(e->root_x), fromFixed(e->root_y)}, modifiersFromState(static_cast<std::uint16_t>(e->mods.effective)),
                          e->time);
            return;
        }
        case XCB_INPUT_RAW_BUTTON_PRESS: {
            const auto* e = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event);
            hostKeyboard_->pressedAnywhere(e->detail, e->time);
            return;
        }
        case XCB_INPUT_RAW_KEY_PRESS:
            hostKeyboard_->keyedAnywhere(reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event)->time);
            return;
        case XCB_INPUT_MOTION: {
            const auto* e = reinterpret_cast<const xcb_input_motion_event_t*>(event);
            const ui::Point window{fromFixed(e->event_x), fromFixed(e->event_y)};
            const unsigned modifiers = modifiersFromState(static_cast<std::uint16_t>(e->mods.effective));
            if (const auto delta = scrollDevices_.scrollDelta(e)) {
                const std::int64_t now = root_.nowNanoseconds();
                scroll(window, delta->x * kPointsPerScrollIncrement, delta->y * kPointsPerScrollIncrement, true, scrollPhases_.delta(now),
                       modifiers);
                return;
            }
            pointerMoved(window, {fromFixed(e->root_x), fromFixed(e->root_y)}, modifiers);
            return;
        }
        case XCB_INPUT_ENTER: {
            const auto* e = reinterpret_cast<const xcb_input_enter_event_t*>(event);
            scrollDevices_.forgetPositions();
            hostKeyboard_->pointerCrossed(true, e->detail, e->focus);
            return;
        }
        case XCB_INPUT_LEAVE: {
            const auto* e = reinterpret_cast<const xcb_input_leave_event_t*>(event);
            endTouchpadScroll();
            // Another client took the pointer: whatever we were tracking is cancelled.
            if (e->mode == XCB_INPUT_NOTIFY_MODE_GRAB) {
                root_.cancelPointer();
                hostKeyboard_->releaseGoesElsewhere();
            }
            root_.pointerLeftWindow();
            hostKeyboard_->pointerCrossed(false, e->detail, e->focus);
            return;
        }
        default: return;
    }
}

void WindowHost::pointerButton(bool pressed, unsigned button, ui::Point windowPixels, ui::Point rootPixels, unsigned modifiers,
                               xcb_timestamp_t time) {
    lastPointerPixels_ = windowPixels;
    if (button >= 4 && button <= 7) {
        // Wheel clicks: line steps, never phased. Up and left are negative.
        if (!pressed) return;
        endTouchpadScroll();
        const double step = (button == 4 || button == 6) ? -1 : 1;
        scroll(windowPixels, button >= 6 ? step : 0, button <= 5 ? step : 0, false, ui::ScrollPhase::none, modifiers);
        return;
    }
    ui::MouseButton which;
    switch (button) {
        case 1: which = ui::MouseButton::left; break;
        case 2: which = ui::MouseButton::middle; break;
        case 3: which = ui::MouseButton::right; break;
        default: return;
    }
    endTouchpadScroll();
    // The act a field being edited, or one the press focuses, takes the keys for.
    if (pressed) hostKeyboard_->pointerPressed(time);
    else hostKeyboard_->pointerReleased(time);
    sendPointer(pressed ? ui::PointerPhase::press : ui::PointerPhase::release, which, windowPixels, rootPixels, modifiers);
}

void WindowHost::sendPointer(ui::PointerPhase phase, ui::MouseButton button, ui::Point windowPixels, ui::Point rootPixels,
                             unsigned modifiers) {
    ui::PointerEvent e;
    e.phase = phase;
    e.button = button;
    e.location = toPoints(windowPixels);
    e.screenLocation = toPoints(rootPixels);
    e.modifiers = modifiers;
    e.timeNanoseconds = root_.nowNanoseconds();
    root_.dispatch(e);
}

void WindowHost::pointerMoved(ui::Point windowPixels, ui::Point rootPixels, unsigned modifiers) {
    lastPointerPixels_ = windowPixels;
    endTouchpadScroll();
    sendPointer(ui::PointerPhase::move, ui::MouseButton::none, windowPixels, rootPixels, modifiers);
}

void WindowHost::scroll(ui::Point windowPixels, double dx, double dy, bool precise, ui::ScrollPhase phase, unsigned modifiers) {
    lastPointerPixels_ = windowPixels;
    ui::ScrollEvent e;
    e.location = toPoints(windowPixels);
    e.deltaX = dx;
    e.deltaY = dy;
    e.hasPreciseDeltas = precise;
    e.phase = phase;
    e.modifiers = modifiers;
    e.timeNanoseconds = root_.nowNanoseconds();
    root_.dispatch(e);
}

void WindowHost::endTouchpadScroll() {
    if (scrollPhases_.end()) scroll(lastPointerPixels_, 0, 0, true, ui::ScrollPhase::ended, 0);
}

void WindowHost::updateCursor() {
    const ui::CursorShape shape = root_.cursor();
    if (shownCursor_ == shape || !cursors_->context) return;
    shownCursor_ = shape;
    auto [it, added] = cursors_->loaded.try_emplace(shape, 0);
    if (added) it->second = xcb_cursor_load_cursor(cursors_->context, cursorName(shape));
    xcb_change_window_attributes(connection_->get(), window_, XCB_CW_CURSOR, &it->second);
}

// Only where the server sends every key to the window: a host that forwards keys keeps some for itself.
void WindowHost::keyboardFocusChanged() {
    selectKeys();
    const bool has = hostKeyboard_->hasKeys() && keysSelected_ && rootTakesKeys();
    if (has == std::exchange(hasKeys_, has)) return;
    // Keys held as the keyboard went elsewhere are released there.
    if (!has) keyboard_.releaseAll();
    root_.setHasKeyboardFocus(has);
}

}  // namespace pulvan::x11
