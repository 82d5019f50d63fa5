#include "editor/views/main/top_bar.h"

#include "editor/library/preset_library.h"
#include "editor/views/main/hosted_zoom.h"
#include "editor/views/main/main_menu.h"
#include "editor/views/main/notes_pool_summary.h"
#include "editor/views/main/playhead_reader.h"
#include "editor/views/shell/app_play_toggle_button.h"
#include "editor/views/shell/dropdown_keys.h"
#include "editor/views/shell/editor_services.h"
#include "editor/views/shell/icon_button.h"
#include "editor/views/shell/kez_root_view.h"
#include "editor/views/shell/modal_host.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/pill_button.h"
#include "editor/views/shell/theme.h"
#include "editor/views/shell/top_bar_button_labels.h"
#include "editor/views/shell/top_bar_swing_knob.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"

#include <algorithm>
#include <string>

namespace pulvan::views {

using namespace ui;
using store::HostedMIDIRecordMode;
using store::SequencerStore;

namespace {

// A flag that a button's press sets and its release clears.
struct PressFlag {
    State<bool> held;
    std::function<void()> start() const {
        return [held = held] { held.set(true); };
    }
    std::function<void()> end() const {
        return [held = held] { held.set(false); };
    }
};

// What the bar's body hands its elements.
struct TopBarScope {
    SequencerStore& store;
    EditorServices& services;
    double hostedZoomScale;
    foundation::Uuid menuAnchor, zoomAnchor;
    PressFlag logo, notePool, resync, presets, save, menu, record;
    State<bool> swingEditActive;
};

View tapButton(std::function<void()> action, View label, const PressFlag* pressed = nullptr) {
    return SingleTouchTapButton{
        .enabled = true,
        .allowSecondaryTouches = true,
        .onPressStart = pressed ? pressed->start() : nullptr,
        .onPressEnd = pressed ? pressed->end() : nullptr,
        .action = std::move(action),
        .label = std::move(label),
    };
}

// A pill in the global accent with no record dot and no handling of its own.
View plainPill(std::string title, bool active) {
    return PillButton{
        .text = std::move(title),
        .active = active,
        .accentColor = globalAccentColor().opacity(0.8),
        .recordIconFillColor = secondaryTextColor,
        .allowSecondaryTouches = true,
    };
}

View topBarLogo(bool pressed) {
    return text("kez")
        .font(Font::system(32, FontWeight::bold))
        .tracking(11)
        .foregroundColor(pressed ? globalAccentColor() : primaryTextColor)
        .frame({.height = 40})
        .padding(Edge::vertical, 4)
        .padding(Edge::leading, 5)
        .offset(1, -3);
}

View logo(const TopBarScope& bar) {
    SequencerStore& store = bar.store;
    if (!store.isHostedUI.get() || !store.hooks.hostedRequestEditorResize) return topBarLogo(false).testId("topBar.logo");
    EditorServices* services = &bar.services;
    return tapButton(
               [&store, services, anchor = bar.zoomAnchor, scale = bar.hostedZoomScale] {
                   const auto screen = services->screenVisibleFrame();
                   presentHostedZoomDropdown(store, anchor, scale, screen ? std::optional(screen->size()) : std::nullopt);
               },
               topBarLogo(bar.logo.held.get()), &bar.logo)
        .contentShape(shapes::rectangle())
        .anchorPreference<DropdownAnchorKey>(dropdownAnchor(bar.zoomAnchor))
        .testId("topBar.logo");
}

void toggleNotesPoolModal(SequencerStore& store) {
    const bool open = store.activeModal().get() == store::KezModal::notesPool;
    store.setActiveModal(open ? std::nullopt : std::optional(store::KezModal::notesPool));
}

View notePoolButton(const TopBarScope& bar) {
    SequencerStore& store = bar.store;
    const bool midiIn = store.preset->notesPoolInput == model::NotesPoolInput::midiIn;
    return tapButton([&store] { toggleNotesPoolModal(store); },
                     plainPill(midiIn ? "Note pool: MIDI in" : "Note pool: Scene", bar.notePool.held.get()), &bar.notePool)
        .anchorPreference<ModalAnchorKey>(modalAnchor(store::KezModal::notesPool))
        .testId("topBar.notePool")
        .padding(Edge::leading, 35);
}

View swingKnob(const TopBarScope& bar) {
    SequencerStore& store = bar.store;
    const State<bool> editing = bar.swingEditActive;
    return View(TopBarSwingKnob{
                    .value = store.preset->swingPercent,
                    .onChange =
                        [&store, editing](int value) {
                            // A drag opens its "Swing" step only once it changes the value.
                            if (!editing.get() && value != store.preset->swingPercent) {
                                store.beginTransaction("Swing");
                                editing.set(true);
                            }
                            store.setSwingPercent(value);
                        },
                    .onDragEnd =
                        [&store, editing] {
                            if (!editing.get()) return;
                            editing.set(false);
                            store.endGestureTransaction();
                        },
                    .size = 28,
                    .lineWidth = 2.1,
                    .dragSensitivity = 0.45,
                    .labelWidth = 36,
                    .knobStepCount = 100,
                })
        .testId("topBar.swing");
}

View recordButton(const TopBarScope& bar) {
    SequencerStore& store = bar.store;
    EditorServices* services = &bar.services;
    const HostedMIDIRecordMode mode = store.hostedMIDIRecordMode.get();
    const bool recording = mode == HostedMIDIRecordMode::recording || mode == HostedMIDIRecordMode::armStop;
    const std::string title =
        recording ? "recording... " + std::to_string(std::max(1, store.hostedMIDIRecordBarCount.get() + 1)) : "record";
    const double iconOpacity = mode == HostedMIDIRecordMode::idle ? 0.35 : mode == HostedMIDIRecordMode::recording ? 1.0 : 0.55;
    const View measureLine = mode == HostedMIDIRecordMode::idle
                                 ? View()
                                 : rectangle()
                                       .fill(recordRedColor)
                                       .frame({.maxWidth = infinity, .alignment = unit::leading})
                                       .scaleEffect(std::clamp(store.hostedMIDIRecordMeasureProgress.get(), 0.0, 1.0), 1, unit::leading)
                                       .frame({.height = 2})
                                       .offset(0, 2)
                                       .allowsHitTesting(false);
    return View(PillButton{
                    .text = title,
                    .active = store.isHostedMIDIRecording() || bar.record.held.get(),
                    .progress = store.hostedMIDIRecordProgress(),
                    .accentColor = recordRedColor.opacity(0.8),
                    .progressFromTrailing = mode == HostedMIDIRecordMode::armStop,
                    .showsRecordIcon = true,
                    .recordIconFillColor = mode == HostedMIDIRecordMode::recording ? Color::white() : recordRedColor,
                    .recordIconFillOpacity = iconOpacity,
                    .allowSecondaryTouches = true,
                    .onPressStart = bar.record.start(),
                    .onPressEnd = bar.record.end(),
                    .action = [services] { services->toggleHostedMIDIRecord(); },
                })
        .overlay(measureLine, unit::bottomLeading)
        .testId("topBar.record");
}

View resyncButton(const TopBarScope& bar) {
    SequencerStore& store = bar.store;
    const bool pressed = bar.resync.held.get();
    const PressFlag flag = bar.resync;
    return View(PlayheadReader<std::optional<double>>{
                    .value =
                        [](const SequencerStore& s) {
                            return s.resyncModeActive.get() ? std::optional(s.playhead.resyncMeasureProgress.get()) : std::nullopt;
                        },
                    .content = [&store, pressed, flag](const std::optional<double>& progress) -> View {
                        return PillButton{
                            .text = "Resync",
                            .active = pressed,
                            .progress = progress,
                            .accentColor = globalAccentColor().opacity(0.8),
                            .recordIconFillColor = secondaryTextColor,
                            .allowSecondaryTouches = true,
                            .onPressStart = flag.start(),
                            .onPressEnd = flag.end(),
                            .action = [&store] { store.armResync(); },
                        };
                    },
                })
        .testId("topBar.resync");
}

}  // namespace

View TopBar::body(BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    auto& services = context.object<EditorServices>();
    context.observe(store.didChange);
    const TopBarScope bar{
        .store = store,
        .services = services,
        .hostedZoomScale = context.env<HostedZoomScaleKey>(),
        .menuAnchor = *context.state(foundation::Uuid::random()),
        .zoomAnchor = *context.state(foundation::Uuid::random()),
        .logo = {context.state(false)},
        .notePool = {context.state(false)},
        .resync = {context.state(false)},
        .presets = {context.state(false)},
        .save = {context.state(false)},
        .menu = {context.state(false)},
        .record = {context.state(false)},
        .swingEditActive = context.state(false),
    };
    const bool hosted = store.isHostedUI.get();
    EditorServices* setting = &services;
    SequencerStore* s = &store;
    return hstack(
        {.alignment = Edge::center, .spacing = 10}, logo(bar), notePoolButton(bar),
        hstack({.alignment = Edge::center, .spacing = 4}, NotesPoolSummary{.pool = store.preset->notesPool}).padding(Edge::leading, 5),
        spacer(),
        hosted ? View()
               : View(AppPlayToggleButton{
                          .isRunning = store.appPlayRunning.get(),
                          .action = [s, setting] { s->appPlayRunning.get() ? setting->stopAppPlay() : setting->startAppPlay(); },
                      })
                     .testId("topBar.appPlay"),
        store.isMIDILearnActive.get() ? tapButton([s] { s->cancelMIDILearn(); }, ExitMIDILearnButtonLabel{}).testId("topBar.exitMIDILearn")
                                      : View(),
        swingKnob(bar),
        View(IconButton{.system = "arrow.uturn.backward", .enabled = store.canUndo().get(), .action = [s] { s->undo(); }})
            .testId("topBar.undo"),
        View(IconButton{.system = "arrow.uturn.forward", .enabled = store.canRedo().get(), .action = [s] { s->redo(); }})
            .testId("topBar.redo"),
        hosted && store.hostedMIDIRecordAvailable ? recordButton(bar) : View(), resyncButton(bar),
        tapButton([setting] { setting->presetLibrary().presentPresetDialog(store::PresetDialogMode::load); },
                  plainPill("Presets", bar.presets.held.get()), &bar.presets)
            .testId("topBar.presets"),
        tapButton([setting] { setting->presetLibrary().presentSavePresetDialog(); }, SavePresetButtonLabel{.active = bar.save.held.get()},
                  &bar.save)
            .testId("topBar.save"),
        tapButton([s, anchor = bar.menuAnchor] { topBarMainMenu(*s, anchor); },
                  IconButtonLabel{.system = "line.3.horizontal", .active = bar.menu.held.get()}, &bar.menu)
            .anchorPreference<DropdownAnchorKey>(dropdownAnchor(bar.menuAnchor))
            .testId("topBar.menu"));
}

}  // namespace pulvan::views
