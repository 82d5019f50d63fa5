#pragma once
// The rows of the preset browser's two columns, their headers and the delete icon they carry.
// Names come from the disk: they are shown as plain text, whatever bytes they hold.
#include "editor/store/preset_dialog_rows.h"
#include "platform/ui/view_modifiers.h"

#include <functional>
#include <string>

namespace pulvan::views {

// The red x of a deletable row, in a frame of the row's size that is all hit area.
struct PresetDialogDeleteIcon : ui::ViewModifiers<PresetDialogDeleteIcon> {
    bool selected = false;
    ui::Size size;
    double unselectedOpacity = 1;
    std::function<void()> action;

    ui::View body(ui::BuildContext& context) const;
};

// A column's title bar, with an optional accessory at its trailing end.
struct PresetDialogColumnHeader : ui::ViewModifiers<PresetDialogColumnHeader> {
    std::string title;
    ui::View accessory;

    ui::View body(ui::BuildContext& context) const;
};

// "NEW" in the folder column's header.
struct PresetDialogNewFolderButton : ui::ViewModifiers<PresetDialogNewFolderButton> {
    std::function<void()> action;

    ui::View body(ui::BuildContext& context) const;
};

struct PresetDialogFolderRow : ui::ViewModifiers<PresetDialogFolderRow> {
    store::PresetDialogFolder folder;
    bool selected = false;
    std::function<void()> onTap;
    std::function<void()> onDelete;

    ui::View body(ui::BuildContext& context) const;
};

struct PresetDialogFileRow : ui::ViewModifiers<PresetDialogFileRow> {
    store::PresetDialogFileEntry file;
    bool selected = false;
    bool showsDeleteIcon = false;
    std::function<void()> onTap;
    std::function<void()> onDelete;

    ui::View body(ui::BuildContext& context) const;
};

// What the file column shows when its folder holds no presets.
struct PresetDialogEmptyFilesRow : ui::ViewModifiers<PresetDialogEmptyFilesRow> {
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
