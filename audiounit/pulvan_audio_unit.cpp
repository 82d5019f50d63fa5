#include "audiounit/pulvan_audio_unit.h"

#include "audiounit/app_play_engine.h"
#include "audiounit/midi_recorder.h"
#include "audiounit/midi_ring_messages.h"
#include "audiounit/render_body.h"
#include "engine/launch_queue.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace pulvan::au {

namespace {

bool isTrack(std::int64_t track) { return track >= 0 && track < kTrackCount; }

}  // namespace

// Main-thread room for converting a launch to find the tracks it silences.
struct PulvanAudioUnit::MainThreadScratch {
    engine::EngineSnapshot snapshot;
};

std::unique_ptr<PulvanAudioUnit> PulvanAudioUnit::create(const ComponentDescription& description, std::uint32_t, std::string& error) {
    try {
        return std::unique_ptr<PulvanAudioUnit>(new PulvanAudioUnit(description));
    } catch (const std::bad_alloc&) {
        error = "not enough memory for the sequencer's render state";
        return nullptr;
    }
}

PulvanAudioUnit::PulvanAudioUnit(const ComponentDescription& description)
    : AudioUnit(description),
      engine_(std::make_unique<AppPlayEngine>()),
      scratch_(std::make_unique<MainThreadScratch>()),
      outputBus_({44100.0, 2}) {
    initAppPlayEngine(*engine_);
    outputBus_.setMaximumChannelCount(8);
    outputBusArray_ = std::make_unique<AudioUnitBusArray>(AudioUnitBusType::output, std::vector<AudioUnitBus*>{&outputBus_});
}

PulvanAudioUnit::~PulvanAudioUnit() { releaseAppPlayEngine(*engine_); }

void PulvanAudioUnit::storeSampleRateFromBus() {
    const double rate = outputBus_.format().sampleRate;
    if (rate > 0.0) engine_->sampleRate.store(rate);
}

bool PulvanAudioUnit::allocateRenderResources(std::string* error) {
    AudioUnit::allocateRenderResources(error);
    storeSampleRateFromBus();
    return true;
}

RenderBlock PulvanAudioUnit::internalRenderBlock() {
    CapturedHostBlocks host{musicalContextBlock(), transportStateBlock(), midiOutputEventBlock()};
    storeSampleRateFromBus();
    AppPlayEngine* engine = engine_.get();
    return [engine, host](RenderActionFlags*, const AudioTimeStamp& timestamp, std::uint32_t frameCount, std::int64_t, AudioBufferList*,
                          const RenderEvent* realtimeEventListHead,
                          const PullInputBlock*) { return auRenderBody(*engine, timestamp, frameCount, realtimeEventListHead, host); };
}

void PulvanAudioUnit::configureAppPlay(const AppPlayArguments& arguments) {
    engine_->configMailbox.publish([&](AppPlayConfig& slot) { buildAppPlayConfig(arguments, slot); });
}

void PulvanAudioUnit::publishLaunch(bool scene, const AppPlayArguments& arguments, double targetBeat, std::uint32_t keepMask) {
    if (!std::isfinite(targetBeat)) return;  // a launch that could never come due
    auto& mailbox = scene ? engine_->sceneMailbox : engine_->patternMailbox;
    mailbox.publish([&](AppPlayLaunch& slot) {
        buildAppPlayConfig(arguments, slot.config);
        slot.targetBeat = targetBeat;
        convertAppPlayConfig(slot.config, scratch_->snapshot);
        slot.notesOffMask = engine::tracksWithNothingToPlay(scratch_->snapshot) & keepMask;
        slot.valid = 1;
    });
}

void PulvanAudioUnit::scheduleAppPlaySceneLaunch(const AppPlayArguments& arguments, double targetBeat) {
    publishLaunch(true, arguments, targetBeat, engine::kAllTracksMask);
}

void PulvanAudioUnit::scheduleAppPlayPatternLaunch(const AppPlayArguments& arguments, double targetBeat, std::int64_t trackIndex) {
    publishLaunch(false, arguments, targetBeat, isTrack(trackIndex) ? 1u << trackIndex : 0u);
}

void PulvanAudioUnit::cancelScheduledAppPlayPatternLaunch() { engine_->patternMailbox.publish(clearAppPlayLaunch); }

void PulvanAudioUnit::setAppPlayEnabled(bool enabled) {
    AppPlayEngine& e = *engine_;
    if (e.enabled.load() == static_cast<std::uint8_t>(enabled)) return;
    e.enabled.store(enabled);
    e.sceneMailbox.publish(clearAppPlayLaunch);
    e.patternMailbox.publish(clearAppPlayLaunch);
    e.allNotesOffRequested.store(1);
    e.trackNotesOffMask.store(0);
    e.resetRequested.store(1);
    if (!enabled) e.recorderResetRequested.store(1);
}

void PulvanAudioUnit::setAppPlayMIDIOutOffsetsMs(std::span<const std::int32_t> offsets) {
    std::uint32_t changed = 0;
    for (std::size_t t = 0; t < kTrackCount; ++t) {
        const std::int32_t value = t < offsets.size() ? std::clamp(offsets[t], -200, 200) : 0;
        if (engine_->trackMIDIOutOffsetsMs[t].exchange(value) != value) changed |= 1u << t;
    }
    if (changed) engine_->trackNotesOffMask.fetch_or(changed);
}

void PulvanAudioUnit::requestAppPlayNotesOff() {
    engine_->trackNotesOffMask.store(0);
    engine_->allNotesOffRequested.store(1);
}

void PulvanAudioUnit::requestAppPlayNotesOffForTracks(std::span<const std::int32_t> tracks) {
    std::uint32_t mask = 0;
    for (std::int32_t track : tracks) {
        if (isTrack(track)) mask |= 1u << track;
    }
    if (mask) engine_->trackNotesOffMask.fetch_or(mask);
}

void PulvanAudioUnit::setAppPlayResyncArmed(bool armed) {
    engine_->resyncArmed.store(armed);
    engine_->resyncTargetBar.store(kNoStep);
}

bool PulvanAudioUnit::isAppPlayResyncArmed() const { return engine_->resyncArmed.load() != 0; }
double PulvanAudioUnit::currentAppPlayMeasureProgress() const { return engine_->measureProgress.load(); }
double PulvanAudioUnit::currentAppPlayBeatPosition() const { return engine_->beatPosition.load(); }

std::int64_t PulvanAudioUnit::currentAppPlayGlobalStepForTrack(std::int64_t track) const {
    if (!isTrack(track)) return -1;
    return std::max<std::int64_t>(engine_->globalStep[track].load(std::memory_order_acquire), -1);
}

std::uint64_t PulvanAudioUnit::currentAppPlayActiveNotesLowForTrack(std::int64_t track) const {
    return isTrack(track) ? engine_->activeNotesLow[track].load(std::memory_order_acquire) : 0;
}

std::uint64_t PulvanAudioUnit::currentAppPlayActiveNotesHighForTrack(std::int64_t track) const {
    return isTrack(track) ? engine_->activeNotesHigh[track].load(std::memory_order_acquire) : 0;
}

bool PulvanAudioUnit::isAppPlayTransportMoving() const { return engine_->transportMoving.load() != 0; }

void PulvanAudioUnit::setAppPlayMIDIRecordArmStart(bool arm) { armRecordStart(engine_->recorder, arm); }
void PulvanAudioUnit::setAppPlayMIDIRecordArmStop(bool arm) { armRecordStop(engine_->recorder, arm); }
std::int64_t PulvanAudioUnit::currentAppPlayMIDIRecordState() const { return engine_->recorder.state.load(); }
std::int64_t PulvanAudioUnit::currentAppPlayMIDIRecordBarCount() const { return engine_->recorder.recordBarCount.load(); }

std::optional<std::vector<std::uint8_t>> PulvanAudioUnit::consumeAppPlayMIDIRecordData() { return consumeRecordedTake(engine_->recorder); }

void PulvanAudioUnit::sendImmediateMIDI(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    pushMIDIMessage(engine_->outgoingMIDIRing, status, data1, data2);
}

void PulvanAudioUnit::drainIncomingMIDIMessages() {
    std::uint8_t message[kMIDIMessageBytes];
    while (popMIDIMessage(engine_->incomingMIDIRing, message)) {
        if (incomingMIDIMessageHandler_) incomingMIDIMessageHandler_(message[0], message[1], message[2]);
    }
}

}  // namespace pulvan::au
