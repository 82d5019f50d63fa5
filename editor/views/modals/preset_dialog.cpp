#include "editor/views/modals/preset_dialog.h"

#include "editor/library/preset_library.h"
#include "editor/library/preset_names.h"
#include "editor/store/sequencer_store.h"
#include "editor/views/modals/preset_dialog_header.h"
#include "editor/views/modals/preset_dialog_rows.h"
#include "editor/views/shell/editor_services.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"
#include "platform/ui/scroll_view.h"

#include <algorithm>
#include <cmath>

namespace pulvan::views {
namespace {

using store::PresetDialogFileEntry;
using store::PresetDialogFolder;
using ui::View;

// A title bar over its rows, which scroll when they outgrow the column.
View column(PresetDialogColumnHeader header, ui::Views rows) {
    return ui::vstack({.spacing = 0}, std::move(header),
                      ui::scrollView({.showsIndicators = false}, ui::vstackOf({.spacing = 0}, std::move(rows))))
        .frame({.maxWidth = ui::infinity, .maxHeight = ui::infinity, .alignment = ui::unit::top});
}

// The one row highlighted: the file the library resolves the selected name to, so of two names
// that differ only in case the one named exactly is lit.
std::optional<std::string> highlightedFile(const std::vector<PresetDialogFileEntry>& files, const std::optional<std::string>& selected) {
    if (!selected) return std::nullopt;
    std::vector<std::string> names;
    for (const PresetDialogFileEntry& file : files) names.push_back(file.name);
    const auto match = library::matchingName(names, *selected);
    return match ? std::optional<std::string>(names[*match]) : std::nullopt;
}

}  // namespace

ui::Size PresetDialog::panelSize(ui::Size available) {
    return {std::min(960.0, std::max(720.0, available.width * 0.82)), std::min(620.0, std::max(410.0, available.height * 0.74))};
}

View PresetDialogHost::body(ui::BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    return ui::geometryReader([&store](const ui::GeometryProxy& proxy) {
               return ui::zstack({},
                                 ui::color(Color::black().opacity(0.8))
                                     .contentShape(ui::shapes::rectangle())
                                     .onTapGesture([&store] { store.isPresetDialogPresented.set(false); })
                                     .testId("presetDialog.backdrop"),
                                 PresetDialog{.availableSize = proxy.size()})
                   .frame({.width = proxy.size().width, .height = proxy.size().height});
           })
        .transition(ui::Transition::opacity());
}

View PresetDialog::body(ui::BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    auto& library = context.object<EditorServices>().presetLibrary();
    context.observe(store.didChange);
    const store::PresetDialogMode mode = store.presetDialogMode.get();
    const bool loading = mode == store::PresetDialogMode::load;

    ui::Views folderRows = ui::forEach(
        store.presetDialogFolders.get(), [](const PresetDialogFolder& f) { return f.id; },
        [&](const PresetDialogFolder& folder) {
            return PresetDialogFolderRow{.folder = folder,
                                         .selected = folder.id == store.presetDialogFolderID.get(),
                                         .onTap = [&library, id = folder.id] { library.selectPresetDialogFolder(id); },
                                         .onDelete = [&library, id = folder.id] { library.presentDeleteFolderDialog(id); }}
                .testId("presetDialog.folder." + folder.id);
        });
    const auto& files = store.presetDialogFiles.get();
    const auto highlighted = highlightedFile(files, store.presetDialogSelectedFile.get());
    ui::Views fileRows = ui::forEach(
        files, [](const PresetDialogFileEntry& f) { return f.name; },
        [&](const PresetDialogFileEntry& file) {
            return PresetDialogFileRow{.file = file,
                                       .selected = highlighted == file.name,
                                       .showsDeleteIcon = loading,
                                       .onTap = [&library, file] { library.loadPresetFromDialog(file); },
                                       .onDelete = [&library, name = file.name] { library.presentDeletePresetDialog(name); }}
                .testId("presetDialog.file." + file.name);
        });
    if (files.empty()) fileRows.push_back(PresetDialogEmptyFilesRow{}.testId("presetDialog.noPresets"));

    const ui::Size size = panelSize(availableSize);
    return ui::vstack(
               {.spacing = 8}, PresetDialogHeader{.mode = mode},
               ui::geometryReader([folderRows = std::move(folderRows), fileRows = std::move(fileRows),
                                   &library](const ui::GeometryProxy& proxy) {
                   return ui::hstack(
                              {.spacing = 0},
                              column({.title = "FOLDERS",
                                      .accessory = PresetDialogNewFolderButton{.action = [&library] { library.presentNewFolderPrompt(); }}},
                                     folderRows)
                                  .frame({.width = std::floor(proxy.size().width * 0.4)})
                                  .overlay(ui::rectangle().fill(colorFromHex(0x767E88).opacity(0.2)).frame({.width = 1}),
                                           ui::unit::trailing),
                              column({.title = "FILES"}, fileRows))
                       .frame({.width = proxy.size().width, .height = proxy.size().height})
                       .clipShape(ui::shapes::roundedRectangle(4))
                       .overlay(ui::roundedRectangle(4).strokeBorder(themeBorderColor, 1));
               }))
        .padding(8)
        .frame({.width = size.width, .height = size.height})
        .background(ui::color(colorFromHex(0x141518)))
        .clipShape(ui::shapes::continuousRoundedRectangle(4))
        .overlay(ui::continuousRoundedRectangle(4).strokeBorder(colorFromHex(0x7C8490).opacity(0.45), 1))
        .shadow(Color::black().opacity(0.5), 18, 0, 10)
        .testId("presetDialog.panel");
}

}  // namespace pulvan::views
