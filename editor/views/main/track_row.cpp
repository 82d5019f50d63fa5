#include "editor/views/main/track_row.h"

#include "editor/views/main/grid_button.h"
#include "editor/views/main/midi_out_offset_field.h"
#include "editor/views/main/step_strip.h"
#include "editor/views/shell/active_track.h"
#include "editor/views/shell/editor_helpers.h"
#include "editor/views/shell/modal_host.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"

namespace pulvan::views {

using namespace ui;
using store::KezModal;
using store::SequencerStore;

namespace {

// "Octave +1": lit away from 0, options -range ... +range.
GridMenu signedMenu(const std::string& name, int value, int range, double width, std::function<void(int)> onSelect) {
    std::vector<MenuOption> options;
    for (const SignedNumberLabel& l : signedNumberLabels(-range, range)) options.push_back({l.label, l.value});
    return {.label = name + signedNumberLabel(value),
            .active = value != 0,
            .width = width,
            .options = options,
            .current = value,
            .onSelect = std::move(onSelect)};
}

std::vector<MenuOption> channelOptions() {
    std::vector<MenuOption> options;
    for (int channel = 1; channel <= 16; ++channel) options.push_back({std::to_string(channel), channel});
    return options;
}

}  // namespace

View TrackRow::body(BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    context.observe(store.didChange);
    SequencerStore* s = &store;
    // What the controls show, without the track's patterns.
    struct Shown {
        bool poly = false;
        int octave = 0, transpose = 0, midiOutputChannel = 1;
        bool hasOutputChord = false;
    } track;
    if (const model::Track* t = activeTrack(store))
        track = {t->poly, t->octave, t->transpose, t->midiOutputChannel, !t->outputChord.empty()};

    return GridLane{.content = [s, track](double u) -> View {
               return hstack(
                   {.alignment = Edge::center, .spacing = 0},
                   GridButton{.label = "Poly",
                              .active = track.poly,
                              .width = 2 * u,
                              .action = [s, poly = track.poly] { s->setActiveTrackPoly(!poly); }}
                       .testId("poly"),
                   signedMenu("Octave ", track.octave, 3, 2 * u, [s](int v) { s->setActiveTrackOctave(v); }).testId("octave"),
                   signedMenu("Transpose ", track.transpose, 12, 2 * u, [s](int v) { s->setActiveTrackTranspose(v); }).testId("transpose"),
                   View(GridButton{.label = "Chord memory",
                                   .active = track.hasOutputChord,
                                   .width = 2 * u,
                                   .action = [s] { s->setActiveModal(KezModal::chord); }})
                       .anchorPreference<ModalAnchorKey>(modalAnchor(KezModal::chord))
                       .testId("chord-memory"),
                   GridMenu{.label = "Channel " + std::to_string(track.midiOutputChannel),
                            .width = 2 * u,
                            .options = channelOptions(),
                            .current = track.midiOutputChannel,
                            .onSelect = [s](int v) { s->setActiveTrackChannel(v); }}
                       .testId("channel"),
                   GridMIDIOutOffsetField{.width = 2 * u, .pixelsPerMs = 10}.testId("offset"), spacer(0).frame({.width = u}),
                   GridButton{.label = "Duplicate Track", .width = 2 * u, .action = [s] { s->duplicateTrack(); }}.testId("duplicate"),
                   View(GridButton{.systemIcon = "gearshape", .width = u, .action = [s] { s->setActiveModal(KezModal::settings); }})
                       .anchorPreference<ModalAnchorKey>(modalAnchor(KezModal::settings))
                       .testId("track-settings"));
           }}
        .frame({.height = 25});
}

}  // namespace pulvan::views
