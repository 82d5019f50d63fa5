#pragma once
#include <memory>
#include <utility>

namespace pulvan::foundation {

// Lets an owner hand out closures (dialog buttons, menu items, deferred work) that
// may outlive it: each runs only while the owner exists, and else does nothing.
// Owner-thread only.
template <typename Owner>
class WeakSelf {
public:
    explicit WeakSelf(Owner* owner) : self_(std::make_shared<Owner*>(owner)) {}
    WeakSelf(const WeakSelf&) = delete;
    WeakSelf& operator=(const WeakSelf&) = delete;

    // A closure that calls action(owner, args...) while the owner exists.
    template <typename Action>
    auto weakly(Action action) const {
        return [alive = std::weak_ptr<Owner*>(self_), action = std::move(action)](auto&&... args) {
            if (auto owner = alive.lock()) action(**owner, std::forward<decltype(args)>(args)...);
        };
    }

private:
    std::shared_ptr<Owner*> self_;
};

}  // namespace pulvan::foundation
