#pragma once
// The 128-note piano's keys: which are black, where each lies, what a point hits, where scrolling lands.
#include "platform/ui/color.h"
#include "platform/ui/geometry.h"

#include <cstdint>
#include <optional>
#include <set>

namespace pulvan::views {

inline constexpr int keyboardNoteCount = 128;

struct KeyboardGeometry {
    double whiteW = 36;
    double blackW = 26;
    double keyboardHeight = 155;
    double blackToWhiteHeightRatio = 0.6;
    // Bit n set: pitch class n is a black key. Copied into every key's view, so kept small.
    std::uint16_t blackPitchClasses = pitchClassMask({1, 3, 6, 8, 10});

    static std::uint16_t pitchClassMask(const std::set<int>& pitchClasses);
    bool isBlack(int note) const { return (blackPitchClasses >> (((note % 12) + 12) % 12)) & 1U; }
    // White notes below the note, for black and white notes alike.
    int whiteIndex(int note) const;
    // The i-th white note, i within 0...whiteCount() - 1.
    int whiteNote(int i) const;
    int whiteCount() const { return whiteIndex(keyboardNoteCount); }
    double contentWidth() const { return whiteW * whiteCount(); }
    double blackHeight() const { return keyboardHeight * blackToWhiteHeightRatio; }
    double keyLeft(int note) const;
    double keyWidth(int note) const { return isBlack(note) ? blackW : whiteW; }
    double keyCenter(int note) const;
    ui::Rect keyRect(int note) const;
    // A point in the visible window, scrolled by scrollLeft; black keys win over the white keys below them.
    std::optional<int> hitTest(ui::Point point, double scrollLeft) const;
    // The whole-white-key offset that scrolling to x lands on, within the content.
    double snappedScrollLeft(double x, double viewportWidth) const;
    // The offset that brings the lowest note of a new pool into view, or none when it shows already.
    std::optional<double> scrollLeftRevealing(int lowestNote, double scrollLeft, double viewportWidth, int leadingWhiteKeys) const;
};

// Black or white, whichever reads on the colour (Rec. 709 luma above 0.58 takes black).
ui::Color contrastingLabelColor(ui::Color color);

}  // namespace pulvan::views
