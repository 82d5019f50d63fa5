#include "platform/foundation/bounded_quit.h"

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace pulvan::foundation {

void closeWithin(std::chrono::milliseconds limit, const std::function<void()>& close) {
    std::mutex mutex;
    std::condition_variable closed;
    bool done = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!closed.wait_for(lock, limit, [&] { return done; })) std::_Exit(0);
    });
    close();
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    closed.notify_one();
    watchdog.join();
}

}  // namespace pulvan::foundation
