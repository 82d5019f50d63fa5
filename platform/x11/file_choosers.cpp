#include "platform/x11/file_choosers.h"

#include <atomic>
#include <thread>

namespace pulvan::x11 {

struct FileChoosers::Running {
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    std::thread thread;
};

FileChoosers::FileChoosers(foundation::MainQueue& queue) : queue_(queue) {}

FileChoosers::~FileChoosers() {
    *alive_ = false;
    for (auto& r : running_) r->cancelled = true;
    for (auto& r : running_) r->thread.join();
}

void FileChoosers::choose(ChooserOptions options, std::function<void(const ChooserResult&)> completion) {
    std::erase_if(running_, [](const std::unique_ptr<Running>& r) {
        if (!r->finished) return false;
        r->thread.join();
        return true;
    });
    auto running = std::make_unique<Running>();
    Running* r = running.get();
    r->thread = std::thread([this, r, options = std::move(options), completion = std::move(completion), alive = alive_]() mutable {
        ChooserResult result;
        if (auto answer = chooseThroughPortal(options, r->cancelled)) result = *answer;
        else if (auto program = chooseThroughProgram(options, r->cancelled)) result = *program;
        // The queue outlives the choosers; the answer is dropped once they are gone.
        queue_.async([alive, completion = std::move(completion), result] {
            if (*alive) completion(result);
        });
        r->finished = true;
    });
    running_.push_back(std::move(running));
}

}  // namespace pulvan::x11
