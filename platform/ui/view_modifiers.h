#pragma once
// Lets a custom view take modifiers directly, as `Sidebar{}.frame({.width = 132})`:
// struct Sidebar : ui::ViewModifiers<Sidebar> { View body(BuildContext&) const; };
#include "platform/ui/view.h"

namespace pulvan::ui {

template <typename Self>
class ViewModifiers {
public:
    View asView() const { return View(static_cast<const Self&>(*this)); }

    View id(ViewId id) const { return asView().id(std::move(id)); }
    View transition(Transition t) const { return asView().transition(t); }
    View padding(double all) const { return asView().padding(all); }
    View padding(unsigned edges, double length) const { return asView().padding(edges, length); }
    View padding(EdgeInsets insets) const { return asView().padding(insets); }
    View frame(View::FrameSpec spec) const { return asView().frame(spec); }
    View fixedSize(bool horizontal = true, bool vertical = true) const { return asView().fixedSize(horizontal, vertical); }
    View aspectRatio(std::optional<double> ratio, View::ContentMode mode = View::ContentMode::fit) const {
        return asView().aspectRatio(ratio, mode);
    }
    View layoutPriority(double priority) const { return asView().layoutPriority(priority); }
    View overlay(View content, UnitPoint alignment = unit::center) const { return asView().overlay(std::move(content), alignment); }
    View background(View content, UnitPoint alignment = unit::center) const { return asView().background(std::move(content), alignment); }
    View zIndex(double z) const { return asView().zIndex(z); }
    View offset(double x, double y) const { return asView().offset(x, y); }
    View scaleEffect(double scale, UnitPoint anchor = unit::center) const { return asView().scaleEffect(scale, anchor); }
    View rotationEffect(double radians, UnitPoint anchor = unit::center) const { return asView().rotationEffect(radians, anchor); }
    View opacity(double opacity) const { return asView().opacity(opacity); }
    View compositingGroup() const { return asView().compositingGroup(); }
    View clipped() const { return asView().clipped(); }
    View clipShape(Shape shape) const { return asView().clipShape(std::move(shape)); }
    View shadow(Color color, double radius, double x = 0, double y = 0) const { return asView().shadow(color, radius, x, y); }
    View contentShape(Shape shape) const { return asView().contentShape(std::move(shape)); }
    View allowsHitTesting(bool enabled) const { return asView().allowsHitTesting(enabled); }
    View disabled(bool disabled) const { return asView().disabled(disabled); }
    View font(Font font) const { return asView().font(font); }
    View foregroundColor(Color color) const { return asView().foregroundColor(color); }
    View lineLimit(int lines) const { return asView().lineLimit(lines); }
    View onTapGesture(std::function<void()> action) const { return asView().onTapGesture(std::move(action)); }
    View onHover(std::function<void(bool)> action) const { return asView().onHover(std::move(action)); }
    View help(std::string text) const { return asView().help(std::move(text)); }
    View onAppear(std::function<void()> action) const { return asView().onAppear(std::move(action)); }
    View onDisappear(std::function<void()> action) const { return asView().onDisappear(std::move(action)); }
    View testId(std::string id) const { return asView().testId(std::move(id)); }
    template <std::equality_comparable T>
    View onChange(T value, std::function<void(const T&)> action) const {
        return asView().onChange(std::move(value), std::move(action));
    }
    template <EnvironmentKey Key>
    View environment(typename Key::Value value) const {
        return asView().template environment<Key>(std::move(value));
    }
    template <typename Key>
    View preference(typename Key::Value value) const {
        return asView().template preference<Key>(std::move(value));
    }
    template <typename Key>
    View anchorPreference(std::function<typename Key::Value(const Anchor&)> make) const {
        return asView().template anchorPreference<Key>(std::move(make));
    }
    template <typename Key>
    View onPreferenceChange(std::function<void(const typename Key::Value&)> action) const {
        return asView().template onPreferenceChange<Key>(std::move(action));
    }
};

}  // namespace pulvan::ui
