#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace pulvan::foundation {

namespace detail {
struct SlotRecord {
    bool connected = true;
};
}  // namespace detail

// Ends a subscription when destroyed or when disconnect() is called. Move-only.
class Connection {
public:
    Connection() = default;
    explicit Connection(std::weak_ptr<detail::SlotRecord> slot) : slot_(std::move(slot)) {}
    Connection(Connection&& other) noexcept : slot_(std::exchange(other.slot_, {})) {}
    Connection& operator=(Connection&& other) noexcept {
        if (this != &other) {
            disconnect();
            slot_ = std::exchange(other.slot_, {});
        }
        return *this;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { disconnect(); }

    void disconnect() {
        if (auto slot = slot_.lock()) slot->connected = false;
        slot_.reset();
    }
    bool connected() const {
        auto slot = slot_.lock();
        return slot && slot->connected;
    }

private:
    std::weak_ptr<detail::SlotRecord> slot_;
};

// A list of subscribers called in subscription order. Single-threaded (the main
// thread); a subscriber may connect or disconnect others, or itself, while it is
// being called: a slot disconnected during an emission is not called afterwards,
// a slot connected during one is called from the next emission on.
template <typename... Args>
class Signal {
public:
    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Connection connect(std::function<void(Args...)> handler) {
        // Ended slots go here too, not only when the signal fires: a signal that stays quiet while its
        // subscribers come and go (the store's, while the playhead builds views again) would keep every
        // one. Only when the list is full: it stays within twice the most subscribers connected at once.
        if (slots_.size() == slots_.capacity()) dropDisconnected();
        auto slot = std::make_shared<Slot>();
        slot->handler = std::move(handler);
        slots_.push_back(slot);
        return Connection(std::weak_ptr<detail::SlotRecord>(std::static_pointer_cast<detail::SlotRecord>(slot)));
    }

    void emit(const Args&... args) {
        dropDisconnected();
        const auto snapshot = slots_;
        for (const auto& slot : snapshot) {
            if (slot->connected) slot->handler(args...);
        }
    }

    std::size_t subscriberCount() const {
        std::size_t count = 0;
        for (const auto& slot : slots_) count += slot->connected ? 1 : 0;
        return count;
    }

private:
    struct Slot : detail::SlotRecord {
        std::function<void(Args...)> handler;
    };
    void dropDisconnected() {
        std::erase_if(slots_, [](const std::shared_ptr<Slot>& slot) { return !slot->connected; });
    }
    std::vector<std::shared_ptr<Slot>> slots_;
};

}  // namespace pulvan::foundation
