#include "editor/link/published_values.h"
#include "editor/link/store_link.h"
#include "editor/model/preset_json.h"
#include "editor/store/startup_preset.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace pulvan::link {

namespace {

constexpr const char* kUnreadableMessage =
    "The preset stored in this project could not be read. Its data is preserved: saving the project will keep it unchanged. "
    "You can replace it with the current state.";
constexpr const char* kNewerVersionMessage =
    "This project was saved with a newer version of Pulvan and cannot be loaded here. Its data is preserved: saving the project "
    "will keep it unchanged. Update Pulvan to load it, or replace it with the current state.";

}  // namespace

std::optional<std::vector<std::uint8_t>> StoreLink::encodedPresetData() const {
    const auto& s = store_;
    const model::Preset& preset = s.preset.get();
    const int scene = s.activeSceneIndex.get();
    const bool sceneApplies =
        preset.notesPoolInput == model::NotesPoolInput::internalChord && scene >= 0 && scene < static_cast<int>(preset.chordPresets.size());
    std::vector<int> indices;
    indices.reserve(preset.tracks.size());
    for (const auto& track : preset.tracks) {
        const auto it = s.selections->find(track.id);
        const int selected = it == s.selections->end() ? 0 : it->second.pattern;
        indices.push_back(std::clamp(selected, 0, std::max(static_cast<int>(track.patterns.size()) - 1, 0)));
    }
    // Never fails: bad text is replaced. Only the patterns changed since the last call are encoded.
    const std::string text = presetEncoder_.encodeStored(preset, sceneApplies ? std::optional<int>(scene) : std::nullopt, indices);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

model::PresetLoadOutcome StoreLink::applyPresetData(const std::vector<std::uint8_t>& bytes) {
    auto result = model::PresetParser::load(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (result.preset) applyPreset(std::move(*result.preset));
    return result.outcome;
}

void StoreLink::applyPreset(model::Preset incoming) {
    // Gestures under way end before the document they edit goes.
    documentWillBeReplaced.emit();
    resetHostedMIDIRecordState(true);
    store_.replacePreset(std::move(incoming));
    if (store_.hostedPreservedStateBlob) presentPreservedStatePrompt();
}

void StoreLink::presentPreservedStatePrompt() {
    store::DialogRequest request;
    request.kind = store::DialogRequest::Kind::confirm;
    request.title = "Preset not loaded";
    const bool newer = store_.hostedPreservedStateOutcome.kind == model::PresetLoadOutcome::Kind::unsupportedVersion;
    request.message = newer ? kNewerVersionMessage : kUnreadableMessage;
    request.confirmLabel = "Replace";
    request.cancelLabel = "Keep";
    request.prefersGlobalAccent = true;
    request.onConfirm = [weak = std::weak_ptr<StoreLink*>(self_)](const std::string&) {
        const auto self = weak.lock();
        if (!self) return;
        auto& s = (*self)->store_;
        s.hostedPreservedStateBlob.reset();
        if (s.hostedPreservedStateOverwriteConfirmed) s.hostedPreservedStateOverwriteConfirmed();
    };
    store_.dialog.set(std::move(request));
}

void StoreLink::setHostedUI(bool hosted) {
    auto& s = store_;
    if (s.isHostedUI.get() == hosted) return;
    applyPendingLaunchesNow();
    s.isHostedUI.set(hosted);
    s.hostedTransportConsecutiveStoppedPollCount = 0;
    s.hostedTransportLastMovingUptime = 0;
    s.hostedLastSixteenthPosition.reset();
    s.playhead.globalStepByTrackID.set({});
    clearActiveNotes();
    resetHostedMIDIRecordState(true);
    std::fprintf(stderr, "UI mode updated: %s\n", hosted ? "hosted" : "standalone");
    if (hosted) {
        enableHostedAppPlay();
        startHostedPlayheadPolling();
        return;
    }
    if (s.hooks.hostedAppPlaySetResyncArmed) s.hooks.hostedAppPlaySetResyncArmed(false);
    if (s.hooks.hostedAppPlaySetMIDIRecordArmStart) s.hooks.hostedAppPlaySetMIDIRecordArmStart(false);
    if (s.hooks.hostedAppPlaySetMIDIRecordArmStop) s.hooks.hostedAppPlaySetMIDIRecordArmStop(false);
    assignIfChanged(s.resyncModeActive, false);
    assignIfChanged(s.playhead.resyncMeasureProgress, 0.0);
    if (s.hooks.hostedAppPlaySetEnabled) s.hooks.hostedAppPlaySetEnabled(false);
    stopHostedPlayheadPolling();
}

void StoreLink::resetHostedMIDIRecordState(bool clearPendingExport) {
    auto& s = store_;
    assignIfChanged(s.hostedMIDIRecordMode, store::HostedMIDIRecordMode::idle);
    assignIfChanged(s.hostedMIDIRecordMeasureProgress, 0.0);
    assignIfChanged(s.hostedMIDIRecordBarCount, 0);
    if (!clearPendingExport) return;
    s.pendingMIDIExportData.reset();
    s.pendingMIDIExportFileName.clear();
    s.pendingMIDIExportBarCount = 0;
    assignIfChanged(s.isMIDIExportFolderPickerPresented, false);
}

}  // namespace pulvan::link
