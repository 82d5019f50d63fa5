#include "editor/views/notespool/notes_pool_layout.h"

#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>

namespace pulvan::views {

NotesPoolLayout NotesPoolLayout::forViewport(double viewportWidth) {
    NotesPoolLayout layout;
    layout.panelWidth = std::clamp(viewportWidth, 360.0, 1080.0);
    layout.contentWidth = viewportWidth < 360 ? 324 : viewportWidth < 1080 ? std::max(viewportWidth - 36, 0.0) : 1044;
    layout.cellWidth = std::max((layout.contentWidth - gridSpacing * (gridColumns - 1)) / gridColumns, 0.0);
    return layout;
}

double NotesPoolLayout::span(int columns) const {
    if (columns < 1) return 0;
    return columns * cellWidth + (columns - 1) * gridSpacing;
}

int NotesPoolLayout::patternFillerColumns() {
    const int headerFiller = std::max(patternTrackSpan + std::max(8 - autoResyncSpan, 0) - patternHeaderSpan, 0);
    return std::max(gridColumns - (patternHeaderSpan + headerFiller + autoResyncSpan), 0);
}

double NotesPoolLayout::resolutionInsetIn(double itemWidth) {
    if (itemWidth < 1) return 0;
    return std::clamp(resolutionInset, 0.0, (itemWidth - 1) / 2);
}

ui::View gridFiller(double width) { return ui::color(ui::Color::clear()).frame({.width = width, .height = 1}); }

}  // namespace pulvan::views
