#include "editor/views/shell/modal_placement.h"

#include <algorithm>

namespace pulvan::views {

using store::KezModal;
using enum ModalPlacementKind;
using enum ModalAccentSource;

ModalPresentation modalPresentation(KezModal modal) {
    switch (modal) {
        case KezModal::notesPool: return {1080, anchored, false, global};
        case KezModal::chord: return {320, anchored, true, activeTrack};
        case KezModal::settings: return {420, anchored, true, activeTrack};
        case KezModal::performance: return {840, centred, false, global};
        case KezModal::midiSetupHelp: return {900, anchored, true, global};
        case KezModal::about: return {380, anchored, true, global};
        case KezModal::patternGenerator303: return {940, centred, true, activeTrack};
        case KezModal::globalSettings: return {640, centred, true, global};
    }
    return {640, centred, true, global};
}

ui::Point modalPanelPlacement(const ModalPlacementInput& in) {
    const double w = in.overlay.width;
    const double avail = w - 2 * in.margin;
    const double width = avail >= 240 ? std::min(avail, in.preferredWidth) : 240;
    double x, y;
    if (in.anchor) {
        const ui::Rect& r = *in.anchor;
        x = w - in.margin < width + r.minX() ? std::max(in.margin, w - in.margin - width) : r.minX();
        y = r.maxY() + in.gap;
    } else {
        x = std::max(in.margin, (w - width) * 0.5);
        y = 80;
    }
    // A tall modal opened low would run past the editor's bottom and hide its controls.
    if (in.measuredHeight > 0) y = std::max(in.margin, std::min(y, in.overlay.height - in.margin - in.measuredHeight));
    return {x, y};
}

}  // namespace pulvan::views
