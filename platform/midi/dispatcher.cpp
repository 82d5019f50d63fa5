#include "platform/midi/dispatcher.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <utility>
#include <variant>

namespace pulvan::midi {
namespace {

constexpr Timestamp kPollerPeriod = 1'000'000;       // 1 ms
constexpr Timestamp kSetupPollPeriod = 100'000'000;  // 100 ms

std::chrono::steady_clock::time_point timePoint(Timestamp timestamp) {
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(timestamp));
}

struct ScheduledKey {
    Timestamp deliverAt;
    std::uint64_t sequence;
    auto operator<=>(const ScheduledKey&) const = default;
};

struct Scheduled {
    const void* owner;
    std::function<void()> deliver;
};

struct ReceivedMessage {
    std::weak_ptr<ReadSlot> slot;
    std::vector<std::uint8_t> bytes;
    Timestamp receivedAt;
};

struct ReceivedHeldNotes {
    std::weak_ptr<HeldNotesSlot> slot;
    std::unique_ptr<const NoteSet> held;  // boxed: messages, far the most, stay small
};

using Received = std::variant<ReceivedMessage, ReceivedHeldNotes>;

struct SetupWatch {
    std::weak_ptr<SetupSlot> slot;
    std::shared_ptr<Backend> backend;
    std::vector<Endpoint> sources;
    std::vector<Endpoint> destinations;
};

}  // namespace

// Lock order: deliveryMutex, then mutex; pollerMutex, then mutex; watchMutex alone.
struct Dispatcher::State {
    std::mutex mutex;
    std::condition_variable wakeup;
    bool stopping = false;
    bool changed = false;
    std::uint64_t nextSequence = 0;
    std::map<ScheduledKey, Scheduled> scheduled;
    std::deque<Received> received;

    // Held while deliveries run, so that a cancel cannot overtake them.
    std::mutex deliveryMutex;

    std::mutex pollerMutex;
    std::map<const void*, std::function<void()>> pollers;
    bool hasPollers = false;  // guarded by mutex

    std::mutex watchMutex;
    std::vector<SetupWatch> watches;
    Timestamp nextSetupPoll = 0;

    void run();
    void deliverReceived();
    void deliverDue();
    void runPollers();
    void pollSetup();
    Timestamp nextWake();
};

Timestamp Dispatcher::State::nextWake() {
    Timestamp wake = now() + kSetupPollPeriod;
    if (!scheduled.empty()) wake = std::min(wake, scheduled.begin()->first.deliverAt);
    if (hasPollers) wake = std::min(wake, now() + kPollerPeriod);
    return wake;
}

void Dispatcher::State::run() {
    std::unique_lock lock(mutex);
    while (!stopping) {
        wakeup.wait_until(lock, timePoint(nextWake()), [&] { return stopping || changed || !received.empty(); });
        changed = false;
        lock.unlock();
        runPollers();
        deliverReceived();
        deliverDue();
        pollSetup();
        lock.lock();
    }
}

void Dispatcher::State::deliverReceived() {
    std::deque<Received> batch;
    {
        std::lock_guard lock(mutex);
        batch.swap(received);
    }
    for (auto& item : batch) {
        if (auto* message = std::get_if<ReceivedMessage>(&item)) {
            if (auto slot = message->slot.lock()) slot->invoke(message->bytes, message->receivedAt);
        } else if (auto& notes = std::get<ReceivedHeldNotes>(item); auto slot = notes.slot.lock()) {
            slot->invoke(*notes.held);
        }
    }
}

void Dispatcher::State::deliverDue() {
    std::lock_guard deliveryLock(deliveryMutex);
    std::vector<Scheduled> batch;
    {
        std::lock_guard lock(mutex);
        const Timestamp time = now();
        while (!scheduled.empty() && scheduled.begin()->first.deliverAt <= time) {
            batch.push_back(std::move(scheduled.begin()->second));
            scheduled.erase(scheduled.begin());
        }
    }
    for (auto& item : batch) item.deliver();
}

void Dispatcher::State::runPollers() {
    std::lock_guard pollerLock(pollerMutex);
    for (auto& [owner, poll] : pollers) poll();
}

void Dispatcher::State::pollSetup() {
    std::vector<std::shared_ptr<SetupSlot>> toNotify;
    {
        std::lock_guard watchLock(watchMutex);
        const Timestamp time = now();
        if (time < nextSetupPoll) return;
        nextSetupPoll = time + kSetupPollPeriod;
        std::erase_if(watches, [](const SetupWatch& watch) { return watch.slot.expired(); });
        for (auto& watch : watches) {
            auto sources = watch.backend->sources();
            auto destinations = watch.backend->destinations();
            if (sources == watch.sources && destinations == watch.destinations) continue;
            watch.sources = std::move(sources);
            watch.destinations = std::move(destinations);
            if (auto slot = watch.slot.lock()) toNotify.push_back(std::move(slot));
        }
    }
    for (auto& slot : toNotify) slot->invoke();
}

Dispatcher::Dispatcher() : state_(std::make_shared<State>()) {
    thread_ = std::thread([state = state_] { state->run(); });
}

Dispatcher::~Dispatcher() { stop(); }

void Dispatcher::stop() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->wakeup.notify_one();
    if (!thread_.joinable()) return;
    // The last user may let go inside one of our own callbacks; the thread
    // keeps its state alive and ends by itself then.
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

namespace {

// Never destroyed: a host may end the plug-in from its exit handlers, after the statics went.
struct SharedDispatcher {
    std::mutex mutex;
    std::weak_ptr<Dispatcher> current;
};

SharedDispatcher& sharedDispatcher() {
    static auto* shared = new SharedDispatcher;
    return *shared;
}

}  // namespace

std::shared_ptr<Dispatcher> Dispatcher::shared() {
    SharedDispatcher& shared = sharedDispatcher();
    std::lock_guard lock(shared.mutex);
    auto dispatcher = shared.current.lock();
    if (!dispatcher) {
        dispatcher = std::shared_ptr<Dispatcher>(new Dispatcher());
        shared.current = dispatcher;
    }
    return dispatcher;
}

void Dispatcher::stopShared() {
    std::shared_ptr<Dispatcher> dispatcher;
    {
        SharedDispatcher& shared = sharedDispatcher();
        std::lock_guard lock(shared.mutex);
        dispatcher = shared.current.lock();
        shared.current.reset();
    }
    // Outside the lock: what the thread runs last may ask for the dispatcher.
    if (dispatcher) dispatcher->stop();
}

void Dispatcher::schedule(const void* owner, Timestamp deliverAt, std::function<void()> deliver) {
    {
        std::lock_guard lock(state_->mutex);
        const ScheduledKey key{deliverAt == kSendNow ? now() : deliverAt, state_->nextSequence++};
        state_->scheduled.emplace(key, Scheduled{owner, std::move(deliver)});
        state_->changed = true;
    }
    state_->wakeup.notify_one();
}

void Dispatcher::cancel(const void* owner) {
    std::lock_guard deliveryLock(state_->deliveryMutex);
    std::vector<Scheduled> dropped;  // destroyed outside the lock: they may hold what takes it
    std::lock_guard lock(state_->mutex);
    for (auto it = state_->scheduled.begin(); it != state_->scheduled.end();) {
        if (it->second.owner == owner) {
            dropped.push_back(std::move(it->second));
            it = state_->scheduled.erase(it);
        } else {
            ++it;
        }
    }
}

void Dispatcher::post(std::weak_ptr<ReadSlot> slot, std::vector<std::uint8_t> bytes, Timestamp receivedAt) {
    {
        std::lock_guard lock(state_->mutex);
        state_->received.emplace_back(ReceivedMessage{std::move(slot), std::move(bytes), receivedAt});
    }
    state_->wakeup.notify_one();
}

void Dispatcher::post(std::weak_ptr<HeldNotesSlot> slot, const NoteSet& held) {
    {
        std::lock_guard lock(state_->mutex);
        state_->received.emplace_back(ReceivedHeldNotes{std::move(slot), std::make_unique<const NoteSet>(held)});
    }
    state_->wakeup.notify_one();
}

void Dispatcher::watchSetup(std::weak_ptr<SetupSlot> slot, std::shared_ptr<Backend> backend) {
    SetupWatch watch{std::move(slot), std::move(backend), {}, {}};
    watch.sources = watch.backend->sources();
    watch.destinations = watch.backend->destinations();
    std::lock_guard watchLock(state_->watchMutex);
    state_->watches.push_back(std::move(watch));
}

void Dispatcher::addPoller(const void* owner, std::function<void()> poll) {
    std::lock_guard pollerLock(state_->pollerMutex);
    state_->pollers[owner] = std::move(poll);
    {
        std::lock_guard lock(state_->mutex);
        state_->hasPollers = true;
        state_->changed = true;
    }
    state_->wakeup.notify_one();
}

void Dispatcher::removePoller(const void* owner) {
    std::lock_guard pollerLock(state_->pollerMutex);
    state_->pollers.erase(owner);
    std::lock_guard lock(state_->mutex);
    state_->hasPollers = !state_->pollers.empty();
}

}  // namespace pulvan::midi
