#include "editor/store/sequencer_store.h"

#include <algorithm>

namespace pulvan::store {

namespace {

int echoKey(int controller, int value) { return (std::clamp(controller, 0, 127) << 8) | std::clamp(value, 0, 127); }

}  // namespace

void SequencerStore::cancelMIDILearn() {
    if (!isMIDILearnActive.get()) return;
    isMIDILearnActive.set(false);
    midiLearnSelection.set(std::nullopt);
}

void SequencerStore::clearMIDILearnMapping(const MIDILearnElement& element) {
    if (!isMIDILearnActive.get()) return;
    const auto& bound = midiLearnMappings->ccByElement;
    const auto found = bound.find(element);
    if (found == bound.end() || found->second == 0) return;
    midiLearnMappings.modify([&](MIDILearnMappings& mappings) { mappings.ccByElement.erase(element); });
    saveMIDILearnMappings();
}

void SequencerStore::handleIncomingMIDICC(int controller, int value) {
    if (consumeOutgoingCCEcho(controller, value)) return;
    if (isMIDILearnActive.get() && midiLearnSelection.get()) {
        const MIDILearnElement element = *midiLearnSelection.get();
        if (controller < 1 || controller > 127) return;
        const auto& bound = midiLearnMappings->ccByElement;
        const auto found = bound.find(element);
        if (found != bound.end() && found->second == controller) return;
        midiLearnMappings.modify([&](MIDILearnMappings& mappings) { mappings.ccByElement[element] = controller; });
        saveLearnedMIDIMappings();
        return;
    }
    const auto last = lastIncomingCCValueByController.find(controller);
    const bool wasHigh = last != lastIncomingCCValueByController.end() && last->second > 63;
    lastIncomingCCValueByController[controller] = value;
    for (const MIDILearnElement& element : midiLearnMappings->elements(controller)) {
        applyMIDILearnedControl(element, value, value >= 64, wasHigh);
    }
}

void SequencerStore::applyMIDILearnedControl(const MIDILearnElement& element, int value, bool isOn, bool wasHigh) {
    switch (element.kind) {
        case MIDILearnElement::Kind::scene:
            // Only the rising edge selects, so a held controller selects once.
            if (!isOn || wasHigh) return;
            if (preset->notesPoolInput == model::NotesPoolInput::midiIn) setNotesPoolInput(model::NotesPoolInput::internalChord);
            selectScene(element.index);
            return;
        case MIDILearnElement::Kind::trackCCA: setLiveCCValue(value, element.index, model::LaneKind::ccA); return;
        case MIDILearnElement::Kind::trackCCB: setLiveCCValue(value, element.index, model::LaneKind::ccB); return;
        case MIDILearnElement::Kind::mute: setMIDILearnedFlag(element.index, isOn, &model::Track::mute); return;
        case MIDILearnElement::Kind::solo: setMIDILearnedFlag(element.index, isOn, &model::Track::solo); return;
    }
}

void SequencerStore::setMIDILearnedFlag(int track, bool isOn, bool model::Track::*flag) {
    if (track < 0 || track >= static_cast<int>(preset->tracks.size())) return;
    if (preset->tracks[static_cast<std::size_t>(track)].*flag == isOn) return;
    // The controller's level drives the flag: no undo entry of its own.
    preset.modify([&](model::Preset& p) { p.tracks[static_cast<std::size_t>(track)].*flag = isOn; });
    refreshAppPlayConfiguration(false, {});
}

void SequencerStore::noteOutgoingCCEcho(int controller, int value) {
    const int key = echoKey(controller, value);
    ++outgoingCCEchoCounts[key];
    outgoingCCEchoDeadlines[key] = uptime() + outgoingCCEchoWindowSeconds;
}

bool SequencerStore::consumeOutgoingCCEcho(int controller, int value) {
    const int key = echoKey(controller, value);
    const auto count = outgoingCCEchoCounts.find(key);
    if (count == outgoingCCEchoCounts.end() || count->second < 1) return false;
    const auto deadline = outgoingCCEchoDeadlines.find(key);
    const bool expired = deadline != outgoingCCEchoDeadlines.end() && deadline->second < uptime();
    if (!expired && count->second > 1) {
        --count->second;
        return true;
    }
    outgoingCCEchoCounts.erase(key);
    outgoingCCEchoDeadlines.erase(key);
    return !expired;
}

void SequencerStore::saveLearnedMIDIMappings() {
    if (learnedMappingsSaveTimer_.isActive()) return;  // that write takes this binding too
    const double wait = learnedMappingsSavedUptime_ + learnedMappingsSaveIntervalSeconds - uptime();
    if (wait <= 0) {
        learnedMappingsSavedUptime_ = uptime();
        saveMIDILearnMappings();
        return;
    }
    // A member: cancelled with the store, whose destructor writes instead.
    learnedMappingsSaveTimer_ = services_.mainQueue.scheduleOneShot(foundation::nanosecondsFromSeconds(wait), [this] {
        learnedMappingsSavedUptime_ = uptime();
        saveMIDILearnMappings();
    });
}

void SequencerStore::saveMIDILearnMappings() {
    nlohmann::json stored = nlohmann::json::object();
    for (const auto& [key, controller] : midiLearnMappings->storageForm()) stored[key] = controller;
    services_.userDefaults.setValue(midiMappingsDefaultsKey, stored);
}

}  // namespace pulvan::store
