#include "editor/library/library_dialogs.h"
#include "editor/library/midi_export_files.h"
#include "editor/link/published_values.h"
#include "editor/link/store_link.h"

#include <algorithm>
#include <ctime>

namespace pulvan::link {

void StoreLink::toggleHostedMIDIRecord() {
    auto& s = store_;
    auto& hooks = s.hooks;
    if (!s.isHostedUI.get()) return;
    const auto measureProgress = [&] {
        return hooks.hostedAppPlayMeasureProgress ? displayedProgress(hooks.hostedAppPlayMeasureProgress()) : 0.0;
    };
    switch (s.hostedMIDIRecordMode.get()) {
        case store::HostedMIDIRecordMode::idle:
            if (!hooks.hostedAppPlayState || !hooks.hostedAppPlayState(0).second) {
                s.dialog.set(library::alertRequest("Record", "Start host transport first.", true));
                return;
            }
            s.hostedMIDIRecordMeasureProgress.set(measureProgress());
            s.hostedMIDIRecordBarCount.set(0);
            s.hostedMIDIRecordMode.set(store::HostedMIDIRecordMode::armStart);
            if (hooks.hostedAppPlaySetMIDIRecordArmStart) hooks.hostedAppPlaySetMIDIRecordArmStart(true);
            return;
        case store::HostedMIDIRecordMode::armStart:
            if (hooks.hostedAppPlaySetMIDIRecordArmStart) hooks.hostedAppPlaySetMIDIRecordArmStart(false);
            s.hostedMIDIRecordMode.set(store::HostedMIDIRecordMode::idle);
            s.hostedMIDIRecordMeasureProgress.set(0.0);
            s.hostedMIDIRecordBarCount.set(0);
            return;
        case store::HostedMIDIRecordMode::recording:
            s.hostedMIDIRecordMeasureProgress.set(measureProgress());
            s.hostedMIDIRecordMode.set(store::HostedMIDIRecordMode::armStop);
            if (hooks.hostedAppPlaySetMIDIRecordArmStop) hooks.hostedAppPlaySetMIDIRecordArmStop(true);
            return;
        case store::HostedMIDIRecordMode::armStop:
            if (hooks.hostedAppPlaySetMIDIRecordArmStop) hooks.hostedAppPlaySetMIDIRecordArmStop(false);
            s.hostedMIDIRecordMode.set(store::HostedMIDIRecordMode::recording);
            s.hostedMIDIRecordMeasureProgress.set(0.0);
            return;
    }
}

void StoreLink::pollHostedMIDIRecordState() {
    using Mode = store::HostedMIDIRecordMode;
    auto& s = store_;
    auto& hooks = s.hooks;
    if (!s.isHostedUI.get()) {
        resetHostedMIDIRecordState(true);
        return;
    }
    const Mode previous = s.hostedMIDIRecordMode.get();
    const Mode state = hooks.hostedAppPlayMIDIRecordState
                           ? store::hostedMIDIRecordModeFromRawValue(hooks.hostedAppPlayMIDIRecordState()).value_or(Mode::idle)
                           : Mode::idle;
    assignIfChanged(s.hostedMIDIRecordMode, state);
    const bool arming = state == Mode::armStart || state == Mode::armStop;
    const double progress = arming && hooks.hostedAppPlayMeasureProgress ? displayedProgress(hooks.hostedAppPlayMeasureProgress()) : 0.0;
    assignIfChanged(s.hostedMIDIRecordMeasureProgress, progress);
    const int bars = hooks.hostedAppPlayMIDIRecordBarCount ? std::max(hooks.hostedAppPlayMIDIRecordBarCount(), 0) : 0;
    switch (state) {
        case Mode::recording:
        case Mode::armStop: assignIfChanged(s.hostedMIDIRecordBarCount, bars); break;
        case Mode::armStart: assignIfChanged(s.hostedMIDIRecordBarCount, 0); break;
        case Mode::idle:
            if (previous == Mode::recording || previous == Mode::armStop) presentMIDIExportAfterRecording(bars);
            break;
    }
}

void StoreLink::presentMIDIExportAfterRecording(int bars) {
    auto& s = store_;
    if (s.pendingMIDIExportData) return;  // an earlier take still waits for its folder
    if (bars >= 1) {
        auto data = s.hooks.hostedAppPlayConsumeMIDIRecordData ? s.hooks.hostedAppPlayConsumeMIDIRecordData() : std::nullopt;
        if (data && !data->empty()) {
            s.pendingMIDIExportData = std::move(data);
            s.pendingMIDIExportBarCount = bars;
            s.pendingMIDIExportFileName =
                library::midiExportFileName(bars, std::time(nullptr), s.currentPresetName.get(), s.visibleTrackCount());
            s.isMIDIExportFolderPickerPresented.set(true);
            return;
        }
        s.dialog.set(library::alertRequest("MIDI export", "unable to save"));
    }
    assignIfChanged(s.hostedMIDIRecordBarCount, 0);
}

}  // namespace pulvan::link
