#include "platform/midi/virtual_source.h"

#include "platform/midi/backend.h"
#include "platform/midi/dispatcher.h"
#include "platform/midi/short_message_queue.h"

#include <atomic>
#include <chrono>
#include <mutex>

namespace pulvan::midi {
namespace {

// Room for several blocks of a busy engine from several instances.
constexpr std::size_t kQueueCapacity = 4096;

// How often the source asks again for a MIDI system that went away (a JACK server restarting).
constexpr auto kReopenInterval = std::chrono::milliseconds(500);

struct SharedSource {
    std::mutex mutex;  // holders, generation, endpoint and dispatcher change under it
    std::atomic<std::uint32_t> holders{0};
    // Counts the times the source was closed under its holders; they hold it no more then.
    std::atomic<std::uint32_t> generation{0};
    std::unique_ptr<OutputConnection> endpoint;
    std::shared_ptr<Dispatcher> dispatcher;
    ShortMessageQueue<kQueueCapacity> queue;
    std::chrono::steady_clock::time_point nextReopen{};  // the layer's thread's own

    // Hands what the senders queued to the MIDI system, which delivers it on
    // time. Runs on the layer's thread, or on the last holder's thread once
    // that has stopped.
    void drain() {
        if (!endpoint->alive()) reopen();
        ShortMessage message;
        while (queue.tryPop(message))
            endpoint->send(std::span<const std::uint8_t>(message.bytes.data(), message.length), message.deliverAt);
    }

    // Under the mutex, with the source open.
    void close() {
        dispatcher->removePoller(this);
        drain();
        endpoint.reset();  // ends what sounded before it closes
        dispatcher.reset();
    }

    void reopen() {
        const auto time = std::chrono::steady_clock::now();
        if (time < nextReopen) return;
        nextReopen = time + kReopenInterval;
        if (auto reopened = activeBackend()->openVirtualSource(kVirtualSourceName)) endpoint = std::move(reopened);
    }
};

// Never destroyed: a host may end the plug-in from its exit handlers, after the statics went.
SharedSource& sharedSource() {
    static auto* source = new SharedSource;
    return *source;
}

}  // namespace

SharedVirtualSource::SharedVirtualSource() {
    SharedSource& source = sharedSource();
    std::lock_guard lock(source.mutex);
    if (!source.endpoint) {
        source.endpoint = activeBackend()->openVirtualSource(kVirtualSourceName);
        if (!source.endpoint) return;
        source.dispatcher = Dispatcher::shared();
        source.dispatcher->addPoller(&source, [&source] { source.drain(); });
    }
    source.holders.fetch_add(1, std::memory_order_relaxed);
    generation_ = source.generation.load(std::memory_order_relaxed);
    held_ = true;
}

SharedVirtualSource::~SharedVirtualSource() {
    if (!held_) return;
    SharedSource& source = sharedSource();
    std::lock_guard lock(source.mutex);
    if (!holdsOpenSource()) return;
    if (source.holders.fetch_sub(1, std::memory_order_relaxed) > 1) return;
    source.close();
}

bool SharedVirtualSource::holdsOpenSource() const noexcept {
    return held_ && generation_ == sharedSource().generation.load(std::memory_order_acquire);
}

void SharedVirtualSource::closeUnderEveryHolder() {
    SharedSource& source = sharedSource();
    std::lock_guard lock(source.mutex);
    if (source.holders.load(std::memory_order_relaxed) == 0) return;
    source.close();
    source.holders.store(0, std::memory_order_relaxed);
    source.generation.fetch_add(1, std::memory_order_release);
}

bool SharedVirtualSource::send(const std::uint8_t* bytes, std::size_t length, Timestamp deliverAt) noexcept {
    if (!holdsOpenSource() || bytes == nullptr || length == 0 || length > 3) return false;
    ShortMessage message;
    message.deliverAt = deliverAt;
    message.length = static_cast<std::uint8_t>(length);
    for (std::size_t i = 0; i < length; ++i) message.bytes[i] = bytes[i];
    return sharedSource().queue.tryPush(message);
}

std::uint32_t SharedVirtualSource::holderCount() noexcept { return sharedSource().holders.load(std::memory_order_relaxed); }

}  // namespace pulvan::midi
