#pragma once
// The shell's shared controls in their states, as the gallery renders them and the golden images hold
// them: buttons, the swing knob and the modal kit.
#include "editor/views/shell/app_play_toggle_button.h"
#include "editor/views/shell/armed_tooltip.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/icon_button.h"
#include "editor/views/shell/modal_header.h"
#include "editor/views/shell/modal_option.h"
#include "editor/views/shell/modal_panel.h"
#include "editor/views/shell/pill_button.h"
#include "editor/views/shell/top_bar_button_labels.h"
#include "editor/views/shell/top_bar_swing_knob.h"
#include "platform/ui/content.h"
#include "tests/editor/views/shell_gallery.h"

namespace pulvan::views {

inline std::vector<GalleryPiece> controlGalleryPieces() {
    using namespace ui;
    const Color accent = trackAccentColors()[2];
    const auto onEditorBackground = [](View v) { return v.padding(8).background(color(editorBackgroundColor)); };
    const auto row = [](Views views) { return hstackOf({.alignment = Edge::center, .spacing = 8}, std::move(views)); };
    const auto column = [](Views views) { return vstackOf({.alignment = Edge::leading, .spacing = 6}, std::move(views)); };
    const auto tap = [] {};
    return {
        {"pill_buttons",
         {560, 128},
         1,
         [=] {
             const PillButton pill{.text = "Pattern", .accentColor = accent, .action = tap};
             auto with = [pill](auto change) {
                 PillButton p = pill;
                 change(p);
                 return View(p);
             };
             return onEditorBackground(column({
                 row({View(pill), with([](PillButton& p) { p.active = true; }), with([](PillButton& p) { p.progress = 0.0; }),
                      with([](PillButton& p) { p.progress = 0.25; }),
                      with([](PillButton& p) { p.progress = 0.25, p.progressFromTrailing = true; })}),
                 row({with([](PillButton& p) { p.progress = 1.5, p.active = true; }), with([](PillButton& p) { p.progress = -1; }),
                      with([](PillButton& p) { p.text = "Rec", p.showsRecordIcon = true; }),
                      with([](PillButton& p) { p.text = "Rec", p.showsRecordIcon = true, p.recordIconFillOpacity = -1; }),
                      with([](PillButton& p) {
                          p.text = "Rec", p.showsRecordIcon = true, p.recordIconFillOpacity = 2, p.active = true, p.action = nullptr;
                      })}),
             }));
         }},
        {"top_bar_buttons",
         {520, 120},
         1,
         [=] {
             return onEditorBackground(column({
                 row({View(AppPlayToggleButton{false, tap}), View(AppPlayToggleButton{true, tap}), View(ExitMIDILearnButtonLabel{}),
                      View(SavePresetButtonLabel{false}), View(SavePresetButtonLabel{true})}),
                 row({View(IconButton{"arrow.uturn.backward", true, tap}), View(IconButton{"arrow.uturn.forward", false, tap}),
                      View(IconButtonLabel{"gearshape", true}), View(IconButton{"line.3.horizontal", true, nullptr})}),
             }));
         }},
        {"swing_knob",
         {170, 64},
         2,
         [=] {
             const auto knob = [](int value) { return View(TopBarSwingKnob{.value = value}); };
             return onEditorBackground(row({knob(50), knob(51), knob(63), knob(75)}));
         }},
        {"modal_headers",
         {420, 116},
         1,
         [=] {
             return onEditorBackground(column({
                                                  View(ModalHeader{.title = "Notes pool", .onClose = tap}),
                                                  View(ModalHeader{.title = "Chord memory",
                                                                   .inlineActionTitle = "Reset",
                                                                   .inlineActionColor = accent,
                                                                   .inlineActionFontSize = 11,
                                                                   .onInlineAction = tap,
                                                                   .onClose = tap}),
                                                  View(ModalHeader{.title = "No close, no action", .inlineActionTitle = "Hidden"}),
                                              })
                                           .frame({.width = 400}));
         }},
        {"modal_options",
         {600, 150},
         1,
         [=] {
             const auto option = [&](ModalOption o) {
                 o.action = tap;
                 return View(o).frame({.width = 110});
             };
             return onEditorBackground(
                 column(
                     {
                         row({option({.label = "Inactive"}), option({.label = "Active", .active = true}),
                              option(
                                  {.label = "Dots", .active = true, .activeUsesDotTexture = true, .activeColor = colorFromHex(0xD9A441)}),
                              option({.label = "Dots+prog", .active = true, .activeUsesDotTexture = true, .progress = 0.3}),
                              option({.label = "Half", .progress = 0.5})}),
                         row({option({.label = "Disabled", .active = true, .progress = 0.5, .enabled = false}),
                              option({.label = "Present", .presenceIndicatorColor = accent}),
                              option({.label = "", .leadingSystemImage = "pin", .leadingSystemImageSize = 12}),
                              option({.label = "Bolt",
                                      .leadingSystemImage = "bolt",
                                      .leadingSystemImageSize = 11,
                                      .borderColor = recordRedColor}),
                              ModalOptionFillHeight{}(row({option({.label = "Fill"})}).frame({.height = 20}))}),
                     })
                     .environment<KezAccentKey>(accent));
         }},
        {"modal_panel_and_tooltip",
         {420, 170},
         1,
         [=] {
             return onEditorBackground(
                        View(
                            ModalPanel{
                                .width = 300,
                                .content = {View(ModalHeader{.title = "Panel", .onClose = tap}),
                                            text("Content leading, spacing 14.").font(Font::system(13)).foregroundColor(secondaryTextColor),
                                            ArmedTooltipModifier{"Tap a slot", true, 30}(
                                                View(ModalOption{.label = "Armed", .active = true, .action = tap}).frame({.width = 120}))}})
                            .padding(Edge::top, 0))
                 .frame({.width = 404, .height = 154});
         }},
    };
}

}  // namespace pulvan::views
