#include "platform/ui/drawn_bounds.h"

#include "platform/ui/pango_text_layout.h"

#include <numbers>
#include <vector>

namespace pulvan::ui {

namespace {

Rect strokeBounds(const draw::Stroke& s) {
    // A miter reaches out to the limit; a square cap to the corner of its square.
    const double reach = s.style.width / 2 * std::max(s.style.join == LineJoin::miter ? s.style.miterLimit : 1.0, std::numbers::sqrt2);
    return s.path.bounds().insetBy(-reach, -reach);
}

}  // namespace

std::optional<Rect> groupContentBounds(std::span<const DrawCommand> commands) {
    std::vector<Transform> saved;
    Transform current;
    Rect bounds;
    int depth = 0;
    const auto add = [&](const Rect& r) { bounds = bounds.united(current.apply(r)); };
    for (const DrawCommand& command : commands) {
        if (std::holds_alternative<draw::BeginShadow>(command)) return std::nullopt;
        if (std::holds_alternative<draw::BeginGroup>(command)) {
            ++depth;
        } else if (std::holds_alternative<draw::EndGroup>(command)) {
            if (depth-- == 0) break;
        } else if (std::holds_alternative<draw::Save>(command)) {
            saved.push_back(current);
        } else if (std::holds_alternative<draw::Restore>(command)) {
            if (!saved.empty()) current = saved.back(), saved.pop_back();
        } else if (const auto* concat = std::get_if<draw::Concat>(&command)) {
            current = current.after(concat->transform);
        } else if (const auto* fill = std::get_if<draw::Fill>(&command)) {
            add(fill->path.bounds());
        } else if (const auto* stroke = std::get_if<draw::Stroke>(&command)) {
            add(strokeBounds(*stroke));
        } else if (const auto* text = std::get_if<draw::Text>(&command)) {
            if (const auto* layout = dynamic_cast<const PangoTextLayout*>(text->layout.get()))
                add(layout->inkBounds().offsetBy(text->origin.x, text->origin.y));
        } else if (const auto* image = std::get_if<draw::DrawImage>(&command)) {
            add(image->destination);
        } else if (const auto* tiled = std::get_if<draw::Tiled>(&command)) {
            // Its origin moves to a whole device pixel: up to half of one, which is under a point.
            add(tiled->area.insetBy(-1, -1));
        }
    }
    return bounds;
}

}  // namespace pulvan::ui
