#include "editor/views/notespool/lit_keys.h"

#include <algorithm>

namespace pulvan::views {

LitKeys::LitKeys(foundation::MainQueue& queue, double holdSeconds)
    : queue_(queue),
      hold_(foundation::nanosecondsFromSeconds(holdSeconds)) {}

void LitKeys::follow(store::PlayheadState& playhead, std::function<std::set<int>()> sounding) {
    sounding_ = std::move(sounding);
    if (connection_.connected()) return;
    // What sounds when the keyboard appears is lit at once, with nothing held from before.
    hold_.reset(sounding_());
    connection_ = playhead.didChange.connect([this] { update(); });
}

void LitKeys::update() {
    const std::set<int> sounding = sounding_();
    if (sounding == hold_.sounding()) return;
    const std::int64_t now = queue_.clock().nowNanoseconds();
    std::erase_if(expiryChecks_, [](const foundation::Timer& t) { return !t.isActive(); });
    for (const auto& [note, deadline] : hold_.update(sounding, now)) {
        // A hundredth of a second past the deadline, so the check finds it passed.
        const std::int64_t delay = std::max<std::int64_t>(0, deadline - now) + foundation::nanosecondsFromSeconds(0.01);
        expiryChecks_.push_back(queue_.scheduleOneShot(delay, [this, note = note, deadline = deadline] {
            if (hold_.expire(note, deadline, queue_.clock().nowNanoseconds())) changed.emit();
        }));
    }
    changed.emit();
}

}  // namespace pulvan::views
