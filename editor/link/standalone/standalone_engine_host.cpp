#include "editor/link/standalone/standalone_engine_host.h"

#include "audiounit/pulvan_audio_unit.h"
#include "editor/link/standalone/render_clock.h"
#include "editor/link/standalone/standalone_midi_sender.h"

namespace pulvan::link {
namespace {

// A stopped transport for this many slices lets the unit release every held note.
constexpr int kStopSlices = 2;

}  // namespace

std::unique_ptr<StandaloneEngineHost> StandaloneEngineHost::create(StandaloneMIDISender& midiSender, const au::ComponentRegistry& registry,
                                                                   const foundation::Clock& clock) {
    au::InstantiationResult result = registry.instantiate(au::PulvanAudioUnit::kComponentDescription, 0);
    auto* appPlay = dynamic_cast<au::AppPlayAudioUnit*>(result.unit.get());
    if (!appPlay) return nullptr;
    return std::unique_ptr<StandaloneEngineHost>(new StandaloneEngineHost(std::move(result.unit), *appPlay, midiSender, clock));
}

StandaloneEngineHost::StandaloneEngineHost(std::unique_ptr<au::AudioUnit> unit, au::AppPlayAudioUnit& appPlay,
                                           StandaloneMIDISender& midiSender, const foundation::Clock& clock)
    : clock_(clock),
      audioUnit_(std::move(unit)),
      appPlay_(&appPlay),
      midiSender_(midiSender),
      renderer_(*audioUnit_, [this] { sendMessages(); }) {}

// A host that goes while playing still lets every held note end.
StandaloneEngineHost::~StandaloneEngineHost() { stop(); }

void StandaloneEngineHost::start() {
    renderQueue_.sync([this] { startOnRenderQueue(); });
}

void StandaloneEngineHost::stop() {
    renderQueue_.sync([this] { stopOnRenderQueue(); });
}

void StandaloneEngineHost::startOnRenderQueue() {
    if (running_.load()) return;
    renderer_.prepare();
    renderer_.restart();
    // Frame 0 is due one look-ahead from now, so that the first step, rendered now, has the
    // lead of every other and lands on its grid instead of late.
    const std::int64_t lookAhead = render_clock::lookAheadFrames(midiSender_.outputPeriodNanoseconds());
    anchorHostTime_.store(clock_.nowNanoseconds() + render_clock::nanosecondsFor(lookAhead));
    running_.store(true);
    renderer_.setMoving(true);
    renderQueue_.startRepeatingTimer(kRenderTimerIntervalNanoseconds, [this] { renderTick(); });
}

void StandaloneEngineHost::stopOnRenderQueue() {
    if (!running_.load()) return;
    running_.store(false);
    renderer_.setMoving(false);
    renderQueue_.cancelTimer();
    for (int slice = 0; slice < kStopSlices; ++slice) renderSlice();
    // What was rendered ahead must not sound after the stop: the transport drops what has
    // not left yet and ends every note that did sound.
    midiSender_.silence();
    anchorHostTime_.store(0);
}

void StandaloneEngineHost::renderTick() {
    if (!running_.load()) return;
    // Asked at every tick: the server's period may change while playing.
    const std::int64_t lookAhead = render_clock::lookAheadFrames(midiSender_.outputPeriodNanoseconds());
    const render_clock::RenderTarget target =
        render_clock::renderTarget(anchorHostTime_.load(), clock_.nowNanoseconds(), renderer_.renderedFrames(), lookAhead);
    anchorHostTime_.store(target.anchor);
    while (renderer_.renderedFrames() < target.dueFrames) renderSlice();
}

void StandaloneEngineHost::renderSlice() {
    renderer_.renderSlice();
    sendMessages();
}

void StandaloneEngineHost::sendMessages() {
    const std::int64_t anchor = anchorHostTime_.load();
    for (const SliceRenderer::Message& message : renderer_.messages()) {
        const midi::Timestamp deliverAt =
            anchor == 0 ? midi::kSendNow : static_cast<midi::Timestamp>(render_clock::eventTime(anchor, message.sampleTime));
        midiSender_.sendMessage(std::span<const std::uint8_t>(message.bytes, message.length), deliverAt);
    }
    renderer_.clearMessages();
}

}  // namespace pulvan::link
