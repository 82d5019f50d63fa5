#include "tests/editor/link/recording_hooks.h"

#include <bitset>

namespace pulvan::test {

std::vector<std::string>& recordedCalls() {
    static std::vector<std::string> calls;
    return calls;
}

KezVst3EngineHooks recordingHooks(void* engine) {
    KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(engine);
    hooks.pushConfigBuffer = [](void* e, const int32_t* words, int32_t count) {
        recordedCalls().push_back("config");
        KezVst3EnginePushConfigBuffer(e, words, count);
    };
    hooks.setEnabled = [](void* e, int32_t enabled) {
        recordedCalls().push_back("enabled " + std::to_string(enabled));
        KezVst3EngineSetEnabled(e, enabled);
    };
    hooks.forceAllNotesOff = [](void* e) {
        recordedCalls().push_back("allOff");
        KezVst3EngineForceAllNotesOff(e);
    };
    hooks.forceTrackNotesOff = [](void* e, uint32_t mask) {
        recordedCalls().push_back("tracksOff 0b" + std::bitset<6>(mask).to_string());
        KezVst3EngineForceTrackNotesOff(e, mask);
    };
    hooks.setTrackMIDIOutOffsetsMs = [](void* e, const int32_t* offsets, int32_t count) {
        std::string text = "offsets";
        for (int32_t i = 0; i < count; ++i) {
            text.push_back(i ? ',' : ' ');
            text.append(std::to_string(offsets[i]));
        }
        recordedCalls().push_back(text);
        KezVst3EngineSetTrackMIDIOutOffsetsMs(e, offsets, count);
    };
    hooks.scheduleSceneLaunch = [](void* e, const int32_t* words, int32_t count, double beat) {
        recordedCalls().push_back("scene at " + std::to_string(beat));
        KezVst3EngineScheduleSceneLaunch(e, words, count, beat);
    };
    hooks.schedulePatternLaunch = [](void* e, const int32_t* words, int32_t count, double beat, int32_t track) {
        recordedCalls().push_back("pattern " + std::to_string(track) + " at " + std::to_string(beat));
        KezVst3EngineSchedulePatternLaunch(e, words, count, beat, track);
    };
    hooks.pushPresetBlob = [](void* e, const uint8_t* bytes, int32_t size) {
        recordedCalls().push_back("blob");
        KezVst3EnginePushPresetBlob(e, bytes, size);
    };
    return hooks;
}

}  // namespace pulvan::test
