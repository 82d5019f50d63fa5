#include "editor/views/notespool/notes_pool_modal.h"

#include "editor/views/main/blink_timeline.h"
#include "editor/views/notespool/chord_scene_grid.h"
#include "editor/views/notespool/keyboard_view.h"
#include "editor/views/notespool/midi_in_audition.h"
#include "editor/views/notespool/mini_keyboard_overview.h"
#include "editor/views/notespool/scene_pattern_change.h"
#include "editor/views/notespool/scene_store_strip.h"
#include "editor/views/shell/active_track.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/modal_header.h"
#include "editor/views/shell/modal_option.h"
#include "editor/views/shell/modal_panel.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <memory>

namespace pulvan::views {

using namespace ui;
using model::NotesPoolInput;

namespace {

bool isMidiIn(const store::SequencerStore& store) { return store.preset->notesPoolInput == NotesPoolInput::midiIn; }

View sourceSegment(const std::string& name, bool selected, Color accent, std::function<void()> tap) {
    return hstack({.spacing = 6},
                  zstack({}, circle().fill(selected ? accent : Color::clear()),
                         circle().strokeBorder(selected ? accent : secondaryTextColor, 2))
                      .frame({.width = 14, .height = 14}),
                  text(name).font(Font::system(12, FontWeight::regular)).foregroundColor(primaryTextColor))
        .frame({.minHeight = 34})
        .padding(Edge::horizontal, 10)
        .contentShape(shapes::rectangle())
        .onTapGesture(std::move(tap))
        .testId("source " + name);
}

// The view state of one opening of the modal.
struct ModalState {
    State<KeyboardScrollRequest> sceneScrollRequest;
    State<foundation::Uuid> chordProgressionPresetsAnchor;
    State<foundation::Uuid> sceneLaunchResolutionAnchor;
    State<double> keyboardScrollLeft, keyboardViewportWidth, keyboardContentWidth;
    State<bool> auditionEnabled;
    State<SceneAudition> sceneAudition;
    std::shared_ptr<MidiInAudition> midiInAudition;
};

// MIDI-in audition: sounds incoming notes while the pool follows the MIDI input and audition is on.
void refreshMidiInAudition(store::SequencerStore& store, const ModalState& s) {
    if (isMidiIn(store) && *s.auditionEnabled) {
        store.hooks.incomingMIDINoteEventHandler = [&store, weak = std::weak_ptr<MidiInAudition>(s.midiInAudition),
                                                    audition = s.auditionEnabled](int note, bool isOn) {
            const auto running = weak.lock();
            if (running && isMidiIn(store) && *audition) running->noteEvent(note, isOn);
        };
    } else {
        s.midiInAudition->stop();
        store.hooks.incomingMIDINoteEventHandler = nullptr;
    }
}

void endSceneAudition(store::SequencerStore& store, const ModalState& s) {
    if (s.sceneAudition->pressed) s.sceneAudition.modify([&](SceneAudition& a) { a.end(store); });
}

View keyboardSection(store::SequencerStore& store, const ModalState& s, bool midiIn, View progressionRow) {
    const Color trackColor = activeAccent(store);
    const View overview =
        MiniKeyboardOverview{
            .pool = store.preset->notesPool,
            .scrollLeft = *s.keyboardScrollLeft,
            .viewportWidth = *s.keyboardViewportWidth,
            .contentWidth = *s.keyboardContentWidth,
            .onScrollRequest = [left = s.keyboardScrollLeft](double x) { left.set(x); },
            .dimOpacity = 0.8,
        }
            .frame({.height = 40})
            .testId("overview")
            .padding({.top = -10, .bottom = 6});
    const View keyboard = KeyboardView{
        .pool = store.preset->notesPool,
        .scrollRequest = *s.sceneScrollRequest,
        .keyboardHeight = NotesPoolModal::keyboardHeight,
        .requestedScrollLeft = *s.keyboardScrollLeft,
        .activeTrackNotes = [](const store::SequencerStore& st) { return st.playhead.activeTrackNotes.get(); },
        .activeTrackColor = trackColor,
        .auditionEnabled = !midiIn && *s.auditionEnabled,
        .auditionChannel = activeTrackChannel(store),
        .grabEnabled = !midiIn,
        .onToggle =
            [&store](int note) {
                if (!isMidiIn(store)) store.editNotesPool(note);
            },
        .onMove = [&store](int from, int to) { return !isMidiIn(store) && store.moveNotesPoolNote(from, to); },
        .onAuditionNoteOn = [&store](int note, int channel) { store.sendNoteOn(note, 100, channel); },
        .onAuditionNoteOff = [&store](int note, int channel) { store.sendNoteOff(note, channel); },
        .onViewportChanged =
            [s](double left, double viewport, double content) {
                s.keyboardScrollLeft.set(left);
                s.keyboardViewportWidth.set(viewport);
                s.keyboardContentWidth.set(std::max(content, 1.0));
            },
    }
                              .testId("keyboard");
    const View auditionSwitch = View(ModalOption{
                                         .label = "",
                                         .leadingSystemImage = "speaker.wave.2.fill",
                                         .leadingSystemImageSize = 13,
                                         .active = *s.auditionEnabled,
                                         .activeColor = trackColor,
                                         .allowSecondaryTouches = true,
                                         .borderColor = secondaryTextColor,
                                         .action = [audition = s.auditionEnabled] { audition.set(!*audition); },
                                     })
                                    .frame({.width = 48})
                                    .shadow(Color::black().opacity(0.5), 6, 0, 3)
                                    .padding({.top = 4, .trailing = 4})
                                    .testId("audition");
    return vstack({.alignment = Edge::leading, .spacing = 14}, overview,
                  zstack({.alignment = unit::topTrailing}, keyboard, auditionSwitch)
                      .frame({.height = NotesPoolModal::keyboardHeight})
                      .padding({.top = 4, .bottom = 2}),
                  std::move(progressionRow))
        .padding(Edge::bottom, midiIn ? 0 : 6);
}

}  // namespace

View NotesPoolModal::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    const Color accent = context.env<KezAccentKey>();
    const auto layout = NotesPoolLayout::forViewport(context.env<KezModalViewportWidthKey>());
    const auto audition = context.storage<std::shared_ptr<MidiInAudition>>();
    if (!*audition) *audition = std::make_shared<MidiInAudition>(store);
    const ModalState s{
        .sceneScrollRequest = context.state<KeyboardScrollRequest>(),
        .chordProgressionPresetsAnchor = context.state<foundation::Uuid>(foundation::Uuid::random()),
        .sceneLaunchResolutionAnchor = context.state<foundation::Uuid>(foundation::Uuid::random()),
        .keyboardScrollLeft = context.state<double>(0),
        .keyboardViewportWidth = context.state<double>(0),
        .keyboardContentWidth = context.state<double>(1),
        .auditionEnabled = context.state<bool>(false),
        .sceneAudition = context.state<SceneAudition>(),
        .midiInAudition = *audition,
    };
    const bool midiIn = isMidiIn(store);
    const SceneSectionContext section{
        .layout = layout, .auditionEnabled = *s.auditionEnabled, .sceneAudition = s.sceneAudition, .scrollRequest = s.sceneScrollRequest};

    const View header = hstack(
        {.spacing = 0}, text("Note pool").font(Font::system(13, FontWeight::bold)).foregroundColor(primaryTextColor),
        hstack({.spacing = 24}, sourceSegment("MIDI in", midiIn, accent, [&store] { store.setNotesPoolInput(NotesPoolInput::midiIn); }),
               sourceSegment("Scene", !midiIn, accent, [&store] { store.setNotesPoolInput(NotesPoolInput::internalChord); }))
            .padding(Edge::leading, 20),
        spacer(), ModalCloseButton{.allowSecondaryTouches = true, .action = [&store] { store.setActiveModal(std::nullopt); }});
    const View progressionRow =
        midiIn ? View() : View(ProgressionRow{.section = section, .presetsAnchor = *s.chordProgressionPresetsAnchor});
    const bool armed = store.sceneCopyToActive().get() || store.sceneSwapWithActive().get();
    const View scenes = BlinkTimeline{
        .armed = armed,
        .content =
            [section, midiIn, anchor = *s.sceneLaunchResolutionAnchor](bool blinkOn) {
                SceneSectionContext blinking = section;
                blinking.blinkOn = blinkOn;
                if (midiIn)
                    return View(SceneStoreStrip{.section = blinking})
                        .frame({.width = blinking.layout.contentWidth, .alignment = unit::leading});
                return View(ChordSceneGrid{.section = blinking, .resolutionAnchor = anchor});
            },
    };
    const View patternSection = midiIn ? View() : ScenePatternChangeSection{.layout = layout}.padding(Edge::top, 2);

    // Only the track rows give way to a short window; every other part keeps its height, so the panel is
    // as tall when placed as when measured and its top stays under its opener.
    const View content =
        vstack({.alignment = Edge::leading, .spacing = 22}, header.fixedSize(false, true),
               keyboardSection(store, s, midiIn, progressionRow).fixedSize(false, true), scenes.fixedSize(false, true), patternSection)
            .padding(Edge::vertical, 1);
    // Within the height under its opener: the track rows of "Scene pattern change" scroll.
    return View(ModalPanel{.width = layout.panelWidth,
                           .background = colorFromHex(0x101014),
                           .borderColor = colorFromHex(0x333333),
                           .content = {content}})
        .frame({.maxHeight = context.env<KezModalViewportHeightKey>()})
        .fixedSize(false, true)
        .onAppear([&store, s] { refreshMidiInAudition(store, s); })
        .onChange<bool>(midiIn,
                        [&store, s](const bool&) {
                            store.setSceneCopyToActive(false);
                            store.setSceneSwapWithActive(false);
                            endSceneAudition(store, s);
                            refreshMidiInAudition(store, s);
                        })
        .onChange<bool>(*s.auditionEnabled,
                        [&store, s](const bool& enabled) {
                            if (!enabled) endSceneAudition(store, s);
                            refreshMidiInAudition(store, s);
                        })
        .onChange<bool>(store.sceneCopyToActive().get(),
                        [&store, s](const bool& armedNow) {
                            if (armedNow) endSceneAudition(store, s);
                        })
        .onChange<bool>(store.sceneSwapWithActive().get(),
                        [&store, s](const bool& armedNow) {
                            if (armedNow) endSceneAudition(store, s);
                        })
        .onChange<bool>(store.notesPoolMIDILatchEnabled.get(),
                        [&store, s](const bool& latch) {
                            if (isMidiIn(store) && *s.auditionEnabled) s.midiInAudition->latchChanged(latch);
                        })
        .onDisappear([&store, s] {
            endSceneAudition(store, s);
            s.midiInAudition->stop();
            store.hooks.incomingMIDINoteEventHandler = nullptr;
        })
        .testId("notesPoolModal");
}

}  // namespace pulvan::views
