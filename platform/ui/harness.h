#pragma once
// The offscreen harness: a root on a manual clock, rendered to images and driven with synthetic input.
#include "platform/foundation/main_queue.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/root.h"

#include <functional>
#include <memory>
#include <string>

namespace pulvan::ui {

class Harness {
public:
    // The content is built at once and laid out at the size (points) and scale (pixels per point).
    Harness(std::function<View()> content, Size size, double scale = 1);

    Root& root() { return root_; }
    foundation::ManualMainQueue& clock() { return queue_; }

    // Runs queued work and brings the tree up to date.
    void update();
    // Moves the clock on, running timers and animation frames on the way and one at the end.
    void advance(double seconds);
    void resize(Size size);

    // Views by test identifier: the node, its frame and centre in window points.
    Node* find(const std::string& testId) const;
    Rect frame(const std::string& testId) const;
    Point center(const std::string& testId) const { return frame(testId).center(); }
    bool exists(const std::string& testId) const { return find(testId) != nullptr; }

    // Pointer input in window points; every call updates the tree afterwards.
    void press(Point at, unsigned modifiers = 0);
    void move(Point to);
    void release(Point at);
    void click(Point at, unsigned modifiers = 0);
    void clickOn(const std::string& testId) { click(center(testId)); }
    // Press at from, move in steps to to, release there.
    void drag(Point from, Point to, int steps = 4);
    void hover(Point at);
    void scroll(Point at, double dx, double dy, ScrollPhase phase = ScrollPhase::none, bool precise = false);
    void key(std::uint32_t keysym, unsigned modifiers = 0, std::string text = {});
    void type(const std::string& text);
    // A key held down: its press, or with `repeat` one of its auto-repeats; the tree is updated after each.
    void keyDown(std::uint32_t keysym, bool repeat = false);
    void keyUp(std::uint32_t keysym);

    // The whole window as the user sees it now, at the harness's scale.
    Bitmap render();

private:
    void send(PointerPhase phase, Point at, unsigned modifiers);
    foundation::ManualMainQueue queue_;
    Root root_;
    double scale_;
    bool pressed_ = false;
};

}  // namespace pulvan::ui
