#include "editor/link/editor_bridge.h"

#include "editor/link/config_buffer_writer.h"
#include "editor/link/live_engines.h"

#include <algorithm>

namespace pulvan::link {

template <typename Call>
void EditorBridge::withEngine(Call&& call) const {
    LiveEngines::whileLive(hooks_.engine, [&] { call(hooks_.engine); });
}

template <typename Result, typename Call>
Result EditorBridge::readEngine(Result neutral, Call&& call) const {
    Result result = neutral;
    withEngine([&](void* engine) { result = call(engine); });
    return result;
}

EditorBridge::EditorBridge(const KezVst3EngineHooks& hooks, store::StoreServices services)
    : store_(std::make_unique<store::SequencerStore>(std::move(services))),
      link_(std::make_unique<StoreLink>(*store_)),
      hooks_(hooks),
      words_(std::make_unique<engine::EngineConfigBuffer>()) {
    auto& s = *store_;
    s.hostedMIDIRecordAvailable = false;  // no recording in a VST3 host: the record closures stay empty
    s.forcePinnedPerformanceDialog = true;
    installHostedHooks();
    s.hostedPreservedStateOverwriteConfirmed = [this] { pushPresetBlobIfNeeded(); };
    // The store started on the "Default" preset file or the default preset.
    link_->applyPreset(s.preset.get());
    s.loadUserPreferences();
    s.loadMIDILearnMappings();
    s.setPinPerformanceDialog(true);
    lastSeenHostStateVersion_ = hooks_.hostStateVersion ? readEngine<std::uint64_t>(0, hooks_.hostStateVersion) : 0;
    pullPresetBlob();
    link_->setHostedUI(true);
    pushPresetBlobIfNeeded();
    const auto changed = [this](const auto&) { onStoreStateChanged(); };
    presetBlobPushSubscription_.push_back(s.preset.subscribe(changed));
    presetBlobPushSubscription_.push_back(s.activeSceneIndex.subscribe(changed));
    presetBlobPushSubscription_.push_back(s.selections.subscribe(changed));
}

EditorBridge::~EditorBridge() {
    stop();
    link_.reset();
    store_.reset();
}

void EditorBridge::writeConfiguration(const store::HostedAppPlayPayload& payload) { writeEngineConfigBuffer(payload, *words_); }

void EditorBridge::installHostedHooks() {
    auto& h = store_->hooks;
    const KezVst3EngineHooks& e = hooks_;
    const auto count = static_cast<std::int32_t>(engine::kConfigBufferWordCount);
    if (e.pushConfigBuffer) {
        h.hostedAppPlayConfigure = [this, count](const store::HostedAppPlayPayload& payload) {
            writeConfiguration(payload);
            withEngine([&](void* engine) { hooks_.pushConfigBuffer(engine, words_->data(), count); });
        };
    }
    if (e.scheduleSceneLaunch) {
        h.hostedAppPlayScheduleSceneLaunch = [this, count](const store::HostedAppPlayPayload& payload, double targetBeat) {
            writeConfiguration(payload);
            withEngine([&](void* engine) { hooks_.scheduleSceneLaunch(engine, words_->data(), count, targetBeat); });
        };
    }
    if (e.schedulePatternLaunch) {
        h.hostedAppPlaySchedulePatternLaunch = [this, count](const store::HostedAppPlayPayload& payload, double targetBeat, int track) {
            writeConfiguration(payload);
            withEngine([&](void* engine) { hooks_.schedulePatternLaunch(engine, words_->data(), count, targetBeat, track); });
        };
    }
    if (e.setTrackMIDIOutOffsetsMs) {
        h.hostedAppPlaySetTrackMIDIOutOffsets = [this](const std::vector<int>& offsets) {
            const std::vector<std::int32_t> values(offsets.begin(), offsets.end());
            withEngine(
                [&](void* engine) { hooks_.setTrackMIDIOutOffsetsMs(engine, values.data(), static_cast<std::int32_t>(values.size())); });
        };
    }
    if (e.cancelPatternLaunch) {
        h.hostedAppPlayCancelPatternLaunch = [this] { withEngine([&](void* engine) { hooks_.cancelPatternLaunch(engine); }); };
    }
    if (e.setResyncArmed) {
        h.hostedAppPlaySetResyncArmed = [this](bool armed) {
            withEngine([&](void* engine) { hooks_.setResyncArmed(engine, armed ? 1 : 0); });
        };
    }
    if (e.isResyncArmed) {
        h.hostedAppPlayIsResyncArmed = [this] {
            return readEngine(false, [&](void* engine) { return hooks_.isResyncArmed(engine) != 0; });
        };
    }
    if (e.setEnabled) {
        h.hostedAppPlaySetEnabled = [this](bool enabled) { withEngine([&](void* engine) { hooks_.setEnabled(engine, enabled ? 1 : 0); }); };
    }
    if (e.forceAllNotesOff) {
        h.hostedAppPlayForceNotesOff = [this] { withEngine([&](void* engine) { hooks_.forceAllNotesOff(engine); }); };
    }
    if (e.forceTrackNotesOff) {
        h.hostedAppPlayForceNotesOffForTracks = [this](const std::vector<int>& tracks) {
            const std::uint32_t mask = trackMask(tracks);
            if (mask == 0) return;
            withEngine([&](void* engine) { hooks_.forceTrackNotesOff(engine, mask); });
        };
    }
    if (e.sendImmediateMIDI) {
        h.hostedSendImmediateMIDI = [this](std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
            withEngine([&](void* engine) { hooks_.sendImmediateMIDI(engine, status, data1, data2); });
        };
    }
    if (e.popIncomingMIDI) h.hostedDrainIncomingMIDI = [this] { drainIncomingMIDI(); };
    if (e.hostStateVersion) h.hostedPollHostState = [this] { pollHostState(); };
    if (e.requestEditorResize) {
        h.hostedRequestEditorResize = [this](double width, double height) {
            withEngine([&](void* engine) { hooks_.requestEditorResize(engine, width, height); });
        };
    }
    h.hostedAppPlayActiveNotesMask = [this](int track) {
        using Masks = std::pair<std::uint64_t, std::uint64_t>;
        return readEngine(Masks{0, 0}, [&](void* engine) {
            return Masks{hooks_.currentActiveNotesLow ? hooks_.currentActiveNotesLow(engine, track) : 0,
                         hooks_.currentActiveNotesHigh ? hooks_.currentActiveNotesHigh(engine, track) : 0};
        });
    };
    if (e.beatPosition) {
        h.hostedAppPlayBeatPosition = [this] { return readEngine(0.0, [&](void* engine) { return hooks_.beatPosition(engine); }); };
    }
    if (e.measureProgress) {
        h.hostedAppPlayMeasureProgress = [this] { return readEngine(0.0, [&](void* engine) { return hooks_.measureProgress(engine); }); };
    }
    link_->setHostedAppPlayState([this](int track) {
        using State = std::pair<int, bool>;
        return readEngine(State{-1, false}, [&](void* engine) {
            const std::int64_t step = hooks_.currentStepGlobal ? hooks_.currentStepGlobal(engine, track) : -1;
            const bool moving = hooks_.isTransportMoving && hooks_.isTransportMoving(engine) != 0;
            return State{step < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(step, INT32_MAX)), moving};
        });
    });
}

void EditorBridge::pushPresetBlobIfNeeded() {
    if (isInvalidated_ || store_->hostedPreservedStateBlob || !hooks_.pushPresetBlob) return;
    auto bytes = link_->encodedPresetData();
    if (!bytes || bytes->size() > static_cast<std::size_t>(INT32_MAX)) return;
    withEngine([&](void* engine) { hooks_.pushPresetBlob(engine, bytes->data(), static_cast<std::int32_t>(bytes->size())); });
    if (*bytes == storedPresetBlob_) return;
    storedPresetBlob_ = std::move(*bytes);
    if (!isApplyingHostState_ && presetEdited) presetEdited();
}

void EditorBridge::onStoreStateChanged() {
    if (isDrainingIncomingMIDI_) {
        blobPushDeferredDuringDrain_ = true;
        return;
    }
    pushPresetBlobIfNeeded();
}

void EditorBridge::pullPresetBlob() {
    if (!hooks_.presetBlobSize || !hooks_.copyPresetBlob) return;
    std::vector<std::uint8_t> blob;
    withEngine([&](void* engine) {
        const std::int32_t size = hooks_.presetBlobSize(engine);
        if (size < 1) return;
        blob.assign(static_cast<std::size_t>(size), 0);
        const std::int32_t copied = hooks_.copyPresetBlob(engine, blob.data(), size);
        blob.resize(static_cast<std::size_t>(std::clamp(copied, 0, size)));
    });
    if (blob.empty()) return;
    storedPresetBlob_ = blob;
    auto& s = *store_;
    s.hostedPreservedStateBlob.reset();
    // Applying it pushes it back as this version writes it: that is no edit.
    isApplyingHostState_ = true;
    const model::PresetLoadOutcome outcome = link_->applyPresetData(blob);
    isApplyingHostState_ = false;
    if (outcome.kind == model::PresetLoadOutcome::Kind::success) return;
    s.hostedPreservedStateBlob = std::move(blob);
    s.hostedPreservedStateOutcome = outcome;
    link_->presentPreservedStatePrompt();
}

void EditorBridge::pollHostState() {
    if (isInvalidated_ || !hooks_.hostStateVersion) return;
    const std::uint64_t version = readEngine<std::uint64_t>(lastSeenHostStateVersion_, hooks_.hostStateVersion);
    if (version == lastSeenHostStateVersion_) return;
    lastSeenHostStateVersion_ = version;
    pullPresetBlob();
}

void EditorBridge::drainIncomingMIDI() {
    if (!hooks_.popIncomingMIDI) return;
    isDrainingIncomingMIDI_ = true;
    const auto& clock = store_->services().mainQueue.clock();
    const std::int64_t deadline = clock.nowNanoseconds() + StoreLink::kIncomingMIDIRunTimeLimitNanoseconds;
    for (int taken = 0; taken < StoreLink::kIncomingMIDIRunMessageLimit && clock.nowNanoseconds() <= deadline; ++taken) {
        std::uint8_t status = 0, data1 = 0, data2 = 0;
        if (!readEngine(false, [&](void* engine) { return hooks_.popIncomingMIDI(engine, &status, &data1, &data2) != 0; })) break;
        switch (status & 0xF0) {
            case 0x80: link_->handleIncomingMIDINote(data1 & 0x7F, false); break;
            case 0x90: link_->handleIncomingMIDINote(data1 & 0x7F, (data2 & 0x7F) != 0); break;
            case 0xB0: store_->handleIncomingMIDICC(data1 & 0x7F, data2 & 0x7F); break;
            default: break;
        }
    }
    isDrainingIncomingMIDI_ = false;
    if (blobPushDeferredDuringDrain_) {
        blobPushDeferredDuringDrain_ = false;
        pushPresetBlobIfNeeded();
    }
}

void EditorBridge::stop() {
    if (isInvalidated_) return;
    store_->cancelMIDILearn();
    pushPresetBlobIfNeeded();
    isInvalidated_ = true;
    presetBlobPushSubscription_.clear();
    auto& s = *store_;
    auto viewNoteHandler = std::move(s.hooks.incomingMIDINoteEventHandler);  // the view's, not ours
    s.hooks = store::HostedHooks{};
    s.hooks.incomingMIDINoteEventHandler = std::move(viewNoteHandler);
    s.hostedPreservedStateOverwriteConfirmed = nullptr;
    presetEdited = nullptr;
    link_->setHostedAppPlayState(nullptr);
    link_->setHostedUI(false);
}

}  // namespace pulvan::link
