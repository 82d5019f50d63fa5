#pragma once
#include "platform/audiounit/audio_unit.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>

namespace pulvan::link {

// Plays host to an audio unit one 256-frame slice at a time: tempo 120 in 4/4 on its own
// sample clock, a moving or stopped transport, and the unit's MIDI output collected in
// place. Rendering a slice neither allocates nor locks while the collection has room.
class SliceRenderer {
public:
    static constexpr double kTempo = 120.0;

    struct Message {
        std::int64_t sampleTime;  // an immediate one takes the first frame of its slice
        std::uint8_t length;
        std::uint8_t bytes[3];
    };

    // Installs the three host blocks on `unit`, which must outlive the renderer. When the
    // collection is full, `onFull` runs inside the render call to take the messages away.
    SliceRenderer(au::AudioUnit& unit, std::function<void()> onFull);

    // Allocates the unit's render resources and fetches its render block, once.
    void prepare();

    // Frame 0 again: beat and sample positions restart.
    void restart() { renderedFrames_.store(0, std::memory_order_release); }
    void setMoving(bool moving) { moving_.store(moving, std::memory_order_release); }
    // Readable from any thread.
    std::int64_t renderedFrames() const { return renderedFrames_.load(std::memory_order_acquire); }

    // One slice at the rendered frames, which then advance by a slice.
    void renderSlice();

    std::span<const Message> messages() const { return {messages_.data(), messageCount_}; }
    void clearMessages() { messageCount_ = 0; }

private:
    void installHostBlocks();

    au::AudioUnit& unit_;
    std::function<void()> onFull_;
    au::RenderBlock renderBlock_;
    std::atomic<std::int64_t> renderedFrames_{0};
    std::atomic<bool> moving_{false};
    std::array<Message, 2048> messages_{};
    std::size_t messageCount_ = 0;
};

}  // namespace pulvan::link
