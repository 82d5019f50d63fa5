#pragma once
// The shell's shared pieces on the editor's background, as the gallery renders them and the golden
// images hold them.
#include "editor/views/shell/dot_texture.h"
#include "editor/views/shell/floppy_disk_icon.h"
#include "editor/views/shell/shapes.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/layout.h"

#include <functional>
#include <string>
#include <vector>

namespace pulvan::views {

struct GalleryPiece {
    std::string name;
    ui::Size size;
    double goldenScale;  // small pieces are compared scaled up
    std::function<ui::View()> view;
};

inline std::vector<GalleryPiece> shellGalleryPieces() {
    using namespace ui;
    const Color accent = trackAccentColors().front();
    const auto sized = [](View v, double w, double h) { return v.frame({.width = w, .height = h}); };
    const auto onEditorBackground = [](View v) { return v.padding(8).background(color(editorBackgroundColor)); };
    return {
        {"rounded_corners",
         {236, 56},
         2,
         [=] {
             return onEditorBackground(hstack({.alignment = Edge::center, .spacing = 8},
                                              sized(View(RoundedCorners{10, bottomLeft | bottomRight}.fill(panelBackgroundColor))
                                                        .overlay(RoundedCorners{10, bottomLeft | bottomRight}.stroke(themeBorderColor, 1)),
                                                    60, 40),
                                              sized(RoundedCorners{20, allCorners}.fill(accent), 30, 10),
                                              sized(RoundedCorners{8, {topLeft, topRight}}.fill(recordRedColor), 40, 40),
                                              sized(RoundedCorners{8, UIRectCorner{}}.fill(soloYellowColor), 40, 40),
                                              sized(RoundedCorners{12, topRight | bottomLeft}.stroke(primaryTextColor, 2), 24, 40)));
         }},
        {"tab_top_border",
         {128, 54},
         2,
         [=] {
             return onEditorBackground(hstack({.alignment = Edge::bottom, .spacing = 8},
                                              sized(View(RoundedCorners{8, topLeft | topRight}.fill(panelBackgroundColor))
                                                        .overlay(TabTopBorder{8}.stroke(themeBorderColor, 1)),
                                                    70, 38),
                                              sized(TabTopBorder{10}.stroke(accent, 1.5), 12, 30)));
         }},
        {"dot_texture",
         {10, 4},
         8,
         [=] {
             return View(DotTexture{accent, 3, 1.3}).background(color(gridBackgroundColor));
         }},
        {"floppy_disk_icon",
         {112, 64},
         2,
         [=] {
             return onEditorBackground(hstack({.alignment = Edge::center, .spacing = 10}, sized(FloppyDiskIcon{}, 14, 14),
                                              sized(FloppyDiskIcon{}, 24, 24), sized(FloppyDiskIcon{}, 48, 48)))
                 .foregroundColor(primaryTextColor);
         }},
    };
}

}  // namespace pulvan::views
