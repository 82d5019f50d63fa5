#include "editor/link/standalone/slice_renderer.h"

#include "editor/link/standalone/render_clock.h"

#include <algorithm>

namespace pulvan::link {
namespace {

constexpr std::uint32_t kOutputChannels = 2;

}  // namespace

SliceRenderer::SliceRenderer(au::AudioUnit& unit, std::function<void()> onFull) : unit_(unit), onFull_(std::move(onFull)) {
    installHostBlocks();
}

// The unit takes the blocks when it makes its render block, so they go in first.
void SliceRenderer::installHostBlocks() {
    unit_.setMusicalContextBlock([this](double* tempo, double* numerator, std::int64_t* denominator, double* beatPosition,
                                        std::int64_t* sampleOffsetToNextBeat, double* measureDownbeatPosition) {
        if (tempo) *tempo = kTempo;
        if (numerator) *numerator = 4.0;
        if (denominator) *denominator = 4;
        if (beatPosition) *beatPosition = static_cast<double>(renderedFrames()) / render_clock::kSampleRate * (kTempo / 60.0);
        if (sampleOffsetToNextBeat) *sampleOffsetToNextBeat = 0;
        if (measureDownbeatPosition) *measureDownbeatPosition = 0.0;
        return true;
    });
    unit_.setTransportStateBlock([this](au::TransportStateFlags* flags, double* samplePosition, double* cycleStart, double* cycleEnd) {
        if (flags) *flags = moving_.load(std::memory_order_acquire) ? au::kHostTransportStateMoving : 0;
        if (samplePosition) *samplePosition = static_cast<double>(renderedFrames());
        if (cycleStart) *cycleStart = 0.0;
        if (cycleEnd) *cycleEnd = 0.0;
        return true;
    });
    unit_.setMIDIOutputEventBlock([this](std::int64_t sampleTime, std::uint8_t, std::int64_t length, const std::uint8_t* bytes) {
        if (length < 1 || length > 3 || !bytes) return 0;
        if (messageCount_ == messages_.size() && onFull_) onFull_();  // never lose a message, a note-off least of all
        if (messageCount_ == messages_.size()) return 0;
        Message& message = messages_[messageCount_++];
        // An immediate message (a release the unit serves) belongs to the slice being rendered:
        // timed "now" it would overtake the notes rendered ahead of it and leave them hanging.
        message.sampleTime = sampleTime < 0 ? renderedFrames() : sampleTime;
        message.length = static_cast<std::uint8_t>(length);
        std::copy(bytes, bytes + length, message.bytes);
        return 0;
    });
}

void SliceRenderer::prepare() {
    if (renderBlock_) return;
    unit_.allocateRenderResources(nullptr);  // the unit renders without them as well
    renderBlock_ = unit_.internalRenderBlock();
}

void SliceRenderer::renderSlice() {
    au::RenderActionFlags actionFlags = 0;
    au::AudioTimeStamp timestamp;
    timestamp.sampleTime = static_cast<double>(renderedFrames());
    timestamp.flags = au::kAudioTimeStampSampleTimeValid;
    au::AudioBufferList output;  // no data: the unit supplies its own memory
    output.numberBuffers = 1;
    output.buffers[0].numberChannels = kOutputChannels;
    renderBlock_(&actionFlags, timestamp, static_cast<std::uint32_t>(render_clock::kSliceFrames), 0, &output, nullptr, nullptr);
    renderedFrames_.fetch_add(render_clock::kSliceFrames, std::memory_order_acq_rel);
}

}  // namespace pulvan::link
