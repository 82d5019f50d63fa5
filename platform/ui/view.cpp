#include "platform/ui/view.h"

#include "platform/ui/node.h"
#include "platform/ui/root.h"

#include <cstdio>
#include <cstdlib>

namespace pulvan::ui {

double Animation::progress(double t) const {
    t = std::clamp(t, 0.0, 1.0);
    switch (curve) {
        case Curve::linear: return t;
        case Curve::easeIn: return t * t * t;
        case Curve::easeOut: return 1 - (1 - t) * (1 - t) * (1 - t);
        case Curve::easeInOut: return t < 0.5 ? 4 * t * t * t : 1 - 4 * (1 - t) * (1 - t) * (1 - t);
    }
    return t;
}

void detail::StateSlotBase::invalidate() const {
    if (owner) owner->markDirty();
}

std::shared_ptr<detail::StateSlotBase> BuildContext::stateSlot(const std::function<std::shared_ptr<detail::StateSlotBase>()>& make) {
    auto& slots = node_.slots_;
    if (node_.nextSlot_ == slots.size()) {
        slots.push_back(make());
        slots.back()->owner = &node_;
    }
    return slots[node_.nextSlot_++];
}

void BuildContext::observe(foundation::Signal<>& signal) {
    CompositeNode* node = &node_;
    node_.observations_.push_back(signal.connect([node] { node->markDirty(); }));
}

void BuildContext::observe(foundation::Signal<>& signal, std::function<bool()> changed) {
    // The test lives with the node; the signal holds only the node, so whatever the test captures can
    // never keep the signal's owner alive.
    CompositeNode* node = &node_;
    const std::size_t index = node_.changeTests_.size();
    node_.changeTests_.push_back(std::move(changed));
    node_.observations_.push_back(signal.connect([node, index] {
        if (node->changeTests_[index]()) node->markDirty();
    }));
}

foundation::MainQueue& BuildContext::mainQueue() const { return scope_.root->mainQueue(); }
std::int64_t BuildContext::nowNanoseconds() const { return scope_.root->nowNanoseconds(); }

void BuildContext::onNextTurn(std::function<void()> work) const {
    scope_.root->mainQueue().async([alive = node_.alive_, work = std::move(work)] {
        if (*alive) work();
    });
}

double BuildContext::animated(double target, Animation animation) {
    auto& values = node_.animated_;
    if (node_.nextAnimated_ == values.size()) values.push_back({});
    auto& v = values[node_.nextAnimated_++];
    Root& root = *scope_.root;
    const std::int64_t now = root.nowNanoseconds();
    if (!v.started || !root.animationsEnabled() || animation.duration <= 0) {
        v = {target, target, target, now, animation, true};
        return target;
    }
    const auto valueAt = [&](std::int64_t t) {
        const double elapsed = static_cast<double>(t - v.start) * 1e-9;
        return v.from + (v.to - v.from) * v.animation.progress(elapsed / v.animation.duration);
    };
    if (target != v.to) {
        v.from = valueAt(now);
        v.to = target;
        v.start = now;
        v.animation = animation;
    }
    v.current = valueAt(now);
    if (static_cast<double>(now - v.start) * 1e-9 < v.animation.duration) root.animate(node_);
    else v.current = v.to;
    return v.current;
}

void BuildContext::missingObject(const char* type) {
    std::fprintf(stderr, "pulvan: a view needs an environment object of type %s that no ancestor installed\n", type);
    std::abort();
}

}  // namespace pulvan::ui
