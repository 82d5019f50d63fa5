#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace pulvan::link {

// One thread that runs work one item at a time, in order, and at most one repeating
// timer between the items. The timer's handler and the work never overlap.
class SerialQueue {
public:
    // userInteractive: work that a user is waiting to hear, scheduled ahead of ordinary threads where the system permits.
    enum class Priority { normal, userInteractive };

    explicit SerialQueue(const std::string& label, Priority priority = Priority::normal);
    // Cancels the timer, runs the work already queued and ends the thread.
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    // Runs `work` on the queue and waits for it. Called on the queue itself it runs at once.
    void sync(const std::function<void()>& work);
    void async(std::function<void()> work);

    // First fires now, then every interval, waking on time; a tick that would come more
    // than one interval late is skipped, not made up. Replaces any earlier timer.
    void startRepeatingTimer(std::int64_t intervalNanoseconds, std::function<void()> handler);
    // The handler fires no more; a tick already running elsewhere finishes first only
    // when this is called on the queue itself, which is where its owner calls it.
    void cancelTimer();

    bool isCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    using Clock = std::chrono::steady_clock;
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> work_;
    std::function<void()> timerHandler_;
    Clock::duration timerInterval_{};
    Clock::time_point timerDeadline_{};
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace pulvan::link
