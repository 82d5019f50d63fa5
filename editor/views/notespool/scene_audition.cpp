#include "editor/views/notespool/scene_audition.h"

#include "editor/views/notespool/midi_in_audition.h"

#include <set>

namespace pulvan::views {

void SceneAudition::start(store::SequencerStore& store, int scene, bool auditionEnabled) {
    const auto& scenes = store.preset->chordPresets;
    if (!auditionEnabled || store.sceneCopyToActive().get() || store.sceneSwapWithActive().get() || scene < 0 ||
        scene >= static_cast<int>(scenes.size()))
        return;
    end(store);
    const int startChannel = activeTrackChannel(store);
    const auto& chord = scenes[static_cast<std::size_t>(scene)].chord;
    const std::set<int> distinct(chord.begin(), chord.end());
    if (distinct.empty()) return;
    pressed = true;
    channel = startChannel;
    notes.assign(distinct.begin(), distinct.end());
    for (int note : notes) store.sendNoteOn(note, 100, startChannel);
}

void SceneAudition::end(store::SequencerStore& store) {
    if (!pressed) return;
    const int endChannel = channel.value_or(activeTrackChannel(store));
    for (int note : notes) store.sendNoteOff(note, endChannel);
    pressed = false;
    notes.clear();
    channel.reset();
}

}  // namespace pulvan::views
