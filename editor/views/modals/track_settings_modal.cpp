#include "editor/views/modals/track_settings_modal.h"

#include "editor/model/skin.h"
#include "editor/store/sequencer_store.h"
#include "editor/views/modals/portamento_value_scrub_field.h"
#include "editor/views/modals/settings_modal_panel.h"
#include "editor/views/modals/settings_widgets.h"
#include "editor/views/shell/active_track.h"
#include "editor/views/shell/dropdown_keys.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace pulvan::views {

using namespace ui;
using model::FillEmpty;
using store::SequencerStore;

namespace {

struct Anchors {
    foundation::Uuid accentColor = foundation::Uuid::random();
    foundation::Uuid fill = foundation::Uuid::random();
    foundation::Uuid ccA = foundation::Uuid::random();
    foundation::Uuid ccB = foundation::Uuid::random();
    foundation::Uuid portamentoCC = foundation::Uuid::random();
};

std::string fillEmptyLabel(FillEmpty fill) {
    switch (fill) {
        case FillEmpty::empty: return "Empty";
        case FillEmpty::circular: return "Circular";
        case FillEmpty::circularOctUp: return "Circular +1 oct";
        case FillEmpty::circularOctDown: return "Circular -1 oct";
    }
    return "Empty";
}

// What one choice changes; everything else is the active track's value when the item is chosen.
struct TrackSettingsChoice {
    std::optional<FillEmpty> fill;
    std::optional<int> ccA, ccB, portamentoCC, accentColorHex;
};

void apply(SequencerStore& store, const TrackSettingsChoice& choice) {
    const model::Track& current = *activeTrack(store);
    store.applyTrackSettings(choice.fill.value_or(current.fillEmpty), choice.ccA.value_or(current.ccA), choice.ccB.value_or(current.ccB),
                             choice.portamentoCC, std::nullopt, std::nullopt, choice.accentColorHex);
}

struct DropdownFieldSetup {
    std::string value;
    DropdownFieldStyle style;
    foundation::Uuid anchor;
    std::function<std::vector<store::DropdownItem>()> items;
    double dropdownWidth;
    std::string testId;
};

// A dropdown field that opens its list under itself.
View dropdownField(SequencerStore& store, DropdownFieldSetup field) {
    const auto open = [&store, anchor = field.anchor, items = field.items, width = field.dropdownWidth] {
        store.dropdown.set(
            store::DropdownRequest{.anchorID = anchor, .items = items(), .vertical = true, .presetStyle = false, .width = width});
    };
    const View label = dropdownFieldLabel(field.value, field.style).anchorPreference<DropdownAnchorKey>(dropdownAnchor(field.anchor));
    return View(SingleTouchTapButton{.enabled = true, .allowSecondaryTouches = true, .action = open, .label = label}).testId(field.testId);
}

DropdownFieldStyle plainFieldStyle(std::optional<double> width) {
    return {.textColor = primaryTextColor, .chevronColor = secondaryTextColor, .fill = controlBackgroundColor, .width = width};
}

}  // namespace

std::string accentColorHexLabel(int hex) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%06x", static_cast<unsigned>(std::clamp(hex, 0, 0xFFFFFF)));
    return digits;
}

View TrackSettingsModal::body(BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    context.observe(store.didChange);
    const auto anchors = context.storage<Anchors>();
    const Color accent = context.env<KezAccentKey>();
    if (store.preset->tracks.empty()) return View();
    const model::Track& track = *activeTrack(store);

    const View renameButton = View(SingleTouchTapButton{
                                       .enabled = true,
                                       .allowSecondaryTouches = true,
                                       .action = [&store] { store.presentRenameTrackDialog(); },
                                       .label = text("Rename")
                                                    .font(Font::system(13, FontWeight::semibold))
                                                    .foregroundColor(accent)
                                                    .padding({.top = 8, .leading = 10, .bottom = 8, .trailing = 10}),
                                   })
                                  .testId("rename");

    const int shownColor = track.accentColorHex;
    const View colorField = dropdownField(
        store, {
                   .value = accentColorHexLabel(shownColor),
                   .style = {.textColor = Color::black(), .chevronColor = Color::black(), .fill = colorFromHex(shownColor), .width = 130},
                   .anchor = anchors->accentColor,
                   .items =
                       [&store, shownColor] {
                           std::vector<store::DropdownItem> items;
                           for (int entry : model::defaultSkin().trackAccents())
                               items.push_back({.label = accentColorHexLabel(entry),
                                                .active = entry == shownColor,
                                                .action = [&store, entry] { apply(store, {.accentColorHex = entry}); },
                                                .optionBackgroundColor = entry,
                                                .optionForegroundColor = 0x000000});
                           return items;
                       },
                   .dropdownWidth = 130,
                   .testId = "color",
               });

    const View fillField =
        dropdownField(store, {
                                 .value = fillEmptyLabel(track.fillEmpty),
                                 .style = plainFieldStyle(std::nullopt),
                                 .anchor = anchors->fill,
                                 .items =
                                     [&store] {
                                         std::vector<store::DropdownItem> items;
                                         for (FillEmpty fill : model::allFillEmptyModes)
                                             items.push_back({.label = fillEmptyLabel(fill),
                                                              .active = fill == activeTrack(store)->fillEmpty,
                                                              .action = [&store, fill] { apply(store, {.fill = fill}); }});
                                         return items;
                                     },
                                 .dropdownWidth = 180,
                                 .testId = "fill",
                             });

    const auto ccField = [&](bool isCCA) {
        const int shown = isCCA ? track.ccA : track.ccB;
        return dropdownField(store, {
                                        .value = std::to_string(shown),
                                        .style = plainFieldStyle(90),
                                        .anchor = isCCA ? anchors->ccA : anchors->ccB,
                                        .items =
                                            [&store, shown, isCCA] {
                                                return controllerDropdownItems(shown, [&store, isCCA](int n) {
                                                    apply(store, isCCA ? TrackSettingsChoice{.ccA = n} : TrackSettingsChoice{.ccB = n});
                                                });
                                            },
                                        .dropdownWidth = 210,
                                        .testId = isCCA ? "ccA" : "ccB",
                                    });
    };

    const View portamentoField = dropdownField(store, {
                                                          .value = track.portamentoCC == 0 ? "OFF" : ccDisplayName(track.portamentoCC),
                                                          .style = plainFieldStyle(90),
                                                          .anchor = anchors->portamentoCC,
                                                          .items =
                                                              [&store] {
                                                                  return controllerDropdownItems(
                                                                      activeTrack(store)->portamentoCC,
                                                                      [&store](int n) { apply(store, {.portamentoCC = n}); }, "0 OFF");
                                                              },
                                                          .dropdownWidth = 210,
                                                          .testId = "portamentoCC",
                                                      });

    Views rows{
        settingsRow(track.name, renameButton),
        settingsRow("Color", colorField),
        settingsRow("Fill missing notes", fillField),
        settingsRow("CC A", ccField(true)),
        settingsRow("CC B", ccField(false)),
        rectangle().fill(themeBorderColor).frame({.height = 1}),
        text("Advanced: if your synth needs portamento enabled via CC, Pulvan converts LEGATO steps into portamento ON/OFF CC messages.")
            .font(Font::system(12, FontWeight::medium))
            .foregroundColor(secondaryTextColor)
            .frame({.maxWidth = infinity, .alignment = unit::leading}),
        settingsRow("Portamento CC", portamentoField),
    };
    if (track.portamentoCC != 0) {
        rows.push_back(
            settingsRow("Portamento CC ON value", PortamentoValueScrubField{.isOnValue = true, .pixelsPerUnit = 5}.testId("portamentoOn")));
        rows.push_back(settingsRow("Portamento CC OFF value",
                                   PortamentoValueScrubField{.isOnValue = false, .pixelsPerUnit = 5}.testId("portamentoOff")));
    }
    return makeModalPanel(420, "Track settings", vstackOf({.alignment = Edge::center, .spacing = 16}, rows));
}

}  // namespace pulvan::views
