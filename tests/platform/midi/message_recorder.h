#pragma once
#include "platform/midi/midi_types.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace pulvan::midi::test {

struct RecordedMessage {
    std::vector<std::uint8_t> bytes;
    Timestamp receivedAt = 0;
    std::thread::id thread;
};

// Collects messages from any thread and lets a test wait for them.
class MessageRecorder {
public:
    auto handler() {
        return [this](std::span<const std::uint8_t> bytes, Timestamp at) {
            // Notifying under the lock keeps a waiter that then destroys the recorder from racing us.
            std::lock_guard lock(mutex_);
            messages_.push_back({{bytes.begin(), bytes.end()}, at, std::this_thread::get_id()});
            changed_.notify_all();
        };
    }

    // What is in once `count` messages are, or the timeout passed.
    std::vector<RecordedMessage> waitFor(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(3)) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return messages_.size() >= count; });
        return messages_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<RecordedMessage> messages_;
};

inline Timestamp millisecondsFromNow(std::int64_t milliseconds) { return now() + static_cast<Timestamp>(milliseconds) * 1'000'000u; }

}  // namespace pulvan::midi::test
