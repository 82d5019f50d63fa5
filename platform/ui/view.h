#pragma once
// Views are values that describe part of the screen for the current state; the layer keeps a node for
// each and matches new descriptions against the nodes, so state held by a node survives rebuilds.
#include "platform/foundation/main_queue.h"
#include "platform/foundation/signal.h"
#include "platform/ui/color.h"
#include "platform/ui/environment.h"
#include "platform/ui/events.h"
#include "platform/ui/geometry.h"
#include "platform/ui/gestures.h"
#include "platform/ui/path.h"
#include "platform/ui/text.h"

#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace pulvan::ui {

class Node;
class View;
struct Anchor;
class CompositeNode;
class Root;
class BuildContext;

// An explicit identity: a node is kept only for a description with the same one.
class ViewId {
public:
    ViewId() = default;
    ViewId(long long number) : key_(1, '#') { key_.append(std::to_string(number)); }
    ViewId(int number) : ViewId(static_cast<long long>(number)) {}
    ViewId(const std::string& name) : key_(1, '$') { key_.append(name); }
    ViewId(const char* name) : ViewId(std::string(name)) {}
    bool isSet() const { return !key_.empty(); }
    friend bool operator==(const ViewId&, const ViewId&) = default;

private:
    std::string key_;
};

enum class Curve : unsigned char { linear, easeIn, easeOut, easeInOut };
struct Animation {
    double duration = 0.15;
    Curve curve = Curve::easeInOut;
    static Animation easeInOut(double duration) { return {duration, Curve::easeInOut}; }
    static Animation linear(double duration) { return {duration, Curve::linear}; }
    double progress(double t) const;  // the curve at t in 0...1
};

// How a view comes and goes: fades by opacity over the animation.
struct Transition {
    Animation animation;
    static Transition opacity(Animation animation = {}) { return {animation}; }
};

// Everything a node needs while its description is applied to it.
struct BuildScope {
    Environment environment;
    Root* root = nullptr;
};

// The description of one kind of node. Immutable and shared.
class ViewSpec : public std::enable_shared_from_this<ViewSpec> {
public:
    virtual ~ViewSpec() = default;
    // Nodes are reused only for descriptions of the same kind.
    virtual const void* kind() const = 0;
    virtual std::unique_ptr<Node> makeNode() const = 0;
    // Stores what the node needs of this description and brings its children up to date.
    virtual void update(Node& node, const BuildScope& scope) const = 0;
};

template <typename T>
inline const char kindTag = 0;

template <typename V>
concept CustomView = requires(const V& v, BuildContext& context) {
    {v.body(context)};
}
&&!std::is_same_v<std::remove_cvref_t<V>, View>;

class View {
public:
    View() = default;  // nothing: takes no space, draws nothing
    explicit View(std::shared_ptr<const ViewSpec> spec) : spec_(std::move(spec)) {}
    template <CustomView V>
    View(V view);

    const std::shared_ptr<const ViewSpec>& spec() const { return spec_; }
    const ViewId& id() const { return id_; }
    const std::optional<Transition>& transition() const { return transition_; }
    bool isEmpty() const { return !spec_; }

    // Identity and transitions: read by the parent when it matches children.
    View id(ViewId id) const;
    View transition(Transition transition) const;

    // Layout.
    View padding(double all) const { return padding(EdgeInsets{all, all, all, all}); }
    View padding(unsigned edges, double length) const;
    View padding(EdgeInsets insets) const;
    struct FrameSpec {
        std::optional<double> width, height;
        std::optional<double> minWidth, idealWidth, maxWidth;
        std::optional<double> minHeight, idealHeight, maxHeight;
        UnitPoint alignment = unit::center;
    };
    View frame(FrameSpec spec) const;
    View fixedSize(bool horizontal = true, bool vertical = true) const;
    enum class ContentMode : unsigned char { fit, fill };
    View aspectRatio(std::optional<double> ratio, ContentMode mode = ContentMode::fit) const;
    View layoutPriority(double priority) const;
    View overlay(View content, UnitPoint alignment = unit::center) const;
    View background(View content, UnitPoint alignment = unit::center) const;
    View zIndex(double z) const;

    // Rendering: transforms and effects leave the layout as it is.
    View offset(double x, double y) const;
    View scaleEffect(double scale, UnitPoint anchor = unit::center) const;
    View scaleEffect(double sx, double sy, UnitPoint anchor) const;
    View rotationEffect(double radians, UnitPoint anchor = unit::center) const;
    View opacity(double opacity) const;
    View compositingGroup() const;
    View clipped() const;
    View clipShape(Shape shape) const;
    View shadow(Color color, double radius, double x = 0, double y = 0) const;

    // Input.
    View contentShape(Shape shape) const;
    View allowsHitTesting(bool enabled) const;
    View disabled(bool disabled) const;

    // Every press, move, release and cancel over the view's whole frame, in its own coordinates (origin
    // top-left). simultaneous: it also takes presses that a view nearer the pointer takes.
    View onPointer(std::function<void(const PointerEvent&)> handler, bool simultaneous = false) const;
    View onTapGesture(TapOptions options, std::function<void(Point)> action) const;
    View onTapGesture(std::function<void()> action) const;
    // onEnded also runs, with the last value, when the drag is cancelled.
    View onDrag(DragOptions options, std::function<void(const DragValue&)> onChanged, std::function<void(const DragValue&)> onEnded) const;
    View onLongPressGesture(LongPressOptions options, std::function<void()> action) const;
    View onHover(std::function<void(bool)> action) const;
    View cursor(CursorShape shape) const;
    // Shown near the pointer after it rests on the view.
    View help(std::string text) const;
    // Scroll events over the view; the handler returns false to pass one on to an ancestor.
    View onScroll(std::function<bool(const ScrollEvent&)> handler) const;

    // The environment below this view.
    template <EnvironmentKey Key>
    View environment(typename Key::Value value) const;
    template <typename T>
    View environmentObject(T& object) const;

    // Values that flow up after layout (preferences.h): a value, an anchor of this view's frame, a reader.
    template <typename Key>
    View preference(typename Key::Value value) const;
    template <typename Key>
    View anchorPreference(std::function<typename Key::Value(const Anchor&)> make) const;
    template <typename Key>
    View onPreferenceChange(std::function<void(const typename Key::Value&)> action) const;

    // Lifecycle.
    View onAppear(std::function<void()> action) const;
    View onDisappear(std::function<void()> action) const;
    // Runs after an update in which the value differs from the one of the update before (not when it appears).
    template <std::equality_comparable T>
    View onChange(T value, std::function<void(const T&)> action) const;
    // A key pressed while no text field has the focus, or one the field did not take; true: handled.
    View onKeyPress(std::function<bool(const KeyEvent&)> action) const;
    // A message over the views beneath (an alert, a prompt): while it is the newest in the tree, keys reach only
    // views inside it, and a focused field beneath has the keyboard again when it leaves.
    View keyScope() const;

    // Text and symbols below this view.
    View font(Font font) const;
    View foregroundColor(Color color) const;
    View lineLimit(int lines) const;
    View minimumScaleFactor(double factor) const;
    View tracking(double points) const;
    View uppercased() const;
    View multilineTextAlignment(TextAlignment alignment) const;
    View monospacedDigit() const;

    // A name tests find the view by.
    View testId(std::string id) const;
    // A coordinate space that geometry readers and anchors can measure in.
    View coordinateSpace(std::string name) const;

private:
    std::shared_ptr<const ViewSpec> spec_;
    ViewId id_;
    std::optional<Transition> transition_;
};

// A list of views, as the children of a stack.
using Views = std::vector<View>;

// View-local state: held by the node of the view that asked for it, alive while that node is in the tree.
namespace detail {
struct StateSlotBase {
    virtual ~StateSlotBase() = default;
    CompositeNode* owner = nullptr;
    void invalidate() const;
};
template <typename T>
struct StateSlot final : StateSlotBase {
    explicit StateSlot(T v) : value(std::move(v)) {}
    T value;
};
}  // namespace detail

template <typename T>
class State {
public:
    State() = default;
    explicit State(std::shared_ptr<detail::StateSlot<T>> slot) : slot_(std::move(slot)) {}
    const T& get() const { return slot_->value; }
    const T& operator*() const { return slot_->value; }
    const T* operator->() const { return &slot_->value; }
    // Stores the value; the owning view is built again when it differs.
    void set(T value) const {
        if constexpr (std::equality_comparable<T>) {
            if (slot_->value == value) return;
        }
        slot_->value = std::move(value);
        slot_->invalidate();
    }
    template <typename Mutation>
    void modify(Mutation&& mutation) const {
        std::forward<Mutation>(mutation)(slot_->value);
        slot_->invalidate();
    }

private:
    std::shared_ptr<detail::StateSlot<T>> slot_;
};

// What a custom view's body may use.
class BuildContext {
public:
    BuildContext(CompositeNode& node, const BuildScope& scope) : node_(node), scope_(scope) {}

    template <typename T>
    State<T> state(T initial = T{});
    // View-local bookkeeping that the view does not draw from: changing it builds nothing again.
    template <typename T>
    std::shared_ptr<T> storage(T initial = T{});
    template <EnvironmentKey Key>
    typename Key::Value env() const {
        return scope_.environment.get<Key>();
    }
    const Environment& environment() const { return scope_.environment; }
    // An object an ancestor installed with environmentObject; its absence is a programming error.
    template <typename T>
    T& object() const {
        T* object = scope_.environment.object<T>();
        if (!object) missingObject(typeid(T).name());
        return *object;
    }
    // Builds this view again whenever the signal fires (and only this view and what it contains).
    void observe(foundation::Signal<>& signal);
    // The same, but only when `changed` says that what the view shows is out of date.
    void observe(foundation::Signal<>& signal, std::function<bool()> changed);
    foundation::MainQueue& mainQueue() const;
    std::int64_t nowNanoseconds() const;
    // Work for the next main-queue turn, dropped when the view has left the tree by then.
    void onNextTurn(std::function<void()> work) const;
    // A number that moves to its target over the animation; each call returns the value to draw now.
    double animated(double target, Animation animation);

private:
    [[noreturn]] static void missingObject(const char* type);
    std::shared_ptr<detail::StateSlotBase> stateSlot(const std::function<std::shared_ptr<detail::StateSlotBase>()>& make);
    CompositeNode& node_;
    const BuildScope& scope_;
};

template <typename T>
State<T> BuildContext::state(T initial) {
    auto slot = stateSlot([&] { return std::make_shared<detail::StateSlot<T>>(std::move(initial)); });
    return State<T>(std::static_pointer_cast<detail::StateSlot<T>>(slot));
}

template <typename T>
std::shared_ptr<T> BuildContext::storage(T initial) {
    auto slot = stateSlot([&] { return std::make_shared<detail::StateSlot<std::shared_ptr<T>>>(std::make_shared<T>(std::move(initial))); });
    return std::static_pointer_cast<detail::StateSlot<std::shared_ptr<T>>>(slot)->value;
}

// The description of a custom view: a struct with `View body(BuildContext&) const`.
class CustomViewSpec : public ViewSpec {
public:
    virtual View evaluate(BuildContext& context) const = 0;
    std::unique_ptr<Node> makeNode() const override;
    void update(Node& node, const BuildScope& scope) const override;
};

template <typename V>
class CustomViewSpecOf final : public CustomViewSpec {
public:
    explicit CustomViewSpecOf(V view) : view_(std::move(view)) {}
    const void* kind() const override { return &kindTag<V>; }
    View evaluate(BuildContext& context) const override { return View(view_.body(context)); }

private:
    V view_;
};

template <CustomView V>
View::View(V view) : spec_(std::make_shared<CustomViewSpecOf<V>>(std::move(view))) {}

// onChange is a template; it goes through one type-erased spec.
struct ChangeWatch {
    std::shared_ptr<const void> value;
    std::function<bool(const void*, const void*)> equal;
    std::function<void(const void*)> action;
};
View onChangeOf(View content, ChangeWatch watch);

template <std::equality_comparable T>
View View::onChange(T value, std::function<void(const T&)> action) const {
    return onChangeOf(*this, {std::make_shared<const T>(std::move(value)),
                              [](const void* a, const void* b) { return *static_cast<const T*>(a) == *static_cast<const T*>(b); },
                              [action = std::move(action)](const void* v) {
                                  if (action) action(*static_cast<const T*>(v));
                              }});
}

// Environment modifiers are templates; they go through one type-erased spec.
View withEnvironment(View content, std::function<Environment(const Environment&)> change);

template <EnvironmentKey Key>
View View::environment(typename Key::Value value) const {
    return withEnvironment(*this, [value](const Environment& e) { return e.with<Key>(value); });
}
template <typename T>
View View::environmentObject(T& object) const {
    return withEnvironment(*this, [&object](const Environment& e) { return e.withObject(object); });
}

}  // namespace pulvan::ui
