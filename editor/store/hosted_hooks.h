#pragma once
#include "editor/store/hosted_app_play_payload.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace pulvan::store {

// The closures through which the store reaches a hosted engine. The VST3 editor
// holder binds each to one engine hook; every one is optional, and a caller that
// finds one empty skips the call and uses its neutral result.
struct HostedHooks {
    std::function<void(const HostedAppPlayPayload&)> hostedAppPlayConfigure;
    std::function<void(const HostedAppPlayPayload&, double targetBeat)> hostedAppPlayScheduleSceneLaunch;
    std::function<void(const HostedAppPlayPayload&, double targetBeat, int track)> hostedAppPlaySchedulePatternLaunch;
    std::function<void(const std::vector<int>& offsetsMs)> hostedAppPlaySetTrackMIDIOutOffsets;
    std::function<void(bool)> hostedAppPlaySetEnabled;
    std::function<void()> hostedAppPlayForceNotesOff;
    std::function<void(const std::vector<int>& tracks)> hostedAppPlayForceNotesOffForTracks;
    std::function<void()> hostedAppPlayCancelPatternLaunch;
    std::function<void(bool)> hostedAppPlaySetResyncArmed;
    std::function<bool()> hostedAppPlayIsResyncArmed;
    std::function<double()> hostedAppPlayMeasureProgress;
    std::function<double()> hostedAppPlayBeatPosition;
    std::function<void(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)> hostedSendImmediateMIDI;
    std::function<void(double width, double height)> hostedRequestEditorResize;
    std::function<void(bool)> hostedAppPlaySetMIDIRecordArmStart;
    std::function<void(bool)> hostedAppPlaySetMIDIRecordArmStop;
    std::function<int()> hostedAppPlayMIDIRecordState;
    std::function<int()> hostedAppPlayMIDIRecordBarCount;
    std::function<std::optional<std::vector<std::uint8_t>>()> hostedAppPlayConsumeMIDIRecordData;
    // Installed by the notes-pool keyboard view, called for every incoming note event.
    std::function<void(int note, bool isOn)> incomingMIDINoteEventHandler;
    std::function<void()> hostedDrainIncomingMIDI;
    std::function<void()> hostedPollHostState;
    std::function<std::pair<std::uint64_t, std::uint64_t>(int track)> hostedAppPlayActiveNotesMask;  // low, high
    std::function<std::pair<int, bool>(int track)> hostedAppPlayState;                               // step, isMoving
};

}  // namespace pulvan::store
