#include "editor/model/skin.h"
#include "editor/model/user_preferences.h"
#include "editor/store/sequencer_store.h"

#include <algorithm>

namespace pulvan::store {

using model::LaneKind;

namespace {

int midiValue(int value) { return std::clamp(value, 0, 127); }

bool isLiveCCKind(LaneKind kind) { return kind == LaneKind::ccA || kind == LaneKind::ccB; }

}  // namespace

int SequencerStore::liveCCValue(int track, LaneKind kind) const {
    const auto& tracks = preset->tracks;
    if (!isLiveCCKind(kind) || track < 0 || track >= static_cast<int>(tracks.size())) return 0;
    const model::Track& t = tracks[static_cast<std::size_t>(track)];
    return kind == LaneKind::ccA ? t.liveCCA : t.liveCCB;
}

void SequencerStore::setLiveCCValue(int value, int track, LaneKind kind) {
    const auto& tracks = preset->tracks;
    if (!isLiveCCKind(kind) || track < 0 || track >= static_cast<int>(tracks.size())) return;
    const int v = midiValue(value);
    if (v == liveCCValue(track, kind)) return;
    const auto index = static_cast<std::size_t>(track);
    preset.modify([&](model::Preset& p) { (kind == LaneKind::ccA ? p.tracks[index].liveCCA : p.tracks[index].liveCCB) = v; });
    const model::Track& t = preset->tracks[index];
    sendCC(kind == LaneKind::ccA ? t.ccA : t.ccB, v, t.midiOutputChannel);
}

void SequencerStore::sendLiveCCValues() {
    for (const model::Track& track : preset->tracks) {
        sendCC(track.ccA, track.liveCCA, track.midiOutputChannel);
        sendCC(track.ccB, track.liveCCB, track.midiOutputChannel);
    }
}

void SequencerStore::toggleMute(int track) {
    if (track < 0 || track >= static_cast<int>(preset->tracks.size())) return;
    beginTransaction("Mute");
    preset.modify([track](model::Preset& p) { p.tracks[static_cast<std::size_t>(track)].mute ^= true; });
    endTransaction();
}

void SequencerStore::toggleSolo(int track) {
    if (track < 0 || track >= static_cast<int>(preset->tracks.size())) return;
    beginTransaction("Solo");
    preset.modify([track](model::Preset& p) { p.tracks[static_cast<std::size_t>(track)].solo ^= true; });
    endTransaction();
}

void SequencerStore::applyTrackSettings(model::FillEmpty fillEmpty, int ccA, int ccB, std::optional<int> portamentoCC,
                                        std::optional<int> portamentoOnValue, std::optional<int> portamentoOffValue,
                                        std::optional<int> accentColorHex) {
    const model::Track* current = activeTrack();
    if (!current) return;
    model::Track changed = *current;
    changed.fillEmpty = fillEmpty;
    changed.ccA = midiValue(ccA);
    changed.ccB = midiValue(ccB);
    changed.portamentoCC = midiValue(portamentoCC.value_or(current->portamentoCC));
    changed.portamentoOnValue = midiValue(portamentoOnValue.value_or(current->portamentoOnValue));
    changed.portamentoOffValue = midiValue(portamentoOffValue.value_or(current->portamentoOffValue));
    changed.accentColorHex = std::clamp(accentColorHex.value_or(current->accentColorHex), 0, static_cast<int>(model::kMaxColorHex));
    if (changed == *current) return;
    modifyActiveTrackSetting("Track settings", [&](model::Track& track) { track = changed; });
}

void SequencerStore::setPortamentoValue(int value, bool isOn) {
    const model::Track* track = activeTrack();
    if (!track) return;
    const int v = midiValue(value);
    if (v == (isOn ? track->portamentoOnValue : track->portamentoOffValue)) return;
    const auto index = static_cast<std::size_t>(clampedActiveTrackIndex());
    preset.modify([&](model::Preset& p) { (isOn ? p.tracks[index].portamentoOnValue : p.tracks[index].portamentoOffValue) = v; });
}

void SequencerStore::setDefaultCCs(std::optional<int> ccA, std::optional<int> ccB) {
    const int a = midiValue(ccA.value_or(defaultCCA.get()));
    const int b = midiValue(ccB.value_or(defaultCCB.get()));
    if (a == defaultCCA.get() && b == defaultCCB.get()) return;
    defaultCCA.set(a);
    defaultCCB.set(b);
    saveUserPreferences();
}

void SequencerStore::applyDefaultCCsToAllTracks() {
    const auto& tracks = preset->tracks;
    const bool allMatch = std::all_of(tracks.begin(), tracks.end(),
                                      [&](const model::Track& t) { return t.ccA == defaultCCA.get() && t.ccB == defaultCCB.get(); });
    if (allMatch) return;
    beginTransaction("Apply default CCs");
    writeDefaultCCsToAllTracks();
    endTransaction();
}

void SequencerStore::setUIMaxContentWidth(int width) {
    const int value = model::normalizedUIMaxWidth(width);
    if (value == uiMaxContentWidth.get()) return;
    uiMaxContentWidth.set(value);
    saveUserPreferences();
}

std::vector<int> SequencerStore::currentTrackPatternIndices(const std::vector<model::Track>& tracks) const {
    std::vector<int> indices;
    indices.reserve(tracks.size());
    for (const model::Track& track : tracks) {
        const int last = std::max(static_cast<int>(track.patterns.size()) - 1, 0);
        indices.push_back(std::clamp(selectedPattern(track), 0, last));
    }
    return indices;
}

bool SequencerStore::isHostedTransportMoving() {
    if (!isHostedUI.get()) return false;
    const double now = uptime();
    if (hooks.hostedAppPlayState && hooks.hostedAppPlayState(0).second) {
        hostedTransportConsecutiveStoppedPollCount = 0;
        hostedTransportLastMovingUptime = now;
        return true;
    }
    const double sinceMoving = now - hostedTransportLastMovingUptime;
    return sinceMoving >= 0 && sinceMoving <= hostedTransportMovingGraceSeconds;
}

bool SequencerStore::isTransportMoving() { return isHostedUI.get() ? isHostedTransportMoving() : appPlayRunning.get(); }

}  // namespace pulvan::store
