#include "editor/link/standalone/standalone_engine_host.h"

#include "editor/link/standalone/render_clock.h"
#include "editor/link/standalone/standalone_midi_sender.h"

namespace pulvan::link {
namespace {

constexpr au::ComponentDescription kSequencerComponent{au::fourCharCode("aumi"), au::fourCharCode("kezs"), au::fourCharCode("kezm"), 0, 0};
constexpr std::uint32_t kOutputChannels = 2;
// A stopped transport for this many slices lets the unit release every held note.
constexpr int kStopSlices = 2;

}  // namespace

std::unique_ptr<StandaloneEngineHost> StandaloneEngineHost::create(StandaloneMIDISender& midiSender, const au::ComponentRegistry& registry,
                                                                   const foundation::Clock& clock) {
    au::InstantiationResult result = registry.instantiate(kSequencerComponent, 0);
    auto* appPlay = dynamic_cast<au::AppPlayAudioUnit*>(result.unit.get());
    if (!appPlay) return nullptr;
    return std::unique_ptr<StandaloneEngineHost>(new StandaloneEngineHost(std::move(result.unit), *appPlay, midiSender, clock));
}

StandaloneEngineHost::StandaloneEngineHost(std::unique_ptr<au::AudioUnit> unit, au::AppPlayAudioUnit& appPlay,
                                           StandaloneMIDISender& midiSender, const foundation::Clock& clock)
    : clock_(clock), audioUnit_(std::move(unit)), appPlay_(&appPlay), midiSender_(midiSender) {
    installHostBlocks();
}

StandaloneEngineHost::~StandaloneEngineHost() { renderQueue_.cancelTimer(); }

// The unit takes the blocks when it makes its render block, so they go in first.
void StandaloneEngineHost::installHostBlocks() {
    audioUnit_->setMusicalContextBlock([this](double* tempo, double* numerator, std::int64_t* denominator, double* beatPosition,
                                              std::int64_t* sampleOffsetToNextBeat, double* measureDownbeatPosition) {
        if (tempo) *tempo = kTempo;
        if (numerator) *numerator = 4.0;
        if (denominator) *denominator = 4;
        if (beatPosition) *beatPosition = static_cast<double>(renderedFrames_.load(std::memory_order_relaxed)) / render_clock::kSampleRate * (kTempo / 60.0);
        if (sampleOffsetToNextBeat) *sampleOffsetToNextBeat = 0;
        if (measureDownbeatPosition) *measureDownbeatPosition = 0.0;
        return true;
    });
    audioUnit_->setTransportStateBlock([this](au::TransportStateFlags* flags, double* samplePosition, double* cycleStart, double* cycleEnd) {
        if (flags) *flags = running_.load(std::memory_order_relaxed) ? au::kHostTransportStateMoving : 0;
        if (samplePosition) *samplePosition = static_cast<double>(renderedFrames_.load(std::memory_order_relaxed));
        if (cycleStart) *cycleStart = 0.0;
        if (cycleEnd) *cycleEnd = 0.0;
        return true;
    });
    audioUnit_->setMIDIOutputEventBlock([this](std::int64_t sampleTime, std::uint8_t, std::int64_t length, const std::uint8_t* bytes) {
        if (length < 1 || length > 3 || !bytes) return 0;
        if (emittedCount_ == emitted_.size()) sendEmittedMessages();  // never lose a message, even a note-off
        EmittedMessage& message = emitted_[emittedCount_++];
        message.sampleTime = sampleTime;
        message.length = static_cast<std::uint8_t>(length);
        std::copy(bytes, bytes + length, message.bytes);
        return 0;
    });
}

void StandaloneEngineHost::start() {
    renderQueue_.sync([this] { startOnRenderQueue(); });
}

void StandaloneEngineHost::stop() {
    renderQueue_.sync([this] { stopOnRenderQueue(); });
}

void StandaloneEngineHost::startOnRenderQueue() {
    if (running_.load()) return;
    if (!renderBlock_) {
        audioUnit_->allocateRenderResources(nullptr);  // the unit renders without them as well
        renderBlock_ = audioUnit_->internalRenderBlock();
    }
    renderedFrames_.store(0);
    anchorHostTime_.store(clock_.nowNanoseconds());
    running_.store(true);
    renderQueue_.startRepeatingTimer(kRenderTimerIntervalNanoseconds, [this] { renderTick(); });
}

void StandaloneEngineHost::stopOnRenderQueue() {
    if (!running_.load()) return;
    running_.store(false);
    renderQueue_.cancelTimer();
    if (renderBlock_) {
        for (int slice = 0; slice < kStopSlices; ++slice) renderSlice();
    }
    anchorHostTime_.store(0);
}

void StandaloneEngineHost::renderTick() {
    if (!running_.load() || !renderBlock_) return;
    const render_clock::RenderTarget target =
        render_clock::renderTarget(anchorHostTime_.load(), clock_.nowNanoseconds(), renderedFrames_.load());
    anchorHostTime_.store(target.anchor);
    while (renderedFrames_.load() < target.dueFrames) renderSlice();
}

void StandaloneEngineHost::renderSlice() {
    au::RenderActionFlags actionFlags = 0;
    au::AudioTimeStamp timestamp;
    timestamp.sampleTime = static_cast<double>(renderedFrames_.load());
    timestamp.flags = au::kAudioTimeStampSampleTimeValid;
    au::AudioBufferList output;  // no data: the unit supplies its own memory
    output.numberBuffers = 1;
    output.buffers[0].numberChannels = kOutputChannels;
    renderBlock_(&actionFlags, timestamp, static_cast<std::uint32_t>(render_clock::kSliceFrames), 0, &output, nullptr, nullptr);
    renderedFrames_.fetch_add(render_clock::kSliceFrames);
    sendEmittedMessages();
}

void StandaloneEngineHost::sendEmittedMessages() {
    const std::int64_t anchor = anchorHostTime_.load();
    for (std::size_t i = 0; i < emittedCount_; ++i) {
        const EmittedMessage& message = emitted_[i];
        const bool now = message.sampleTime < 0 || anchor == 0;
        const midi::Timestamp deliverAt = now ? midi::kSendNow : static_cast<midi::Timestamp>(render_clock::eventTime(anchor, message.sampleTime));
        midiSender_.sendMessage(std::span<const std::uint8_t>(message.bytes, message.length), deliverAt);
    }
    emittedCount_ = 0;
}

}  // namespace pulvan::link
