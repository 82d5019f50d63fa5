#pragma once
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// The table through which the editor drives an engine without linking its types. Every hook
// takes the engine's address (field `engine`) first. Fields in this exact order.
typedef struct KezVst3EngineHooks {
    void* engine;
    void (*pushConfigBuffer)(void* engine, const int32_t* words, int32_t count);
    void (*setEnabled)(void* engine, int32_t enabled);
    void (*forceAllNotesOff)(void* engine);
    void (*forceTrackNotesOff)(void* engine, uint32_t trackMask);
    void (*sendImmediateMIDI)(void* engine, uint8_t status, uint8_t data1, uint8_t data2);
    int32_t (*popIncomingMIDI)(void* engine, uint8_t* status, uint8_t* data1, uint8_t* data2);
    int64_t (*currentStepGlobal)(void* engine, int32_t track);
    uint64_t (*currentActiveNotesLow)(void* engine, int32_t track);
    uint64_t (*currentActiveNotesHigh)(void* engine, int32_t track);
    int32_t (*isTransportMoving)(void* engine);
    double (*beatPosition)(void* engine);
    double (*measureProgress)(void* engine);
    void (*scheduleSceneLaunch)(void* engine, const int32_t* words, int32_t count, double targetBeat);
    void (*schedulePatternLaunch)(void* engine, const int32_t* words, int32_t count, double targetBeat, int32_t track);
    void (*cancelPatternLaunch)(void* engine);
    void (*setResyncArmed)(void* engine, int32_t armed);
    int32_t (*isResyncArmed)(void* engine);
    void (*setTrackMIDIOutOffsetsMs)(void* engine, const int32_t* offsets, int32_t count);
    void (*pushPresetBlob)(void* engine, const uint8_t* bytes, int32_t size);
    int32_t (*presetBlobSize)(void* engine);
    int32_t (*copyPresetBlob)(void* engine, uint8_t* dest, int32_t capacity);
    uint64_t (*hostStateVersion)(void* engine);
    void (*requestEditorResize)(void* engine, double width, double height);
} KezVst3EngineHooks;

// The hook functions; `engine` is a pulvan::engine::SequencerEngine*.
void KezVst3EnginePushConfigBuffer(void* engine, const int32_t* words, int32_t count);
void KezVst3EngineSetEnabled(void* engine, int32_t enabled);
void KezVst3EngineForceAllNotesOff(void* engine);
void KezVst3EngineForceTrackNotesOff(void* engine, uint32_t trackMask);
void KezVst3EngineSendImmediateMIDI(void* engine, uint8_t status, uint8_t data1, uint8_t data2);
int32_t KezVst3EnginePopIncomingMIDI(void* engine, uint8_t* status, uint8_t* data1, uint8_t* data2);
int64_t KezVst3EngineCurrentStepGlobal(void* engine, int32_t track);
uint64_t KezVst3EngineCurrentActiveNotesLow(void* engine, int32_t track);
uint64_t KezVst3EngineCurrentActiveNotesHigh(void* engine, int32_t track);
int32_t KezVst3EngineIsTransportMoving(void* engine);
double KezVst3EngineBeatPosition(void* engine);
double KezVst3EngineMeasureProgress(void* engine);
void KezVst3EngineScheduleSceneLaunch(void* engine, const int32_t* words, int32_t count, double targetBeat);
void KezVst3EngineSchedulePatternLaunch(void* engine, const int32_t* words, int32_t count, double targetBeat, int32_t track);
void KezVst3EngineCancelPatternLaunch(void* engine);
void KezVst3EngineSetResyncArmed(void* engine, int32_t armed);
int32_t KezVst3EngineIsResyncArmed(void* engine);
void KezVst3EngineSetTrackMIDIOutOffsetsMs(void* engine, const int32_t* offsets, int32_t count);
void KezVst3EnginePushPresetBlob(void* engine, const uint8_t* bytes, int32_t size);
int32_t KezVst3EnginePresetBlobSize(void* engine);
int32_t KezVst3EngineCopyPresetBlob(void* engine, uint8_t* dest, int32_t capacity);
uint64_t KezVst3EngineHostStateVersion(void* engine);
void KezVst3EngineRequestEditorResize(void* engine, double width, double height);

// The table for one engine, every hook in slot order.
KezVst3EngineHooks KezVst3EngineMakeHooks(void* engine);

#ifdef __cplusplus
}
#endif
