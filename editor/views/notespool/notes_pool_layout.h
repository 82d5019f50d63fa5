#pragma once
// The notes-pool modal's grid: 13 columns 8 points apart over a content width of 324 to 1044 points.
#include "platform/ui/view.h"

namespace pulvan::views {

struct NotesPoolLayout {
    static constexpr int gridColumns = 13;
    static constexpr double gridSpacing = 8;
    static constexpr int progressionSpan = 2;
    static constexpr int resolutionSpan = 2;
    static constexpr double resolutionInset = 6;
    static constexpr int patternTrackSpan = 1;
    static constexpr int patternHeaderSpan = 3;
    static constexpr int autoResyncSpan = 2;

    // From the width the modal host offers.
    static NotesPoolLayout forViewport(double viewportWidth);

    double panelWidth = 1080;
    double contentWidth = 1044;
    double cellWidth = 0;

    // n cells and the n - 1 gaps between them; 0 below one column.
    double span(int columns) const;
    // Columns left after the progression presets, "Save" and the four transposition buttons.
    static int progressionFillerColumns() { return gridColumns - (progressionSpan + 5); }
    // Columns after the "Scene pattern change" header, its filler and "Auto resync".
    static int patternFillerColumns();
    // The resolution button's inset within its item of the given width.
    static double resolutionInsetIn(double itemWidth);
};

// Empty grid columns of the given width.
ui::View gridFiller(double width);

}  // namespace pulvan::views
