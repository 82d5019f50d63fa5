#include "editor/views/modals/performance_modal.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/modals/midi_learn_target.h"
#include "editor/views/modals/performance_track_live_cc_section.h"
#include "editor/views/notespool/scene_cell.h"
#include "editor/views/notespool/scene_launch_resolution.h"
#include "editor/views/shell/dropdown_keys.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/modal_header.h"
#include "editor/views/shell/modal_panel.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"

#include <algorithm>
#include <optional>
#include <string>

namespace pulvan::views {

using namespace ui;
using store::SequencerStore;

namespace {

constexpr Color performancePanelColor = colorFromHex(0x101014);

View pinButton(SequencerStore& store, Color accent) {
    const bool pinned = store.pinPerformanceDialog().get();
    const View label = modalCloseLabel("pin", "pin")
                           .foregroundColor(pinned ? Color::black() : secondaryTextColor)
                           .padding(Edge::horizontal, 12)
                           .frame({.height = 30})
                           .background(continuousRoundedRectangle(4).fill(pinned ? accent.opacity(0.75) : controlBackgroundColor))
                           .overlay(continuousRoundedRectangle(4).stroke(themeBorderColor, 1))
                           .clipShape(shapes::continuousRoundedRectangle(4));
    return View(SingleTouchTapButton{
                    .enabled = true,
                    .allowSecondaryTouches = true,
                    .action =
                        [&store] {
                            if (store.forcePinnedPerformanceDialog) return;
                            store.setPinPerformanceDialog(!store.pinPerformanceDialog().get());
                        },
                    .label = label,
                })
        .testId("pin");
}

View header(SequencerStore& store, Color accent) {
    return hstack({.alignment = Edge::center, .spacing = 8},
                  text("Performance").font(Font::system(12, FontWeight::semibold)).foregroundColor(secondaryTextColor), spacer(),
                  store.forcePinnedPerformanceDialog ? View() : pinButton(store, accent),
                  View(ModalCloseButton{.allowSecondaryTouches = true, .action = [&store] { store.setActiveModal(std::nullopt); }}));
}

View sceneCell(SequencerStore& store, int i) {
    return MIDILearnTarget{
        .element = store::MIDILearnElement::scene(i),
        .content =
            SceneCell{
                .scene = i,
                .action =
                    [&store, i] {
                        if (store.preset->notesPoolInput != model::NotesPoolInput::internalChord)
                            store.setNotesPoolInput(model::NotesPoolInput::internalChord);
                        store.selectScene(i);
                    },
            },
    };
}

View sceneLaunchResolutionButton(SequencerStore& store, foundation::Uuid anchor) {
    const View label = hstack({.alignment = Edge::center, .spacing = 8}, SceneLaunchResolutionLabel{})
                           .padding(Edge::horizontal, 10)
                           .frame({.width = 98, .height = 32, .alignment = unit::leading})
                           .background(color(controlBackgroundColor))
                           .overlay(continuousRoundedRectangle(4).stroke(themeBorderColor, 1))
                           .clipShape(shapes::continuousRoundedRectangle(4))
                           .anchorPreference<DropdownAnchorKey>(dropdownAnchor(anchor));
    return View(SingleTouchTapButton{
                    .enabled = true,
                    .allowSecondaryTouches = true,
                    .action = [&store, anchor] { store.dropdown.set(sceneLaunchResolutionDropdown(store, anchor, 98)); },
                    .label = label,
                })
        .testId("sceneLaunchResolution");
}

}  // namespace

View PerformanceModal::body(BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    context.observe(store.didChange);
    const Color accent = context.env<KezAccentKey>();
    const double modalViewportWidth = context.env<KezModalViewportWidthKey>();
    const auto sceneLaunchResolutionAnchor = context.storage<foundation::Uuid>(foundation::Uuid::random());

    Views scenes;
    for (int i = 0; i < 8; ++i) scenes.push_back(sceneCell(store, i));
    scenes.push_back(color(Color::clear()).frame({.width = 8, .height = 1}));
    scenes.push_back(sceneLaunchResolutionButton(store, *sceneLaunchResolutionAnchor));

    Views sections;
    for (int i = 0; i < store.visibleTrackCount(); ++i)
        sections.push_back(
            PerformanceTrackLiveCCSection{.trackIndex = i, .track = store.preset->tracks[static_cast<std::size_t>(i)]}.id(i));

    return ModalPanel{
        .width = std::clamp(modalViewportWidth, 360.0, 840.0),
        .background = performancePanelColor,
        .borderColor = themeBorderColor,
        .content = {vstack({.alignment = Edge::leading, .spacing = 14}, header(store, accent),
                           hstackOf({.alignment = Edge::center, .spacing = 8}, scenes).padding(Edge::top, 10),
                           adaptiveGrid({.minimumColumnWidth = 180, .columnSpacing = 26, .rowSpacing = 34, .alignment = unit::leading},
                                        sections)
                               .frame({.maxWidth = infinity, .alignment = unit::leading})
                               .padding(Edge::top, 30))
                        .padding({.top = 6, .bottom = 14})},
    };
}

}  // namespace pulvan::views
