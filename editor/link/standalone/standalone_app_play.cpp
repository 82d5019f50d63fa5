#include "editor/link/standalone/standalone_app_play.h"

#include "editor/link/published_values.h"
#include "editor/link/standalone/app_play_arguments.h"
#include "editor/link/track_configs.h"

#include <map>
#include <optional>
#include <vector>

namespace pulvan::link {

StandaloneAppPlay::StandaloneAppPlay(StoreLink& link, StandaloneMIDISender& midiSender, const au::ComponentRegistry& registry,
                                     const foundation::Clock& clock)
    : link_(link),
      store_(link.store()),
      standaloneMIDISender_(midiSender),
      registry_(registry),
      clock_(clock),
      standaloneMIDIReceiver_(
          store_.services().mainQueue, [&link](int note, bool isOn) { link.takeIncomingMIDINote(note, isOn); },
          [&store = store_](int controller, int value) { store.handleIncomingMIDICC(controller, value); },
          [&link](const IncomingMIDIBacklog::HeldKeys& held) { link.matchIncomingMIDIHeldNotes(held); },
          [&store = store_] { store.syncNotesPoolFromIncomingMIDI(); }),
      modeChange_(store_.isHostedUI.subscribe([this, hosted = store_.isHostedUI.get()](bool nowHosted) mutable {
          standaloneMIDIReceiver_.setInPluginHost(nowHosted);
          if (nowHosted == hosted) return;
          hosted = nowHosted;
          stopAppPlay();
      })) {
    standaloneMIDIReceiver_.setInPluginHost(store_.isHostedUI.get());
}

StandaloneAppPlay::~StandaloneAppPlay() {
    stopStandalonePlayheadTimer();
    if (standaloneEngineRuns()) {
        standaloneEngineHost_->audioUnit().setAppPlayEnabled(false);
        standaloneEngineHost_->stop();  // so that no note is left sounding
    }
    if (link_.standaloneEngine == this) link_.standaloneEngine = nullptr;
}

void StandaloneAppPlay::startAppPlay() {
    auto& s = store_;
    if (s.appPlayRunning.get()) return;
    if (s.isHostedUI.get()) {
        if (!s.hooks.hostedAppPlayConfigure || !s.hooks.hostedAppPlaySetEnabled) return;
        link_.pushEngineConfiguration(buildAppPlayTrackConfigs(s, std::nullopt, {}));
        s.hooks.hostedAppPlaySetEnabled(true);
        s.appPlayRunning.set(true);
        return;
    }
    if (!standaloneEngineHost_) {
        standaloneEngineHost_ = StandaloneEngineHost::create(standaloneMIDISender_, registry_, clock_);
        if (!standaloneEngineHost_) return;
    }
    const AppPlayConfiguration configuration = buildAppPlayTrackConfigs(s, std::nullopt, {});
    configure(buildHostedAppPlayPayload(configuration), midiOutOffsets(configuration));
    standaloneEngineHost_->audioUnit().setAppPlayEnabled(true);
    standaloneEngineHost_->start();
    startStandalonePlayheadTimer();
    link_.standaloneEngine = this;
    s.appPlayRunning.set(true);
}

void StandaloneAppPlay::stopAppPlay() {
    auto& s = store_;
    if (!s.appPlayRunning.get()) return;
    // The setting that plays, which a mode switch has already left.
    if (!standaloneEngineRuns()) {
        for (const auto* hook : {&s.hooks.hostedAppPlaySetResyncArmed, &s.hooks.hostedAppPlaySetMIDIRecordArmStart,
                                 &s.hooks.hostedAppPlaySetMIDIRecordArmStop, &s.hooks.hostedAppPlaySetEnabled}) {
            if (*hook) (*hook)(false);
        }
    } else {
        standaloneEngineHost_->audioUnit().setAppPlayEnabled(false);
        standaloneEngineHost_->stop();
        link_.standaloneEngine = nullptr;
        stopStandalonePlayheadTimer();
    }
    assignIfChanged(s.resyncModeActive, false);
    assignIfChanged(s.playhead.resyncMeasureProgress, 0.0);
    link_.resetHostedMIDIRecordState(true);
    link_.applyPendingLaunchesNow();
    assignIfChanged(s.playhead.globalStepByTrackID, {});
    link_.clearActiveNotes();
    s.appPlayRunning.set(false);
}

void StandaloneAppPlay::startStandalonePlayheadTimer() {
    auto& s = store_;
    if (s.isHostedUI.get() || s.standalonePlayheadTimer.isActive()) return;
    s.standalonePlayheadTimer =
        s.services().mainQueue.scheduleTimer(0, StoreLink::kPlayheadPollIntervalNanoseconds, 0, [this] { pollStandaloneEngineState(); });
}

void StandaloneAppPlay::stopStandalonePlayheadTimer() { store_.standalonePlayheadTimer.cancel(); }

void StandaloneAppPlay::pollStandaloneEngineState() {
    auto& s = store_;
    if (s.isHostedUI.get() || !s.appPlayRunning.get() || !standaloneEngineHost_) return;
    const std::optional<double> position = link_.currentSixteenthPosition();
    link_.advancePendingSceneSelection(position, std::nullopt);
    link_.advancePendingPatternSelection(position, std::nullopt);

    au::AppPlayAudioUnit& unit = standaloneEngineHost_->audioUnit();
    std::map<foundation::Uuid, int> steps;
    const auto& tracks = s.preset->tracks;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const std::int64_t step = unit.currentAppPlayGlobalStepForTrack(static_cast<std::int64_t>(i));
        if (step >= 0) steps[tracks[i].id] = static_cast<int>(step);
    }
    assignIfChanged(s.playhead.globalStepByTrackID, steps);
    link_.publishActiveNotes([&unit](int track) {
        return StoreLink::NoteMasks{unit.currentAppPlayActiveNotesLowForTrack(track), unit.currentAppPlayActiveNotesHighForTrack(track)};
    });
}

void StandaloneAppPlay::requestNotesOffForTracks(const std::vector<int>& tracks) {
    standaloneEngineHost_->audioUnit().requestAppPlayNotesOffForTracks(tracks);
}

void StandaloneAppPlay::requestAllNotesOff() { standaloneEngineHost_->audioUnit().requestAppPlayNotesOff(); }

void StandaloneAppPlay::configure(const store::HostedAppPlayPayload& payload, const std::vector<int>& midiOutOffsetsMs) {
    configureStandaloneAppPlay(standaloneEngineHost_->audioUnit(), payload, midiOutOffsetsMs);
}

void StandaloneAppPlay::scheduleSceneLaunch(const store::HostedAppPlayPayload& payload, double targetBeat) {
    standaloneEngineHost_->audioUnit().scheduleAppPlaySceneLaunch(appPlayArguments(payload), targetBeat);
}

void StandaloneAppPlay::schedulePatternLaunch(const store::HostedAppPlayPayload& payload, double targetBeat, int track) {
    standaloneEngineHost_->audioUnit().scheduleAppPlayPatternLaunch(appPlayArguments(payload), targetBeat, track);
}

void StandaloneAppPlay::cancelPatternLaunch() { standaloneEngineHost_->audioUnit().cancelScheduledAppPlayPatternLaunch(); }

double StandaloneAppPlay::beatPosition() { return standaloneEngineHost_->audioUnit().currentAppPlayBeatPosition(); }

}  // namespace pulvan::link
