#include "platform/x11/window_visual.h"

#include <cstdlib>

namespace pulvan::x11 {

WindowVisual visualFor(xcb_connection_t* c, const xcb_screen_t* screen, xcb_window_t parent) {
    const WindowVisual own{screen->root_visual, screen->root_depth, false};
    if (parent == screen->root || screen->root_depth == 32) return own;
    auto* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, parent), nullptr);
    if (!attributes) return own;
    const xcb_visualid_t parents = attributes->visual;
    std::free(attributes);
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
        if (depths.data->depth != 32) continue;
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals)) {
            const xcb_visualtype_t& v = *visuals.data;
            if (v.visual_id == parents && v._class == XCB_VISUAL_CLASS_TRUE_COLOR && v.red_mask == 0xFF0000 && v.green_mask == 0xFF00 &&
                v.blue_mask == 0xFF)
                return {v.visual_id, 32, true};
        }
    }
    return own;
}

}  // namespace pulvan::x11
