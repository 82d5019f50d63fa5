#include "editor/views/modals/midi_learn_target.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

#include <string>

namespace pulvan::views {

using namespace ui;

namespace {

View learnedBadge(int cc) {
    return text(std::to_string(cc))
        .font(Font::system(9, FontWeight::bold))
        .foregroundColor(Color::white())
        .padding({.top = 1, .leading = 3, .bottom = 1, .trailing = 3})
        .background(zstack({}, continuousRoundedRectangle(2.4).fill(infoBlueColor),
                           continuousRoundedRectangle(2.4).stroke(Color::white().opacity(0.75), 1)));
}

}  // namespace

View MIDILearnTarget::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    if (!store.isMIDILearnActive.get()) return content;

    const auto& learnedByElement = store.midiLearnMappings->ccByElement;
    const auto entry = learnedByElement.find(element);
    const int learnedCC = entry == learnedByElement.end() ? 0 : entry->second;
    const bool learned = learnedCC != 0;
    const bool armed = store.midiLearnSelection.get() == element;

    const View label = zstack({}, continuousRoundedRectangle(4).fill(learned ? infoBlueColor.opacity(0.4) : Color::clear()),
                              continuousRoundedRectangle(4).stroke(infoBlueColor.opacity(armed ? 1 : 0.5), armed ? 2 : 1),
                              learned ? learnedBadge(learnedCC) : View());
    return content.overlay(View(SingleTouchTapButton{
                                    .enabled = true,
                                    .allowSecondaryTouches = true,
                                    .onDoubleTap = [&store, element = element] { store.clearMIDILearnMapping(element); },
                                    .action =
                                        [&store, element = element] {
                                            if (store.isMIDILearnActive.get()) store.midiLearnSelection.set(element);
                                        },
                                    .label = label,
                                })
                               .testId("midiLearn." + element.storageKey())
                               .padding(-3));
}

}  // namespace pulvan::views
