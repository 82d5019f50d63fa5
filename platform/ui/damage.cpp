#include "platform/ui/damage.h"

#include <algorithm>
#include <limits>

namespace pulvan::ui {

namespace {

// More rectangles than this cost more to clip and put than the area they save.
constexpr std::size_t maxRects = 8;

double areaOf(const Rect& r) { return r.width * r.height; }

// Two rectangles are painted as one when their union hardly covers more than they do.
bool worthJoining(const Rect& a, const Rect& b) { return a.intersects(b) || areaOf(a.united(b)) <= 1.05 * (areaOf(a) + areaOf(b)); }

}  // namespace

void Damage::add(const Rect& rect) {
    if (rect.isEmpty()) return;
    Rect joined = rect;
    // A union may reach others that the rectangle alone did not: join until none is left to join.
    for (bool grew = true; grew;) {
        grew = false;
        for (auto it = rects_.begin(); it != rects_.end();) {
            if (worthJoining(*it, joined)) {
                joined = joined.united(*it);
                it = rects_.erase(it);
                grew = true;
            } else {
                ++it;
            }
        }
    }
    rects_.push_back(joined);
    while (rects_.size() > maxRects) {
        // Join the pair whose union adds the least.
        std::size_t bestA = 0, bestB = 1;
        double bestCost = std::numeric_limits<double>::infinity();
        for (std::size_t a = 0; a < rects_.size(); ++a)
            for (std::size_t b = a + 1; b < rects_.size(); ++b) {
                const double cost = areaOf(rects_[a].united(rects_[b])) - areaOf(rects_[a]) - areaOf(rects_[b]);
                if (cost < bestCost) bestCost = cost, bestA = a, bestB = b;
            }
        const Rect pair = rects_[bestA].united(rects_[bestB]);
        rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(bestB));
        rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(bestA));
        add(pair);
    }
}

void Damage::add(const Damage& other) {
    for (const Rect& r : other.rects_) add(r);
}

Rect Damage::bounds() const {
    Rect b;
    for (const Rect& r : rects_) b = b.united(r);
    return b;
}

double Damage::area() const {
    double sum = 0;
    for (const Rect& r : rects_) sum += areaOf(r);
    return sum;
}

bool Damage::intersects(const Rect& rect) const {
    return std::any_of(rects_.begin(), rects_.end(), [&](const Rect& r) { return r.intersects(rect); });
}

bool Damage::contains(Point p) const {
    return std::any_of(rects_.begin(), rects_.end(), [&](const Rect& r) { return r.contains(p); });
}

Damage Damage::transformed(const Transform& transform) const {
    Damage moved;
    for (const Rect& r : rects_) moved.add(transform.apply(r));
    return moved;
}

}  // namespace pulvan::ui
