#pragma once
#include "platform/foundation/signal.h"

#include <utility>

namespace pulvan::foundation {

// A published value. Every set stores the value first and then notifies, so a
// subscriber that reads the value (or its owner) sees the new one. Every set
// notifies, equal or not; writers that must not disturb observers compare first.
template <typename T>
class Observable {
public:
    // ownerDidChange, when given, is emitted after each change as well: the owning
    // object's "something changed" signal for views that observe it whole.
    explicit Observable(T initial = T{}, Signal<>* ownerDidChange = nullptr)
        : value_(std::move(initial)),
          ownerDidChange_(ownerDidChange) {}
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;

    const T& get() const { return value_; }
    const T* operator->() const { return &value_; }

    void set(T value) {
        value_ = std::move(value);
        notify();
    }

    // Changes the value in place and then notifies once.
    template <typename Mutation>
    void modify(Mutation&& mutation) {
        std::forward<Mutation>(mutation)(value_);
        notify();
    }

    // Subscribing does not change the value, so it is allowed through a read-only view.
    [[nodiscard]] Connection subscribe(std::function<void(const T&)> handler) const { return didChange_.connect(std::move(handler)); }

private:
    void notify() {
        didChange_.emit(value_);
        if (ownerDidChange_) ownerDidChange_->emit();
    }

    T value_;
    mutable Signal<const T&> didChange_;
    Signal<>* ownerDidChange_;
};

}  // namespace pulvan::foundation
