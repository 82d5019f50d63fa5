#pragma once
// Values that flow down the view tree (environment) and objects the views share (the store, the playhead).
#include <memory>
#include <typeindex>

namespace pulvan::ui {

// An environment key is a type with `using Value = ...;` and `static Value defaultValue();`.
template <typename Key>
concept EnvironmentKey = requires {
    typename Key::Value;
    { Key::defaultValue() } -> std::convertible_to<typename Key::Value>;
};

// An immutable chain of values; a child's environment shares its parent's.
class Environment {
public:
    template <EnvironmentKey Key>
    typename Key::Value get() const {
        if (const auto* value = find(std::type_index(typeid(Key)))) return *static_cast<const typename Key::Value*>(value);
        return Key::defaultValue();
    }
    template <EnvironmentKey Key>
    Environment with(typename Key::Value value) const {
        return Environment(std::make_shared<const Entry>(
            Entry{std::type_index(typeid(Key)), std::make_shared<const typename Key::Value>(std::move(value)), head_}));
    }
    // Objects are found by their type; an ancestor installs them by reference.
    template <typename T>
    T* object() const {
        const auto* slot = find(std::type_index(typeid(ObjectSlot<T>)));
        return slot ? *static_cast<T* const*>(slot) : nullptr;
    }
    template <typename T>
    Environment withObject(T& object) const {
        return Environment(
            std::make_shared<const Entry>(Entry{std::type_index(typeid(ObjectSlot<T>)), std::make_shared<T* const>(&object), head_}));
    }

    Environment() = default;

private:
    template <typename T>
    struct ObjectSlot {};
    struct Entry {
        std::type_index key;
        std::shared_ptr<const void> value;
        std::shared_ptr<const Entry> next;
    };
    explicit Environment(std::shared_ptr<const Entry> head) : head_(std::move(head)) {}
    const void* find(std::type_index key) const {
        for (const Entry* e = head_.get(); e; e = e->next.get())
            if (e->key == key) return e->value.get();
        return nullptr;
    }
    std::shared_ptr<const Entry> head_;
};

// Whether controls take input; a disabled subtree swallows it.
struct EnabledKey {
    using Value = bool;
    static bool defaultValue() { return true; }
};
// Whether changes animate (off in tests that want final states at once).
struct AnimationsEnabledKey {
    using Value = bool;
    static bool defaultValue() { return true; }
};
// Device pixels per point of the window, for pixel snapping.
struct DisplayScaleKey {
    using Value = double;
    static double defaultValue() { return 1; }
};

}  // namespace pulvan::ui
