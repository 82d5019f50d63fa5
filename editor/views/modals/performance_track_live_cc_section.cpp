#include "editor/views/modals/performance_track_live_cc_section.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/modals/midi_learn_target.h"
#include "editor/views/modals/performance_live_cc_knob.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "editor/views/shell/track_toggle_label.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <string>

namespace pulvan::views {

using namespace ui;
using model::LaneKind;
using store::MIDILearnElement;

namespace {

// "M" or "S": lit in its colour while on, outlined while off.
View trackToggleButton(const std::string& title, bool on, Color onColor, std::function<void()> action) {
    const View label = trackToggleLabel(title, on, onColor);
    return SingleTouchTapButton{.enabled = true, .allowSecondaryTouches = true, .action = std::move(action), .label = label};
}

}  // namespace

View PerformanceTrackLiveCCSection::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    const Color tint = colorFromHex(track.accentColorHex);
    const int i = trackIndex;
    const auto knob = [&](std::string label, LaneKind kind) {
        return PerformanceLiveCCKnob{
            .label = std::move(label),
            .value = store.liveCCValue(i, kind),
            .tint = tint,
            .onChange = [&store, i, kind](int v) { store.setLiveCCValue(v, i, kind); },
        };
    };

    return vstack(
               {.alignment = Edge::center, .spacing = 6},
               hstack({.alignment = Edge::center, .spacing = 6},
                      MIDILearnTarget{.element = MIDILearnElement::trackCCA(i), .content = knob("A", LaneKind::ccA)}.testId(
                          "knobA" + std::to_string(i)),
                      MIDILearnTarget{.element = MIDILearnElement::trackCCB(i), .content = knob("B", LaneKind::ccB)}.testId(
                          "knobB" + std::to_string(i)))
                   .frame({.maxWidth = infinity}),
               text(track.name)
                   .font(Font::system(13, FontWeight::semibold))
                   .foregroundColor(tint.opacity(0.92))
                   .lineLimit(1)
                   .frame({.maxWidth = infinity})
                   .offset(0, -5),
               hstack({.alignment = Edge::center, .spacing = 8},
                      MIDILearnTarget{.element = MIDILearnElement::mute(i),
                                      .content = trackToggleButton("M", track.mute, recordRedColor, [&store, i] { store.toggleMute(i); })}
                          .testId("mute" + std::to_string(i)),
                      MIDILearnTarget{.element = MIDILearnElement::solo(i),
                                      .content = trackToggleButton("S", track.solo, soloYellowColor, [&store, i] { store.toggleSolo(i); })}
                          .testId("solo" + std::to_string(i)))
                   .frame({.maxWidth = infinity}))
        .frame({.maxWidth = infinity});
}

}  // namespace pulvan::views
