#pragma once
#include <atomic>
#include <cstdint>

namespace pulvan::foundation {

// A monotonic clock in nanoseconds. It never jumps with the wall clock, so
// durations measured on it survive suspend and time-zone changes.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowNanoseconds() const = 0;
    // The same clock in seconds: the process's "system uptime".
    double systemUptime() const { return static_cast<double>(nowNanoseconds()) * 1e-9; }
};

// The machine's monotonic clock (CLOCK_MONOTONIC, the clock of std::chrono::steady_clock).
class MonotonicClock final : public Clock {
public:
    std::int64_t nowNanoseconds() const override;
};

// The one process-wide monotonic clock.
const Clock& systemClock();

// A clock that moves only when told to, for tests. Readable from any thread.
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::int64_t startNanoseconds = 0) : now_(startNanoseconds) {}
    std::int64_t nowNanoseconds() const override { return now_.load(std::memory_order_acquire); }
    void setNanoseconds(std::int64_t value) { now_.store(value, std::memory_order_release); }
    void advanceNanoseconds(std::int64_t delta) { now_.fetch_add(delta, std::memory_order_acq_rel); }
    void advanceSeconds(double seconds) { advanceNanoseconds(static_cast<std::int64_t>(seconds * 1e9)); }

private:
    std::atomic<std::int64_t> now_;
};

constexpr std::int64_t nanosecondsFromSeconds(double seconds) { return static_cast<std::int64_t>(seconds * 1e9); }

}  // namespace pulvan::foundation
