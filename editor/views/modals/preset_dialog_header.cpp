#include "editor/views/modals/preset_dialog_header.h"

#include "editor/library/preset_library.h"
#include "editor/store/sequencer_store.h"
#include "editor/views/shell/editor_services.h"
#include "editor/views/shell/theme.h"
#include "platform/foundation/unicode_text.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/text_field.h"

namespace pulvan::views {
namespace {

using ui::Edge;
using ui::Font;
using ui::FontWeight;
using ui::View;

constexpr Color mutedControlColor = colorFromHex(0x7F8592);

View title(std::string text) {
    return ui::text(std::move(text))
        .font(Font::system(10.6, FontWeight::bold))
        .tracking(1.3)
        .foregroundColor(colorFromHex(0xDBDFE6).opacity(0.85))
        .fixedSize();
}

}  // namespace

View PresetDialogHeaderButton::body(ui::BuildContext&) const {
    View button = ui::hstack({.spacing = 10}, ui::symbol(systemImage).font(Font::system(9, FontWeight::semibold)),
                             ui::text(label).font(Font::system(11.2, FontWeight::semibold)))
                      .foregroundColor(contentColor)
                      .padding(Edge::horizontal, 16)
                      .frame({.minWidth = 81, .minHeight = 30})
                      .background(ui::roundedRectangle(3).fill(fill));
    // The line is centred on the edge and clipped by the button's own shape: only its inner half shows.
    if (bordered) button = button.overlay(ui::roundedRectangle(3).stroke(themeBorderColor, 1)).clipShape(ui::shapes::roundedRectangle(3));
    return button.opacity(enabled ? 1 : 0.55).contentShape(ui::shapes::rectangle()).onTapGesture(action).allowsHitTesting(enabled);
}

View PresetDialogNameField::body(ui::BuildContext& context) const {
    const bool empty = name.empty();
    // Each clear asks for the focus again: the click on the clear button took it from the field.
    const auto focusRequest = context.state<int>(0);
    return ui::zstack({.alignment = ui::unit::trailing},
                      ui::textField({.text = name,
                                     .onChange = onChange,
                                     .placeholder = "Preset name",
                                     .onSubmit = onSubmit,
                                     .focusOnAppear = focusOnAppear,
                                     .focusRequest = *focusRequest})
                          .font(Font::system(12.5, FontWeight::semibold))
                          .foregroundColor(colorFromHex(0xCAD0D9).opacity(0.95))
                          .padding({.leading = 10, .trailing = empty ? 10.0 : 30.0})
                          .frame({.width = 206, .height = 30})
                          .background(ui::roundedRectangle(4).fill(colorFromHex(0x12151B)))
                          .overlay(ui::roundedRectangle(4).strokeBorder(colorFromHex(0x636D78).opacity(0.55), 1))
                          .testId("presetDialog.nameField"),
                      empty ? View()
                            : ui::symbol("xmark.circle.fill")
                                  .font(Font::system(12, FontWeight::semibold))
                                  .foregroundColor(mutedControlColor)
                                  .frame({.width = 18, .height = 18})
                                  .contentShape(ui::shapes::rectangle())
                                  .onTapGesture([onClear = onClear, focusRequest] {
                                      onClear();
                                      focusRequest.set(*focusRequest + 1);
                                  })
                                  .testId("presetDialog.clearName")
                                  .padding(Edge::trailing, 7));
}

View PresetDialogHeader::body(ui::BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    auto& library = context.object<EditorServices>().presetLibrary();
    const bool saving = mode == store::PresetDialogMode::save;
    const std::string& name = store.presetDialogSaveName.get();
    const View titleArea =
        saving ? ui::hstack({.spacing = 10}, title("SAVE PRESET AS"),
                            PresetDialogNameField{.name = name,
                                                  .focusOnAppear = foundation::isBlank(name),
                                                  .onChange = [&store](const std::string& text) { store.presetDialogSaveName.set(text); },
                                                  .onSubmit = [&library] { library.confirmSavePreset(); },
                                                  .onClear = [&store] { store.presetDialogSaveName.set(""); }},
                            ui::text("Default")
                                .font(Font::system(10.6, FontWeight::semibold))
                                .tracking(0.9)
                                .foregroundColor(mutedControlColor)
                                .fixedSize()
                                .contentShape(ui::shapes::rectangle())
                                .onTapGesture([&store, &library] {
                                    library.selectPresetDialogFolder(store::presetHomeFolderID);
                                    store.presetDialogSaveName.set("Default");
                                    store.presetDialogSelectedFile.set(library.existingPresetFileName("Default", std::nullopt));
                                })
                                .testId("presetDialog.default"))
               : title("LOAD PRESET");
    return ui::hstack({.spacing = 12}, titleArea.testId("presetDialog.title"), ui::spacer(),
                      saving ? PresetDialogHeaderButton{.systemImage = "checkmark",
                                                        .label = "Save",
                                                        .contentColor = Color::black(),
                                                        .fill = globalAccentColor().opacity(0.86),
                                                        .bordered = true,
                                                        .enabled = !foundation::isBlank(name),
                                                        .action = [&library] { library.confirmSavePreset(); }}
                                   .testId("presetDialog.save")
                             : View(),
                      PresetDialogHeaderButton{.systemImage = "xmark",
                                               .label = "close",
                                               .contentColor = mutedControlColor,
                                               .fill = colorFromHex(0x1D1F27),
                                               .action = [&store] { store.isPresetDialogPresented.set(false); }}
                          .testId("presetDialog.close"))
        .frame({.height = 36})
        .padding(Edge::horizontal, 10);
}

}  // namespace pulvan::views
