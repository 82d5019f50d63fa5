#include "editor/views/modals/preset_dialog_rows.h"

#include "editor/views/modals/preset_file_size_label.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

namespace pulvan::views {
namespace {

using ui::Edge;
using ui::Font;
using ui::FontWeight;
using ui::View;

constexpr double rowHeight = 36;
constexpr Color selectedContentColor = Color::black();

View rowBackground(bool selected) { return ui::color(selected ? globalAccentColor().opacity(0.86) : Color::clear()); }

View bottomLine(double opacity) { return ui::rectangle().fill(colorFromHex(0x68707A).opacity(opacity)).frame({.height = 1}); }

View rowName(const std::string& name, Font font, Color color) {
    return ui::text(name).font(font).foregroundColor(color).lineLimit(1).frame({.maxWidth = ui::infinity, .alignment = ui::unit::leading});
}

}  // namespace

View PresetDialogDeleteIcon::body(ui::BuildContext&) const {
    return ui::symbol("xmark")
        .font(Font::system(10, FontWeight::medium))
        .foregroundColor(selected ? selectedContentColor.opacity(0.8) : colorFromHex(0xC47C7C).opacity(unselectedOpacity))
        .frame({.width = size.width, .height = size.height})
        .contentShape(ui::shapes::rectangle())
        .onTapGesture(action);
}

View PresetDialogColumnHeader::body(ui::BuildContext&) const {
    return ui::hstack(
               {},
               ui::text(title).font(Font::system(11, FontWeight::bold)).tracking(1).foregroundColor(colorFromHex(0xC7CDD6).opacity(0.92)),
               ui::spacer(), accessory)
        .padding(Edge::horizontal, 10)
        .frame({.height = 40})
        .background(ui::color(colorFromHex(0x0A0C0F).opacity(0.5)))
        .overlay(ui::rectangle().fill(colorFromHex(0x767E88).opacity(0.22)).frame({.height = 1}), ui::unit::bottom);
}

View PresetDialogNewFolderButton::body(ui::BuildContext&) const {
    return ui::text("NEW")
        .font(Font::system(10.2, FontWeight::bold))
        .tracking(0.9)
        .foregroundColor(colorFromHex(0x7F8592))
        .frame({.minWidth = 42, .minHeight = 24})
        .background(ui::roundedRectangle(2).fill(colorFromHex(0x1A1D25)))
        .contentShape(ui::shapes::rectangle())
        .onTapGesture(action)
        .testId("presetDialog.newFolder");
}

View PresetDialogFolderRow::body(ui::BuildContext&) const {
    return ui::hstack({.spacing = 8},
                      rowName(folder.name, Font::system(14.4, selected ? FontWeight::semibold : FontWeight::regular),
                              selected ? selectedContentColor.opacity(0.95) : colorFromHex(0xBCC2CB).opacity(0.85)),
                      folder.deletable
                          ? PresetDialogDeleteIcon{.selected = selected, .size = {16, 16}, .unselectedOpacity = 0.9, .action = onDelete}
                                .padding(Edge::trailing, 10)
                                .testId("presetDialog.deleteFolder." + folder.id)
                          : View())
        .padding(Edge::leading, 12)
        .frame({.maxWidth = ui::infinity, .alignment = ui::unit::leading})
        .frame({.height = rowHeight})
        .background(rowBackground(selected))
        .overlay(bottomLine(0.16), ui::unit::bottom)
        .contentShape(ui::shapes::rectangle())
        .onTapGesture(onTap);
}

View PresetDialogFileRow::body(ui::BuildContext&) const {
    const Color iconColor = selected ? selectedContentColor.opacity(0.95) : colorFromHex(0xABB3C0).opacity(0.9);
    const Color nameColor = selected ? selectedContentColor.opacity(0.95) : colorFromHex(0xB8BEC8).opacity(0.9);
    const Color sizeColor = selected ? selectedContentColor.opacity(0.7) : colorFromHex(0x858E99).opacity(0.88);
    return ui::hstack(
               {.spacing = 0},
               ui::symbol("doc")
                   .font(Font::system(12, FontWeight::semibold))
                   .foregroundColor(iconColor)
                   .frame({.width = 24, .alignment = ui::unit::leading}),
               rowName(file.name, Font::system(14.4), nameColor),
               showsDeleteIcon
                   ? PresetDialogDeleteIcon{.selected = selected, .size = {28, 30}, .unselectedOpacity = 0.95, .action = onDelete}.testId(
                         "presetDialog.deleteFile." + file.name)
                   : View(),
               ui::text(presetFileSizeLabel(file.sizeBytes))
                   .font(Font::system(11.2))
                   .foregroundColor(sizeColor)
                   .lineLimit(1)
                   .frame({.width = 62, .alignment = ui::unit::trailing})
                   .testId("presetDialog.size." + file.name))
        .padding(Edge::horizontal, 10)
        .frame({.maxWidth = ui::infinity})
        .frame({.height = rowHeight})
        .background(rowBackground(selected))
        .overlay(bottomLine(0.14), ui::unit::bottom)
        .contentShape(ui::shapes::rectangle())
        .onTapGesture(onTap);
}

View PresetDialogEmptyFilesRow::body(ui::BuildContext&) const {
    return ui::hstack({}, ui::text("No presets").font(Font::system(13.2)).foregroundColor(colorFromHex(0x858E99).opacity(0.88)),
                      ui::spacer())
        .padding(Edge::horizontal, 10)
        .frame({.maxWidth = ui::infinity})
        .frame({.height = rowHeight})
        .overlay(bottomLine(0.14), ui::unit::bottom);
}

}  // namespace pulvan::views
