#include "editor/views/modals/global_settings_modal.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/modals/settings_modal_panel.h"
#include "editor/views/modals/settings_scroll_int_field.h"
#include "editor/views/modals/settings_widgets.h"
#include "editor/views/shell/dropdown_keys.h"
#include "editor/views/shell/modal_action_button.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"

#include <algorithm>
#include <optional>

namespace pulvan::views {

using namespace ui;
using store::SequencerStore;

namespace {

struct Anchors {
    foundation::Uuid defaultCCA = foundation::Uuid::random();
    foundation::Uuid defaultCCB = foundation::Uuid::random();
};

View separator() { return rectangle().fill(secondaryTextColor.opacity(0.35)).frame({.height = 1}); }

View explanation(std::string string, double size) {
    return text(std::move(string))
        .font(Font::system(size))
        .foregroundColor(secondaryTextColor.opacity(0.78))
        .frame({.maxWidth = infinity, .alignment = unit::leading});
}

// One default controller: its name on a dropdown field that lists the 128 controllers.
View defaultCCField(SequencerStore& store, bool isCCA, foundation::Uuid anchor) {
    const int current = isCCA ? store.defaultCCA.get() : store.defaultCCB.get();
    const auto open = [&store, isCCA, anchor] {
        const auto choose = [&store, isCCA](int n) {
            if (isCCA) store.setDefaultCCs(n, std::nullopt);
            else store.setDefaultCCs(std::nullopt, n);
        };
        store.dropdown.set(store::DropdownRequest{
            .anchorID = anchor,
            .items = controllerDropdownItems(isCCA ? store.defaultCCA.get() : store.defaultCCB.get(), choose),
            .vertical = true,
            .presetStyle = true,
            .width = 210,
        });
    };
    const View label =
        dropdownFieldLabel(
            ccDisplayName(current),
            {.textColor = primaryTextColor, .chevronColor = secondaryTextColor, .fill = controlBackgroundColor, .width = 210})
            .anchorPreference<DropdownAnchorKey>(dropdownAnchor(anchor));
    return View(SingleTouchTapButton{.enabled = true, .allowSecondaryTouches = true, .action = open, .label = label})
        .testId(isCCA ? "defaultCCA" : "defaultCCB")
        .frame({.maxWidth = infinity, .alignment = unit::leading});
}

// Some track's controllers differ from the defaults.
bool tracksDifferFromDefaults(const SequencerStore& store) {
    return std::ranges::any_of(store.preset->tracks,
                               [&](const model::Track& t) { return t.ccA != store.defaultCCA.get() || t.ccB != store.defaultCCB.get(); });
}

}  // namespace

View GlobalSettingsModal::body(BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    context.observe(store.didChange);
    const auto anchors = context.storage<Anchors>();

    const auto makeUIMaxWidthField = [&] {
        return SettingsScrollIntField{
            .value = store.uiMaxContentWidth.get(),
            .range = {1000, 2000},
            .step = 50,
            .resetValue = uiMaxWidthRecommended,
            .onCommit = [&store](int v) { store.setUIMaxContentWidth(v); },
            .pixelsPerStep = 10,
        };
    };

    Views sections;
    sections.push_back(explanation("Settings are applied to all instances of Pulvan", 13));
    sections.push_back(separator());
    if (showsUIMaxWidth) {
        sections.push_back(vstack({.alignment = Edge::leading, .spacing = 6},
                                  settingsRow("UI max width", makeUIMaxWidthField().testId("uiMaxWidth")),
                                  explanation(uiMaxWidthRecommendationLabel + ": " + std::to_string(uiMaxWidthRecommended), 12)
                                      .testId("uiMaxWidthRecommendation")
                                      .padding(Edge::leading, 154)));
        sections.push_back(separator());
    }
    sections.push_back(
        vstack({.alignment = Edge::leading, .spacing = 10},
               text("Default MIDI CCs").font(Font::system(13, FontWeight::semibold)).foregroundColor(primaryTextColor),
               explanation("Used by new tracks and Initialize. Each track can still override them in its track settings.", 12),
               settingsRow("CC A", defaultCCField(store, true, anchors->defaultCCA)),
               settingsRow("CC B", defaultCCField(store, false, anchors->defaultCCB)),
               settingsRow("", View(ModalActionButtonLabeled{
                                        .title = "Apply on current preset",
                                        .accentFill = false,
                                        .enabled = tracksDifferFromDefaults(store),
                                        .pressHighlight = true,
                                        .action = [&store] { store.applyDefaultCCsToCurrentPreset(); },
                                    })
                                   .testId("apply"))));

    return makeModalPanel(640, "Settings", vstackOf({.alignment = Edge::leading, .spacing = 12}, sections));
}

}  // namespace pulvan::views
