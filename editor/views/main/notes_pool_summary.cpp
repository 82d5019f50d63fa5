#include "editor/views/main/notes_pool_summary.h"

#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <array>
#include <cstddef>
#include <functional>

namespace pulvan::views {

using namespace ui;

namespace {

constexpr std::size_t shownNotes = 8;

const std::array<const char*, 12> semitones{"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

// One row over the first eight notes, with "..." when the pool holds more.
View summaryRow(const std::vector<int>& pool, const std::string& name, Font font, Color color,
                const std::function<std::string(std::size_t)>& textAt) {
    Views cells;
    for (std::size_t k = 0; k < pool.size() && k < shownNotes; ++k) {
        cells.push_back(text(textAt(k))
                            .frame({.width = 34, .alignment = unit::leading})
                            .testId(name + "." + std::to_string(k))
                            .id(static_cast<int>(k)));
    }
    if (pool.size() > shownNotes) cells.push_back(text("...").frame({.width = 18, .alignment = unit::leading}).testId(name + ".more"));
    return hstackOf({.alignment = Edge::center, .spacing = 4}, std::move(cells)).font(font).foregroundColor(color);
}

}  // namespace

std::string poolNoteName(int note) {
    const int octave = (note >= 0 ? note / 12 : (note - 11) / 12) - 2;
    return std::string(semitones[static_cast<std::size_t>(((note % 12) + 12) % 12)]) + std::to_string(octave);
}

View NotesPoolSummary::body(BuildContext&) const {
    if (pool.empty()) return text("-").foregroundColor(secondaryTextColor);
    const std::vector<int>& notes = pool;
    return vstack({.alignment = Edge::leading, .spacing = 1},
                  summaryRow(pool, "poolPosition", Font::system(12, FontWeight::semibold), secondaryTextColor,
                             [](std::size_t k) { return std::string("k").append(std::to_string(k + 1)); }),
                  summaryRow(pool, "poolNote", Font::system(14, FontWeight::semibold), globalAccentColor(),
                             [&notes](std::size_t k) { return poolNoteName(notes[k]); }));
}

}  // namespace pulvan::views
