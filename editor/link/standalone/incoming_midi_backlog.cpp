#include "editor/link/standalone/incoming_midi_backlog.h"

namespace pulvan::link {

bool IncomingMIDIBacklog::push(Message message) {
    std::lock_guard lock(mutex_);
    if (message.kind == Message::Kind::note) {
        if (message.value != 0) {
            heldAtInput_.add(message.channel, message.number);
        } else {
            heldAtInput_.remove(message.channel, message.number);
        }
    } else {
        lastValue_[message.number] = message.value;
    }
    if (count_ == kCapacity) merging_ = true;
    if (!merging_) {
        queue_[(head_ + count_) % kCapacity] = message;
        ++count_;
    } else if (message.kind == Message::Kind::note) {
        heldKeysMoved_ = true;
    } else {
        controllerMoved_.set(message.number);
    }
    return leaveIdleLocked();
}

bool IncomingMIDIBacklog::replaceHeldKeys(const midi::NoteSet& held) {
    std::lock_guard lock(mutex_);
    heldAtInput_ = held;
    merging_ = true;
    heldKeysMoved_ = true;
    return leaveIdleLocked();
}

bool IncomingMIDIBacklog::leaveIdleLocked() {
    const bool wasIdle = idle_;
    idle_ = false;
    return wasIdle;
}

std::optional<IncomingMIDIBacklog::Item> IncomingMIDIBacklog::take() {
    std::lock_guard lock(mutex_);
    if (count_ > 0) {
        const Message message = queue_[head_];
        head_ = (head_ + 1) % kCapacity;
        --count_;
        return message;
    }
    if (merging_) {
        if (auto merged = takeMergedLocked()) return merged;
        merging_ = false;
    }
    idle_ = true;
    return std::nullopt;
}

std::optional<IncomingMIDIBacklog::Item> IncomingMIDIBacklog::takeMergedLocked() {
    if (heldKeysMoved_) {
        heldKeysMoved_ = false;
        HeldKeys keys{};
        for (int channel = 0; channel < 16; ++channel) {
            for (int note = 0; note < 128; ++note) keys[static_cast<std::size_t>(note)] += heldAtInput_.contains(channel, note) ? 1 : 0;
        }
        return keys;
    }
    for (std::size_t controller = 0; controller < controllerMoved_.size(); ++controller) {
        if (!controllerMoved_[controller]) continue;
        controllerMoved_.reset(controller);
        return Message{Message::Kind::controlChange, static_cast<std::uint8_t>(controller), lastValue_[controller]};
    }
    return std::nullopt;
}

}  // namespace pulvan::link
