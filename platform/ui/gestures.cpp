#include "platform/ui/gestures.h"

#include "platform/ui/input.h"
#include "platform/ui/node.h"
#include "platform/ui/root.h"

namespace pulvan::ui {

namespace {

// A transparent layer over its content that takes presses anywhere in its frame.
template <typename P>
class CaptureNode : public ParameterizedProxyNode<P>, public PointerHandler {
public:
    bool acceptsHits() const override { return true; }
    PointerHandler* pointerHandler() override { return this; }
};

struct PointerParameters {
    std::function<void(const PointerEvent&)> handler;
    bool simultaneous = false;
};
class PointerNode final : public CaptureNode<PointerParameters> {
public:
    void pointerEvent(const PointerEvent& e) override {
        if (parameters_.handler) parameters_.handler(e);
    }
    bool actsSimultaneously() const override { return parameters_.simultaneous; }
};

struct TapParameters {
    TapOptions options;
    std::function<void(Point)> action;
};
class TapNode final : public CaptureNode<TapParameters> {
public:
    void pointerEvent(const PointerEvent& e) override {
        switch (e.phase) {
            case PointerPhase::press: down_ = e.location; break;
            case PointerPhase::release:
                if (e.clickCount % parameters_.options.count == 0 && distance(down_, e.location) <= parameters_.options.slop &&
                    parameters_.action)
                    parameters_.action(e.location);
                break;
            case PointerPhase::move:
            case PointerPhase::cancel: break;
        }
    }

private:
    Point down_;
};

struct DragParameters {
    DragOptions options;
    std::function<void(const DragValue&)> onChanged, onEnded;
};
class DragNode final : public CaptureNode<DragParameters> {
public:
    bool actsSimultaneously() const override { return parameters_.options.simultaneous; }
    void pointerEvent(const PointerEvent& e) override {
        switch (e.phase) {
            case PointerPhase::press:
                value_ = {e.location, e.location};
                pressed_ = true;
                active_ = parameters_.options.minimumDistance <= 0;
                if (active_ && parameters_.onChanged) parameters_.onChanged(value_);
                break;
            case PointerPhase::move:
                if (!pressed_) break;
                value_.location = e.location;
                if (!active_ && distance(value_.startLocation, e.location) >= parameters_.options.minimumDistance) active_ = true;
                if (active_ && parameters_.onChanged) parameters_.onChanged(value_);
                break;
            case PointerPhase::release:
            case PointerPhase::cancel:
                if (e.phase == PointerPhase::release) value_.location = e.location;
                if (active_ && parameters_.onEnded) parameters_.onEnded(value_);
                pressed_ = active_ = false;
                break;
        }
    }

private:
    DragValue value_;
    bool pressed_ = false;
    bool active_ = false;
};

struct LongPressParameters {
    LongPressOptions options;
    std::function<void()> action;
};
class LongPressNode final : public CaptureNode<LongPressParameters> {
public:
    void pointerEvent(const PointerEvent& e) override {
        switch (e.phase) {
            case PointerPhase::press:
                down_ = e.location;
                timer_ = root()->mainQueue().scheduleOneShot(static_cast<std::int64_t>(parameters_.options.minimumDuration * 1e9), [this] {
                    if (parameters_.action) parameters_.action();
                });
                break;
            case PointerPhase::move:
                if (distance(down_, e.location) > parameters_.options.maximumDistance) timer_.cancel();
                break;
            case PointerPhase::release:
            case PointerPhase::cancel: timer_.cancel(); break;
        }
    }
    void willUnmount() override { timer_.cancel(); }

private:
    Point down_;
    foundation::Timer timer_;
};

class HoverNode final : public ParameterizedProxyNode<std::function<void(bool)>> {
public:
    bool acceptsHits() const override { return true; }
    void hoverChanged(bool inside) override {
        if (parameters_) parameters_(inside);
    }
};

class CursorNode final : public ParameterizedProxyNode<CursorShape> {
public:
    bool acceptsHits() const override { return true; }
    std::optional<CursorShape> cursor() const override { return parameters_; }
};

class HelpNode final : public ParameterizedProxyNode<std::string> {
public:
    bool acceptsHits() const override { return true; }
    const std::string* tooltip() const override { return parameters_.empty() ? nullptr : &parameters_; }
};

class ScrollNode final : public ParameterizedProxyNode<std::function<bool(const ScrollEvent&)>>, public ScrollHandler {
public:
    bool acceptsHits() const override { return true; }
    ScrollHandler* scrollHandler() override { return this; }
    bool scrollEvent(const ScrollEvent& e) override { return parameters_ && parameters_(e); }
};

}  // namespace

View View::onPointer(std::function<void(const PointerEvent&)> handler, bool simultaneous) const {
    return modified<PointerNode>(*this, {std::move(handler), simultaneous});
}
View View::onTapGesture(TapOptions options, std::function<void(Point)> action) const {
    return modified<TapNode>(*this, {options, std::move(action)});
}
View View::onTapGesture(std::function<void()> action) const {
    return onTapGesture(TapOptions{}, [action = std::move(action)](Point) {
        if (action) action();
    });
}
View View::onDrag(DragOptions options, std::function<void(const DragValue&)> onChanged,
                  std::function<void(const DragValue&)> onEnded) const {
    return modified<DragNode>(*this, {options, std::move(onChanged), std::move(onEnded)});
}
View View::onLongPressGesture(LongPressOptions options, std::function<void()> action) const {
    return modified<LongPressNode>(*this, {options, std::move(action)});
}
View View::onHover(std::function<void(bool)> action) const { return modified<HoverNode>(*this, std::move(action)); }
View View::cursor(CursorShape shape) const { return modified<CursorNode>(*this, shape); }
View View::help(std::string text) const { return modified<HelpNode>(*this, std::move(text)); }
View View::onScroll(std::function<bool(const ScrollEvent&)> handler) const { return modified<ScrollNode>(*this, std::move(handler)); }

}  // namespace pulvan::ui
