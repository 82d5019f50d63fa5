#include "editor/link/standalone/serial_queue.h"

#include "platform/foundation/thread_priority.h"

#include <pthread.h>

namespace pulvan::link {

SerialQueue::SerialQueue(const std::string& label, Priority priority) {
    thread_ = std::thread([this, priority] {
        if (priority == Priority::userInteractive) foundation::raiseToUserInteractivePriority();
        run();
    });
    // Thread names are limited to 15 characters; the end of a reverse-DNS label says the most.
    const std::string name = label.size() > 15 ? label.substr(label.size() - 15) : label;
    pthread_setname_np(thread_.native_handle(), name.c_str());
}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(mutex_);
        timerHandler_ = nullptr;
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void SerialQueue::sync(const std::function<void()>& work) {
    if (isCurrent()) {
        work();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneSignal;
    bool done = false;
    async([&] {
        work();
        std::lock_guard lock(doneMutex);
        done = true;
        doneSignal.notify_one();
    });
    std::unique_lock lock(doneMutex);
    doneSignal.wait(lock, [&] { return done; });
}

void SerialQueue::async(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
    }
    wake_.notify_all();
}

void SerialQueue::startRepeatingTimer(std::int64_t intervalNanoseconds, std::function<void()> handler) {
    {
        std::lock_guard lock(mutex_);
        timerHandler_ = std::move(handler);
        timerInterval_ = std::chrono::nanoseconds(intervalNanoseconds);
        timerDeadline_ = Clock::now();
    }
    wake_.notify_all();
}

void SerialQueue::cancelTimer() {
    std::lock_guard lock(mutex_);
    timerHandler_ = nullptr;
}

void SerialQueue::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        if (!work_.empty()) {
            auto work = std::move(work_.front());
            work_.pop_front();
            lock.unlock();
            work();
            lock.lock();
            continue;
        }
        if (stopping_) return;
        if (!timerHandler_) {
            wake_.wait(lock);
            continue;
        }
        if (Clock::now() < timerDeadline_) {
            wake_.wait_until(lock, timerDeadline_);
            continue;
        }
        const Clock::time_point now = Clock::now();
        timerDeadline_ += timerInterval_;
        if (timerDeadline_ <= now) timerDeadline_ = now + timerInterval_;
        // A copy, so that the handler may cancel or replace the timer.
        const std::function<void()> handler = timerHandler_;
        lock.unlock();
        handler();
        lock.lock();
    }
}

}  // namespace pulvan::link
