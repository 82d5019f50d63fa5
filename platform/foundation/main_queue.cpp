#include "platform/foundation/main_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace pulvan::foundation {

Timer::Timer(Timer&& other) noexcept : queue_(std::exchange(other.queue_, {})), id_(std::exchange(other.id_, 0)) {}

Timer& Timer::operator=(Timer&& other) noexcept {
    if (this != &other) {
        cancel();
        queue_ = std::exchange(other.queue_, {});
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void Timer::cancel() {
    if (auto queue = queue_.lock()) (*queue)->cancelTimer(id_);
    queue_.reset();
    id_ = 0;
}

bool Timer::isActive() const {
    auto queue = queue_.lock();
    return queue && (*queue)->timerActive(id_);
}

MainQueue::MainQueue(const Clock& clock) : clock_(clock), self_(std::make_shared<MainQueue*>(this)) {
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

MainQueue::~MainQueue() {
    self_.reset();
    if (wakeFd_ >= 0) close(wakeFd_);
}

void MainQueue::async(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
    }
    signalWake();
}

Timer MainQueue::scheduleTimer(std::int64_t delayNanoseconds, std::int64_t intervalNanoseconds, std::int64_t leewayNanoseconds,
                               std::function<void()> handler) {
    std::uint64_t id;
    {
        std::lock_guard lock(mutex_);
        id = nextTimerId_++;
        timers_.emplace(id, TimerRecord{clock_.nowNanoseconds() + std::max<std::int64_t>(delayNanoseconds, 0),
                                        std::max<std::int64_t>(intervalNanoseconds, 0), std::max<std::int64_t>(leewayNanoseconds, 0),
                                        std::make_shared<std::function<void()>>(std::move(handler))});
    }
    signalWake();
    return Timer(self_, id);
}

void MainQueue::cancelTimer(std::uint64_t id) {
    std::lock_guard lock(mutex_);
    timers_.erase(id);
}

bool MainQueue::timerActive(std::uint64_t id) const {
    std::lock_guard lock(mutex_);
    return timers_.contains(id);
}

std::size_t MainQueue::pump() {
    drainWake();
    std::vector<std::function<void()>> work;
    {
        std::lock_guard lock(mutex_);
        work.swap(work_);
    }
    for (auto& item : work) item();
    std::size_t ran = work.size();

    const std::int64_t now = clock_.nowNanoseconds();
    std::vector<std::pair<std::int64_t, std::uint64_t>> due;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, timer] : timers_) {
            if (timer.deadline <= now) due.emplace_back(timer.deadline, id);
        }
    }
    std::sort(due.begin(), due.end());
    for (const auto& [deadline, id] : due) {
        std::shared_ptr<std::function<void()>> handler;
        {
            std::lock_guard lock(mutex_);
            auto it = timers_.find(id);
            if (it == timers_.end()) continue;  // cancelled by a handler that ran before it
            TimerRecord& timer = it->second;
            handler = timer.handler;
            if (timer.interval == 0) {
                timers_.erase(it);
            } else {
                // Keep the grid of the first deadline; a late queue skips missed ticks instead of bursting.
                timer.deadline += timer.interval * ((now - timer.deadline) / timer.interval + 1);
            }
        }
        (*handler)();
        ++ran;
    }
    return ran;
}

std::optional<std::int64_t> MainQueue::nextWakeLocked() const {
    if (!work_.empty()) return clock_.nowNanoseconds();
    if (timers_.empty()) return std::nullopt;
    std::vector<std::pair<std::int64_t, std::int64_t>> deadlines;  // deadline, leeway
    deadlines.reserve(timers_.size());
    for (const auto& [id, timer] : timers_) deadlines.emplace_back(timer.deadline, timer.leeway);
    std::sort(deadlines.begin(), deadlines.end());
    // Wake at the first deadline, or later to serve the timers that follow it in the
    // same wake-up, as long as no timer served is later than its leeway allows.
    std::int64_t wake = deadlines.front().first;
    std::int64_t latestAllowed = wake + deadlines.front().second;
    for (const auto& [deadline, leeway] : deadlines) {
        if (deadline > latestAllowed) break;
        wake = deadline;
        latestAllowed = std::min(latestAllowed, deadline + leeway);
    }
    return wake;
}

std::optional<std::int64_t> MainQueue::nextWakeNanoseconds() const {
    std::lock_guard lock(mutex_);
    return nextWakeLocked();
}

std::optional<std::int64_t> MainQueue::nextDeadline() const {
    std::lock_guard lock(mutex_);
    std::optional<std::int64_t> earliest;
    for (const auto& [id, timer] : timers_) {
        if (!earliest || timer.deadline < *earliest) earliest = timer.deadline;
    }
    return earliest;
}

void MainQueue::run() {
    for (;;) {
        pump();
        std::unique_lock lock(mutex_);
        if (stopRequested_) break;
        if (!work_.empty()) continue;
        const auto wake = nextWakeLocked();
        const auto ready = [this] { return stopRequested_ || !work_.empty(); };
        if (!wake) {
            wakeup_.wait(lock, ready);
        } else {
            const std::int64_t wait = *wake - clock_.nowNanoseconds();
            if (wait > 0) wakeup_.wait_for(lock, std::chrono::nanoseconds(wait), ready);
        }
        if (stopRequested_) break;
    }
    std::lock_guard lock(mutex_);
    stopRequested_ = false;
}

void MainQueue::stop() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    signalWake();
}

void MainQueue::signalWake() {
    wakeup_.notify_all();
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = write(wakeFd_, &one, sizeof one);
    }
}

void MainQueue::drainWake() {
    if (wakeFd_ < 0) return;
    std::uint64_t count;
    [[maybe_unused]] auto readBytes = read(wakeFd_, &count, sizeof count);
}

void ManualMainQueue::advanceNanoseconds(std::int64_t delta) {
    const std::int64_t target = clock_.nowNanoseconds() + std::max<std::int64_t>(delta, 0);
    for (;;) {
        queue_.pump();
        const auto deadline = queue_.nextDeadline();
        if (!deadline || *deadline > target) break;
        clock_.setNanoseconds(std::max(*deadline, clock_.nowNanoseconds()));
    }
    clock_.setNanoseconds(target);
    queue_.pump();
}

void ManualMainQueue::drain() {
    while (queue_.pump() > 0) {
    }
}

}  // namespace pulvan::foundation
