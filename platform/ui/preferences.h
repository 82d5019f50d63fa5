#pragma once
// Values that flow up the view tree after layout: a key's values from a subtree, reduced in tree order.
#include "platform/ui/layout.h"
#include "platform/ui/node.h"

#include <concepts>
#include <functional>
#include <typeindex>

namespace pulvan::ui {

// A preference key is a type with `using Value = ...;`, `static Value defaultValue();` and
// `static void reduce(Value& value, Value next);`.
template <typename Key>
concept PreferenceKey = requires(typename Key::Value& value, typename Key::Value next) {
    { Key::defaultValue() } -> std::convertible_to<typename Key::Value>;
    Key::reduce(value, next);
};

namespace detail {

class PreferenceSource {
public:
    virtual ~PreferenceSource() = default;
    virtual std::type_index preferenceKey() const = 0;
};

template <PreferenceKey Key>
class PreferenceWriterNode final : public ParameterizedProxyNode<std::function<typename Key::Value(const Node&)>>, public PreferenceSource {
public:
    std::type_index preferenceKey() const override { return typeid(Key); }
    typename Key::Value value() const { return this->parameters_(*this); }
};

template <PreferenceKey Key>
void collectPreference(const Node& node, typename Key::Value& value) {
    if (auto* source = dynamic_cast<const PreferenceWriterNode<Key>*>(&node); source && !node.isDeparting())
        Key::reduce(value, source->value());
    for (const auto& c : node.children())
        if (!c->isDeparting()) collectPreference<Key>(*c, value);
}

template <PreferenceKey Key>
class PreferenceReaderNode final : public ParameterizedProxyNode<std::function<void(const typename Key::Value&)>> {
public:
    bool observesLayout() const override { return true; }
    void didLayout() override {
        typename Key::Value value = Key::defaultValue();
        for (const auto& c : this->children()) collectPreference<Key>(*c, value);
        if constexpr (std::equality_comparable<typename Key::Value>) {
            if (last_ && *last_ == value) return;
        }
        last_ = value;
        if (this->parameters_) this->parameters_(value);
    }

private:
    std::optional<typename Key::Value> last_;
};

}  // namespace detail

// The view gives a value for the key.
template <PreferenceKey Key>
View preference(const View& content, typename Key::Value value) {
    return modified<detail::PreferenceWriterNode<Key>>(content, [value](const Node&) { return value; });
}

// The view gives a value made from its own frame, as an anchor any view can resolve.
template <PreferenceKey Key>
View anchorPreference(const View& content, std::function<typename Key::Value(const Anchor&)> make) {
    return modified<detail::PreferenceWriterNode<Key>>(content, [make](const Node& node) { return make(Anchor{node.frameInRoot()}); });
}

// Called after a layout in which the subtree's reduced value differs from the last one it saw.
template <PreferenceKey Key>
View onPreferenceChange(const View& content, std::function<void(const typename Key::Value&)> action) {
    return modified<detail::PreferenceReaderNode<Key>>(content, std::move(action));
}

template <typename Key>
View View::preference(typename Key::Value value) const {
    return ui::preference<Key>(*this, std::move(value));
}
template <typename Key>
View View::anchorPreference(std::function<typename Key::Value(const Anchor&)> make) const {
    return ui::anchorPreference<Key>(*this, std::move(make));
}
template <typename Key>
View View::onPreferenceChange(std::function<void(const typename Key::Value&)> action) const {
    return ui::onPreferenceChange<Key>(*this, std::move(action));
}

}  // namespace pulvan::ui
