#pragma once
// One editor's event loop: poll() over the main queue's wake descriptor and the windows' X connections, with
// the next timer, animation frame or scroll timeout as the time-out. The standalone application runs it on
// its main thread, the plug-in on its editor thread.
#include "platform/foundation/main_queue.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace pulvan::x11 {

// Something the loop waits on besides the queue: a window's connection.
class EventSource {
public:
    virtual ~EventSource() = default;
    virtual int fileDescriptor() const = 0;
    // Handles everything that has arrived or fallen due; never blocks.
    virtual void dispatch() = 0;
    // Brings the screen up to date and sends what is buffered, just before the loop sleeps.
    virtual void prepareToWait() = 0;
    // When the source next wants to run although nothing arrives (clock nanoseconds).
    virtual std::optional<std::int64_t> nextDeadline() const = 0;
};

class EventLoop {
public:
    explicit EventLoop(foundation::MainQueue& queue) : queue_(queue) {}
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    foundation::MainQueue& queue() const { return queue_; }

    // The loop's thread only; a source removed during a turn is not called again.
    void add(EventSource& source);
    void remove(EventSource& source);

    // Runs turns until stop().
    void run();
    // Any thread.
    void stop();
    // One turn: queued work, the sources, then a wait of at most maxWaitNanoseconds (tests step with it).
    void runOnce(std::optional<std::int64_t> maxWaitNanoseconds = std::nullopt);

private:
    foundation::MainQueue& queue_;
    std::vector<EventSource*> sources_;
    std::atomic<bool> stopRequested_{false};
};

}  // namespace pulvan::x11
