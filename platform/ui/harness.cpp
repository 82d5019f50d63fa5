#include "platform/ui/harness.h"

#include <cmath>
#include <stdexcept>

namespace pulvan::ui {

namespace {
constexpr Color windowBackground = Color::black();
}

Harness::Harness(std::function<View()> content, Size size, double scale) : root_(std::move(content), queue_.queue()), scale_(scale) {
    root_.setSize(size);
    root_.setDisplayScale(scale);
    update();
}

void Harness::update() {
    queue_.drain();
    root_.update();
    queue_.drain();
    if (root_.needsUpdate()) root_.update();
}

void Harness::advance(double seconds) {
    const std::int64_t end = queue_.clock().nowNanoseconds() + static_cast<std::int64_t>(std::llround(seconds * 1e9));
    // Step through animation frames as a window would, so fades and blinks pass through their states.
    while (true) {
        const auto frame = root_.nextAnimationFrame();
        const std::int64_t now = queue_.clock().nowNanoseconds();
        const std::int64_t next = frame && *frame <= end ? std::max(*frame, now) : end;
        queue_.advanceNanoseconds(next - now);
        if (next >= end) {
            // The state at the end, as a frame drawn then would show it.
            queue_.drain();
            root_.updateAnimationFrameNow();
            update();
            break;
        }
        update();
    }
}

void Harness::resize(Size size) {
    root_.setSize(size);
    update();
}

Node* Harness::find(const std::string& testId) const { return root_.find(testId); }

Rect Harness::frame(const std::string& testId) const {
    Node* n = find(testId);
    if (!n) throw std::runtime_error("no view with the test identifier \"" + testId + "\"");
    return n->frameInRoot();
}

void Harness::send(PointerPhase phase, Point at, unsigned modifiers) {
    PointerEvent e;
    e.phase = phase;
    e.location = at;
    e.screenLocation = at;
    e.modifiers = modifiers;
    e.timeNanoseconds = queue_.clock().nowNanoseconds();
    root_.dispatch(e);
    update();
}

void Harness::press(Point at, unsigned modifiers) {
    pressed_ = true;
    send(PointerPhase::press, at, modifiers);
}
void Harness::move(Point to) { send(PointerPhase::move, to, 0); }
void Harness::release(Point at) {
    pressed_ = false;
    send(PointerPhase::release, at, 0);
}
void Harness::click(Point at, unsigned modifiers) {
    press(at, modifiers);
    release(at);
}
void Harness::drag(Point from, Point to, int steps) {
    press(from);
    for (int i = 1; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        move({from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t});
    }
    release(to);
}
void Harness::hover(Point at) { send(PointerPhase::move, at, 0); }

void Harness::scroll(Point at, double dx, double dy, ScrollPhase phase, bool precise) {
    ScrollEvent e;
    e.location = at;
    e.deltaX = dx;
    e.deltaY = dy;
    e.phase = phase;
    e.hasPreciseDeltas = precise;
    e.timeNanoseconds = queue_.clock().nowNanoseconds();
    root_.dispatch(e);
    update();
}

void Harness::key(std::uint32_t keysym, unsigned modifiers, std::string text) {
    KeyEvent e;
    e.keysym = keysym;
    e.modifiers = modifiers;
    e.text = std::move(text);
    root_.dispatch(e);
    e.pressed = false;
    root_.dispatch(e);
    update();
}

void Harness::keyDown(std::uint32_t keysym, bool repeat) {
    KeyEvent e;
    e.keysym = keysym;
    e.isRepeat = repeat;
    root_.dispatch(e);
    update();
}

void Harness::keyUp(std::uint32_t keysym) {
    KeyEvent e;
    e.keysym = keysym;
    e.pressed = false;
    root_.dispatch(e);
    update();
}

void Harness::type(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 1;
        while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
        key(static_cast<unsigned char>(text[i]) < 0x80 ? static_cast<unsigned char>(text[i]) : 0, 0, text.substr(i, n));
        i += n;
    }
}

Bitmap Harness::render() {
    update();
    // The whole window, not only what changed since the last frame.
    root_.markDamaged({0, 0, root_.size().width, root_.size().height});
    root_.requestUpdate();
    root_.update();
    const Size s = root_.size();
    Bitmap bitmap(static_cast<int>(std::ceil(s.width * scale_)), static_cast<int>(std::ceil(s.height * scale_)));
    bitmap.render(root_.displayList(), scale_, windowBackground);
    root_.takeDamage();
    return bitmap;
}

}  // namespace pulvan::ui
