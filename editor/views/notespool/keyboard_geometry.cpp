#include "editor/views/notespool/keyboard_geometry.h"

#include <algorithm>
#include <cmath>

namespace pulvan::views {

std::uint16_t KeyboardGeometry::pitchClassMask(const std::set<int>& pitchClasses) {
    std::uint16_t mask = 0;
    for (int pc : pitchClasses)
        if (pc >= 0 && pc < 12) mask = static_cast<std::uint16_t>(mask | (1U << pc));
    return mask;
}

int KeyboardGeometry::whiteIndex(int note) const {
    int whitesPerOctave = 0, whitesBelowInOctave = 0;
    for (int pc = 0; pc < 12; ++pc) {
        if (isBlack(pc)) continue;
        ++whitesPerOctave;
        if (pc < note % 12) ++whitesBelowInOctave;
    }
    return note / 12 * whitesPerOctave + whitesBelowInOctave;
}

int KeyboardGeometry::whiteNote(int i) const {
    for (int note = 0; note < keyboardNoteCount; ++note)
        if (!isBlack(note) && i-- == 0) return note;
    return keyboardNoteCount - 1;
}

double KeyboardGeometry::keyLeft(int note) const {
    const double left = whiteW * whiteIndex(note);
    return isBlack(note) ? left - blackW / 2 : left;
}

double KeyboardGeometry::keyCenter(int note) const {
    return isBlack(note) ? whiteW * whiteIndex(note) : whiteW * whiteIndex(note) + whiteW / 2;
}

ui::Rect KeyboardGeometry::keyRect(int note) const {
    return {keyLeft(note), 0, keyWidth(note), isBlack(note) ? blackHeight() : keyboardHeight};
}

std::optional<int> KeyboardGeometry::hitTest(ui::Point point, double scrollLeft) const {
    if (point.y < 0 || point.y > keyboardHeight) return std::nullopt;
    const double cx = point.x + scrollLeft;
    if (cx < 0) return std::nullopt;
    if (point.y <= blackHeight()) {
        for (int note = 0; note < keyboardNoteCount; ++note) {
            if (!isBlack(note)) continue;
            const double left = keyLeft(note);
            if (left <= cx && cx <= left + blackW) return note;
        }
    }
    const double i = std::floor(cx / whiteW);
    if (i < 0 || i >= whiteCount()) return std::nullopt;
    return whiteNote(static_cast<int>(i));
}

double KeyboardGeometry::snappedScrollLeft(double x, double viewportWidth) const {
    const double maxLeft = std::max(contentWidth() - viewportWidth, 0.0);
    const double cx = std::isfinite(x) ? std::clamp(x, 0.0, maxLeft) : 0.0;
    const double i = std::clamp(std::round(cx / whiteW), 0.0, static_cast<double>(whiteCount() - 1));
    return std::min(std::max(whiteW * i, 0.0), maxLeft);
}

std::optional<double> KeyboardGeometry::scrollLeftRevealing(int lowestNote, double scrollLeft, double viewportWidth,
                                                            int leadingWhiteKeys) const {
    const double left = keyLeft(lowestNote);
    if (scrollLeft < left + keyWidth(lowestNote) && left < scrollLeft + viewportWidth) return std::nullopt;
    const int i = std::max(whiteIndex(lowestNote) - leadingWhiteKeys, 0);
    const int target = whiteNote(std::min(i, whiteCount() - 1));
    return std::min(std::max(whiteW * whiteIndex(target), 0.0), std::max(contentWidth() - viewportWidth, 0.0));
}

ui::Color contrastingLabelColor(ui::Color color) {
    const double luma = 0.2126 * color.red + 0.7152 * color.green + 0.0722 * color.blue;
    return luma > 0.58 ? ui::Color::black().opacity(0.9) : ui::Color::white().opacity(0.98);
}

}  // namespace pulvan::views
