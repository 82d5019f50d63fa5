#pragma once
#include "platform/foundation/clock.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace pulvan::foundation {

class MainQueue;

// A scheduled timer. Cancels itself when destroyed, so a timer never outlives
// its owner; cancel() may be called from inside the timer's own handler.
class Timer {
public:
    Timer() = default;
    Timer(Timer&& other) noexcept;
    Timer& operator=(Timer&& other) noexcept;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer() { cancel(); }

    void cancel();
    // True while the timer may still fire (a one-shot timer that fired is inactive).
    bool isActive() const;

private:
    friend class MainQueue;
    Timer(std::weak_ptr<MainQueue*> queue, std::uint64_t id) : queue_(std::move(queue)), id_(id) {}
    std::weak_ptr<MainQueue*> queue_;
    std::uint64_t id_ = 0;
};

// The queue of one thread's deferred work and timers: the application's main
// thread or the plug-in's editor thread. Work runs only on the thread that pumps
// the queue (pump() or run()); async() and stop() may be called from any thread.
class MainQueue {
public:
    explicit MainQueue(const Clock& clock = systemClock());
    ~MainQueue();
    MainQueue(const MainQueue&) = delete;
    MainQueue& operator=(const MainQueue&) = delete;

    const Clock& clock() const { return clock_; }

    // Runs the work at the next pump, after the work posted before it.
    void async(std::function<void()> work);

    // A timer that first fires delay after now, then every interval (0: once).
    // It may fire up to leeway late when that lets one wake-up serve later timers too.
    [[nodiscard]] Timer scheduleTimer(std::int64_t delayNanoseconds, std::int64_t intervalNanoseconds, std::int64_t leewayNanoseconds,
                                      std::function<void()> handler);
    [[nodiscard]] Timer scheduleOneShot(std::int64_t delayNanoseconds, std::function<void()> handler, std::int64_t leewayNanoseconds = 0) {
        return scheduleTimer(delayNanoseconds, 0, leewayNanoseconds, std::move(handler));
    }
    [[nodiscard]] Timer scheduleRepeating(std::int64_t intervalNanoseconds, std::function<void()> handler,
                                          std::int64_t leewayNanoseconds = 0) {
        return scheduleTimer(intervalNanoseconds, intervalNanoseconds, leewayNanoseconds, std::move(handler));
    }

    // Runs the work posted so far and every timer that is due now; returns how
    // many handlers ran. Work posted while it runs waits for the next pump.
    std::size_t pump();

    // When the queue next needs a pump (clock nanoseconds), none when idle, or
    // now when work is waiting. For a run loop that also waits on other sources.
    std::optional<std::int64_t> nextWakeNanoseconds() const;
    // A file descriptor that becomes readable when work is posted from another
    // thread; pump() drains it. For poll()-based loops (the X11 event loop).
    int wakeFileDescriptor() const { return wakeFd_; }

    // Pumps until stop(), sleeping on the real clock in between.
    void run();
    void stop();

private:
    friend class Timer;
    friend class ManualMainQueue;
    struct TimerRecord {
        std::int64_t deadline;
        std::int64_t interval;
        std::int64_t leeway;
        std::shared_ptr<std::function<void()>> handler;
    };
    void cancelTimer(std::uint64_t id);
    bool timerActive(std::uint64_t id) const;
    void signalWake();
    void drainWake();
    std::optional<std::int64_t> nextWakeLocked() const;
    std::optional<std::int64_t> nextDeadline() const;

    const Clock& clock_;
    std::shared_ptr<MainQueue*> self_;
    mutable std::mutex mutex_;
    std::condition_variable wakeup_;
    std::vector<std::function<void()>> work_;
    std::map<std::uint64_t, TimerRecord> timers_;
    std::uint64_t nextTimerId_ = 1;
    bool stopRequested_ = false;
    int wakeFd_ = -1;
};

// A main queue on a manual clock, stepped by the test.
class ManualMainQueue {
public:
    explicit ManualMainQueue(std::int64_t startNanoseconds = 0) : clock_(startNanoseconds), queue_(clock_) {}

    MainQueue& queue() { return queue_; }
    ManualClock& clock() { return clock_; }

    // Moves the clock forward, stopping at each timer deadline on the way (late by
    // none of the leeway) and running what is due there, deferred work included.
    void advanceNanoseconds(std::int64_t delta);
    void advanceSeconds(double seconds) { advanceNanoseconds(nanosecondsFromSeconds(seconds)); }
    // Runs deferred work, and what it posts in turn, without moving the clock.
    void drain();

private:
    ManualClock clock_;
    MainQueue queue_;
};

}  // namespace pulvan::foundation
