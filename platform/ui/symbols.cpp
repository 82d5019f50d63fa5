#include "platform/ui/symbols.h"

#include <array>
#include <numbers>

namespace pulvan::ui {

namespace {

constexpr double pi = std::numbers::pi;

// Symbols are drawn on a grid where 20 units are the point size; each has a design box on that grid.
constexpr double gridUnitsPerPoint = 20;

struct SymbolInfo {
    std::string_view name;
    Rect designBox;
};

constexpr std::array<SymbolInfo, 14> symbolInfo{{
    {"xmark", {2, 2, 16, 16}},
    {"xmark.circle.fill", {0, 0, 20, 20}},
    {"arrow.uturn.backward", {1, 1, 18, 18}},
    {"arrow.uturn.forward", {1, 1, 18, 18}},
    {"line.3.horizontal", {1, 2, 18, 16}},
    {"gearshape", {0, 0, 20, 20}},
    {"bolt", {3, 0, 14, 20}},
    {"chevron.down", {2, 4, 16, 12}},
    {"chevron.up.chevron.down", {4, 1, 12, 18}},
    {"speaker.wave.2.fill", {0, 1, 20, 18}},
    {"pin", {3, 0, 14, 20}},
    {"checkmark", {2, 3, 16, 14}},
    {"doc", {2, 0, 16, 20}},
    {"arrow.down", {3, 1, 14, 18}},
}};

// Stroke width in grid units: heavier weights stroke thicker.
double strokeWidth(FontWeight weight) {
    switch (weight) {
        case FontWeight::light: return 1.3;
        case FontWeight::regular: return 1.7;
        case FontWeight::medium: return 2.0;
        case FontWeight::semibold: return 2.3;
        case FontWeight::bold: return 2.7;
    }
    return 1.7;
}

Path polyline(std::initializer_list<Point> points) {
    Path path;
    bool first = true;
    for (Point p : points) {
        first ? path.moveTo(p) : path.lineTo(p);
        first = false;
    }
    return path;
}

Path polygon(std::initializer_list<Point> points) { return polyline(points).close(); }

// An X of arm half-width w, reaching `reach` from the centre along the diagonals, as one outline.
Path crossOutline(Point centre, double reach, double w) {
    Path path;
    const double d = reach / std::numbers::sqrt2, e = w / std::numbers::sqrt2;
    // Walk the 12 corners of a plus sign turned by 45 degrees.
    const Point corners[12] = {{d - e, -d - e}, {d + e, -d + e}, {2 * e, 0},  {d + e, d - e},   {d - e, d + e},   {0, 2 * e},
                               {-d + e, d + e}, {-d - e, d - e}, {-2 * e, 0}, {-d - e, -d + e}, {-d + e, -d - e}, {0, -2 * e}};
    for (int i = 0; i < 12; ++i) {
        const Point p{centre.x + corners[i].x, centre.y + corners[i].y};
        i == 0 ? path.moveTo(p) : path.lineTo(p);
    }
    return path.close();
}

Path gearOutline(double holeRadius) {
    Path path;
    constexpr int teeth = 8;
    constexpr double outer = 9.6, inner = 7.4, centre = 10;
    const double pitch = 2 * pi / teeth;
    for (int i = 0; i < teeth; ++i) {
        // A tooth is a trapezoid: wider at its root than at its tip.
        const double a = i * pitch - pi / 2;
        const Point points[4] = {
            {inner, a - pitch * 0.30}, {outer, a - pitch * 0.17}, {outer, a + pitch * 0.17}, {inner, a + pitch * 0.30}};
        for (int k = 0; k < 4; ++k) {
            const Point p{centre + points[k].x * std::cos(points[k].y), centre + points[k].x * std::sin(points[k].y)};
            (i == 0 && k == 0) ? path.moveTo(p) : path.lineTo(p);
        }
        path.arc({centre, centre}, inner, a + pitch * 0.30, a + pitch * 0.70, true);
    }
    path.close();
    path.addEllipse({centre - holeRadius, centre - holeRadius, 2 * holeRadius, 2 * holeRadius});
    return path;
}

// The symbol's strokes and fills in grid units.
void drawDesign(DisplayList& list, Symbol symbol, double w, Color color) {
    const StrokeStyle line{w, LineCap::round, LineJoin::round};
    const auto stroke = [&](Path path) { list.add(draw::Stroke{std::move(path), color, line}); };
    const auto fill = [&](Path path, FillRule rule = FillRule::nonZero) { list.add(draw::Fill{std::move(path), color, rule}); };
    switch (symbol) {
        case Symbol::xmark: stroke(polyline({{4, 4}, {16, 16}}).addPath(polyline({{16, 4}, {4, 16}}))); break;
        case Symbol::xmarkCircleFill:
            fill(Path{}.addEllipse({0.5, 0.5, 19, 19}).addPath(crossOutline({10, 10}, 5.2, w / 2)), FillRule::evenOdd);
            break;
        case Symbol::arrowUturnBackward:
        case Symbol::arrowUturnForward: {
            Path arrow = polyline({{7.5, 2.5}, {3, 7}, {7.5, 11.5}});
            arrow.moveTo({3.5, 7}).lineTo({12, 7}).arc({12, 12}, 5, -pi / 2, pi / 2, true).lineTo({7, 17});
            if (symbol == Symbol::arrowUturnForward) arrow = arrow.transformed({-1, 0, 0, 1, 20, 0});
            stroke(std::move(arrow));
            break;
        }
        case Symbol::line3Horizontal:
            stroke(polyline({{3, 4.5}, {17, 4.5}}).addPath(polyline({{3, 10}, {17, 10}})).addPath(polyline({{3, 15.5}, {17, 15.5}})));
            break;
        case Symbol::gearshape: fill(gearOutline(std::max(1.8, 4.1 - w / 2)), FillRule::evenOdd); break;
        case Symbol::bolt: {
            // The plain bolt is an outline; only a ".fill" symbol would be filled.
            stroke(polygon({{11.8, 1.5}, {4.5, 11.2}, {9.3, 11.2}, {8.2, 18.5}, {15.5, 8.8}, {10.7, 8.8}}));
            break;
        }
        case Symbol::chevronDown: stroke(polyline({{4, 7}, {10, 13}, {16, 7}})); break;
        case Symbol::chevronUpChevronDown:
            stroke(polyline({{6, 7}, {10, 3}, {14, 7}}).addPath(polyline({{6, 13}, {10, 17}, {14, 13}})));
            break;
        case Symbol::speakerWave2Fill: {
            const Path speaker = polygon({{1.5, 7}, {5, 7}, {10, 2.8}, {10, 17.2}, {5, 13}, {1.5, 13}});
            fill(speaker);
            list.add(draw::Stroke{speaker, color, {w / 2, LineCap::round, LineJoin::round}});
            stroke(Path{}.arc({10, 10}, 4, -pi / 4, pi / 4, true));
            stroke(Path{}.arc({10, 10}, 7.6, -pi / 4, pi / 4, true));
            break;
        }
        case Symbol::pin:
            stroke(polygon({{6.5, 2.2}, {13.5, 2.2}, {12, 4}, {12, 8.5}, {15, 12}, {5, 12}, {8, 8.5}, {8, 4}})
                       .addPath(polyline({{10, 12}, {10, 18.5}})));
            break;
        case Symbol::checkmark: stroke(polyline({{3.5, 10.5}, {8, 15}, {16.5, 5}})); break;
        case Symbol::doc:
            stroke(polygon({{4, 1.8}, {11.5, 1.8}, {16, 6.3}, {16, 18.2}, {4, 18.2}})
                       .addPath(polyline({{11.5, 1.8}, {11.5, 6.3}, {16, 6.3}})));
            break;
        case Symbol::arrowDown: stroke(polyline({{10, 2.5}, {10, 17}}).addPath(polyline({{4.5, 11.5}, {10, 17}, {15.5, 11.5}}))); break;
    }
}

}  // namespace

std::optional<Symbol> symbolNamed(std::string_view name) {
    for (std::size_t i = 0; i < symbolInfo.size(); ++i)
        if (symbolInfo[i].name == name) return static_cast<Symbol>(i);
    return std::nullopt;
}

Size symbolSize(Symbol symbol, double pointSize) {
    const Rect& box = symbolInfo[static_cast<std::size_t>(symbol)].designBox;
    return {box.width * pointSize / gridUnitsPerPoint, box.height * pointSize / gridUnitsPerPoint};
}

void drawSymbol(DisplayList& list, Symbol symbol, const Rect& box, FontWeight weight, Color color) {
    const Rect& design = symbolInfo[static_cast<std::size_t>(symbol)].designBox;
    const double scale = std::min(box.width / design.width, box.height / design.height);
    if (!(scale > 0)) return;
    const double x = box.midX() - design.midX() * scale, y = box.midY() - design.midY() * scale;
    list.add(draw::Save{});
    list.add(draw::Concat{Transform{scale, 0, 0, scale, x, y}});
    drawDesign(list, symbol, strokeWidth(weight), color);
    list.add(draw::Restore{});
}

}  // namespace pulvan::ui
