#include "platform/x11/event_loop.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace pulvan::x11 {

void EventLoop::add(EventSource& source) {
    if (std::find(sources_.begin(), sources_.end(), &source) == sources_.end()) sources_.push_back(&source);
}

void EventLoop::remove(EventSource& source) { std::erase(sources_, &source); }

void EventLoop::run() {
    while (!stopRequested_.load(std::memory_order_acquire)) runOnce();
    stopRequested_.store(false, std::memory_order_release);
}

void EventLoop::stop() {
    stopRequested_.store(true, std::memory_order_release);
    queue_.async([] {});  // wakes the poll
}

void EventLoop::runOnce(std::optional<std::int64_t> maxWaitNanoseconds) {
    queue_.pump();
    // A source may remove itself or another while it runs.
    const auto each = [this](auto&& call) {
        for (EventSource* source : std::vector<EventSource*>(sources_))
            if (std::find(sources_.begin(), sources_.end(), source) != sources_.end()) call(*source);
    };
    each([](EventSource& s) { s.dispatch(); });
    queue_.pump();
    each([](EventSource& s) { s.prepareToWait(); });
    if (stopRequested_.load(std::memory_order_acquire)) return;

    const std::int64_t now = queue_.clock().nowNanoseconds();
    std::optional<std::int64_t> wake = queue_.nextWakeNanoseconds();
    for (EventSource* source : sources_)
        if (const auto deadline = source->nextDeadline()) wake = wake ? std::min(*wake, *deadline) : *deadline;
    if (maxWaitNanoseconds) wake = wake ? std::min(*wake, now + *maxWaitNanoseconds) : now + *maxWaitNanoseconds;
    int timeoutMilliseconds = -1;
    if (wake) timeoutMilliseconds = static_cast<int>(std::clamp<std::int64_t>((*wake - now + 999'999) / 1'000'000, 0, 60'000));

    std::vector<pollfd> fds{{queue_.wakeFileDescriptor(), POLLIN, 0}};
    for (EventSource* source : sources_) fds.push_back({source->fileDescriptor(), POLLIN, 0});
    while (poll(fds.data(), fds.size(), timeoutMilliseconds) < 0 && errno == EINTR) {
    }
}

}  // namespace pulvan::x11
