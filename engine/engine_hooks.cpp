#include "engine/engine_hooks.h"

#include "engine/editor_requests.h"
#include "engine/launch_control.h"
#include "engine/sequencer_engine.h"

namespace {
pulvan::engine::SequencerEngine& engineAt(void* engine) { return *static_cast<pulvan::engine::SequencerEngine*>(engine); }
}  // namespace

namespace eng = pulvan::engine;

// Every hook ignores a null engine: the table may be filled before the processor announces one.
#define KEZ_REQUIRE_ENGINE(fallback) \
    if (engine == nullptr) return fallback

extern "C" {

void KezVst3EnginePushConfigBuffer(void* engine, const int32_t* words, int32_t count) {
    KEZ_REQUIRE_ENGINE();
    eng::applyConfigBuffer(engineAt(engine), words, count);
}
void KezVst3EngineSetEnabled(void* engine, int32_t enabled) {
    KEZ_REQUIRE_ENGINE();
    eng::setEnabled(engineAt(engine), enabled != 0);
}
void KezVst3EngineForceAllNotesOff(void* engine) {
    KEZ_REQUIRE_ENGINE();
    eng::forceAllNotesOff(engineAt(engine));
}
void KezVst3EngineForceTrackNotesOff(void* engine, uint32_t trackMask) {
    KEZ_REQUIRE_ENGINE();
    eng::forceTrackNotesOff(engineAt(engine), trackMask);
}
void KezVst3EngineSendImmediateMIDI(void* engine, uint8_t status, uint8_t data1, uint8_t data2) {
    KEZ_REQUIRE_ENGINE();
    eng::sendImmediateMIDI(engineAt(engine), status, data1, data2);
}
int32_t KezVst3EnginePopIncomingMIDI(void* engine, uint8_t* status, uint8_t* data1, uint8_t* data2) {
    KEZ_REQUIRE_ENGINE(0);
    uint8_t s = 0, d1 = 0, d2 = 0;
    if (!eng::popIncomingMIDI(engineAt(engine), s, d1, d2)) return 0;
    if (status) *status = s;
    if (data1) *data1 = d1;
    if (data2) *data2 = d2;
    return 1;
}
int64_t KezVst3EngineCurrentStepGlobal(void* engine, int32_t track) {
    KEZ_REQUIRE_ENGINE(-1);
    return eng::currentStepGlobal(engineAt(engine), track);
}
uint64_t KezVst3EngineCurrentActiveNotesLow(void* engine, int32_t track) {
    KEZ_REQUIRE_ENGINE(0);
    return eng::currentActiveNotesLow(engineAt(engine), track);
}
uint64_t KezVst3EngineCurrentActiveNotesHigh(void* engine, int32_t track) {
    KEZ_REQUIRE_ENGINE(0);
    return eng::currentActiveNotesHigh(engineAt(engine), track);
}
int32_t KezVst3EngineIsTransportMoving(void* engine) {
    KEZ_REQUIRE_ENGINE(0);
    return eng::isTransportMoving(engineAt(engine)) ? 1 : 0;
}
double KezVst3EngineBeatPosition(void* engine) {
    KEZ_REQUIRE_ENGINE(0.0);
    return eng::currentBeatPosition(engineAt(engine));
}
double KezVst3EngineMeasureProgress(void* engine) {
    KEZ_REQUIRE_ENGINE(0.0);
    return eng::currentMeasureProgress(engineAt(engine));
}
void KezVst3EngineScheduleSceneLaunch(void* engine, const int32_t* words, int32_t count, double targetBeat) {
    KEZ_REQUIRE_ENGINE();
    eng::scheduleSceneLaunch(engineAt(engine), words, count, targetBeat);
}
void KezVst3EngineSchedulePatternLaunch(void* engine, const int32_t* words, int32_t count, double targetBeat, int32_t track) {
    KEZ_REQUIRE_ENGINE();
    eng::schedulePatternLaunch(engineAt(engine), words, count, targetBeat, track);
}
void KezVst3EngineCancelPatternLaunch(void* engine) {
    KEZ_REQUIRE_ENGINE();
    eng::cancelPatternLaunch(engineAt(engine));
}
void KezVst3EngineSetResyncArmed(void* engine, int32_t armed) {
    KEZ_REQUIRE_ENGINE();
    eng::setResyncArmed(engineAt(engine), armed != 0);
}
int32_t KezVst3EngineIsResyncArmed(void* engine) {
    KEZ_REQUIRE_ENGINE(0);
    return eng::isResyncArmed(engineAt(engine)) ? 1 : 0;
}
void KezVst3EngineSetTrackMIDIOutOffsetsMs(void* engine, const int32_t* offsets, int32_t count) {
    KEZ_REQUIRE_ENGINE();
    eng::setTrackMIDIOutOffsetsMs(engineAt(engine), offsets, count);
}
void KezVst3EnginePushPresetBlob(void* engine, const uint8_t* bytes, int32_t size) {
    KEZ_REQUIRE_ENGINE();
    eng::pushPresetBlob(engineAt(engine), bytes, size);
}
int32_t KezVst3EnginePresetBlobSize(void* engine) {
    KEZ_REQUIRE_ENGINE(0);
    return eng::presetBlobSize(engineAt(engine));
}
int32_t KezVst3EngineCopyPresetBlob(void* engine, uint8_t* dest, int32_t capacity) {
    KEZ_REQUIRE_ENGINE(0);
    return eng::copyPresetBlob(engineAt(engine), dest, capacity);
}
uint64_t KezVst3EngineHostStateVersion(void* engine) {
    KEZ_REQUIRE_ENGINE(0);
    return engineAt(engine).hostStateVersion.load(std::memory_order_acquire);
}
void KezVst3EngineRequestEditorResize(void* engine, double width, double height) {
    KEZ_REQUIRE_ENGINE();
    eng::requestEditorResize(engineAt(engine), width, height);
}

KezVst3EngineHooks KezVst3EngineMakeHooks(void* engine) {
    return KezVst3EngineHooks{
        engine,
        KezVst3EnginePushConfigBuffer,
        KezVst3EngineSetEnabled,
        KezVst3EngineForceAllNotesOff,
        KezVst3EngineForceTrackNotesOff,
        KezVst3EngineSendImmediateMIDI,
        KezVst3EnginePopIncomingMIDI,
        KezVst3EngineCurrentStepGlobal,
        KezVst3EngineCurrentActiveNotesLow,
        KezVst3EngineCurrentActiveNotesHigh,
        KezVst3EngineIsTransportMoving,
        KezVst3EngineBeatPosition,
        KezVst3EngineMeasureProgress,
        KezVst3EngineScheduleSceneLaunch,
        KezVst3EngineSchedulePatternLaunch,
        KezVst3EngineCancelPatternLaunch,
        KezVst3EngineSetResyncArmed,
        KezVst3EngineIsResyncArmed,
        KezVst3EngineSetTrackMIDIOutOffsetsMs,
        KezVst3EnginePushPresetBlob,
        KezVst3EnginePresetBlobSize,
        KezVst3EngineCopyPresetBlob,
        KezVst3EngineHostStateVersion,
        KezVst3EngineRequestEditorResize,
    };
}

}  // extern "C"
