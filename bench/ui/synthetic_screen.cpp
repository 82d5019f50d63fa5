#include "bench/ui/synthetic_screen.h"

#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <string>

namespace pulvan::bench {

using namespace ui;

namespace {

const Color panel = colorFromRGB(0x161618), border = colorFromRGB(0x232323), cell = colorFromRGB(0x2A2A2A), accent = colorFromRGB(0x607594),
            textColor = colorFromRGB(0xD0D0D3);

View label(std::string s, double size = 11) {
    return text(std::move(s)).font(Font::system(size, FontWeight::medium)).foregroundColor(textColor).lineLimit(1);
}

View pill(std::string title) {
    return label(std::move(title))
        .padding({.top = 6, .leading = 10, .bottom = 6, .trailing = 10})
        .background(capsule().fill(cell))
        .overlay(capsule().stroke(border, 1));
}

struct PlayheadCell {
    SyntheticModel* model;
    int column;
    View body(BuildContext& context) const {
        context.observe(model->playhead);
        const bool lit = model->playheadColumn == column;
        return roundedRectangle(3).fill(lit ? accent.opacity(0.35) : Color::clear()).allowsHitTesting(false);
    }
};

View stepCell(SyntheticModel& model, int row, int column) {
    const int value = model.values[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    return zstack({}, roundedRectangle(4).fill(cell),
                  roundedRectangle(4).fill(accent).frame({.height = 4.0 + value % 40}).frame({.maxHeight = infinity, .alignment = bottom}),
                  label(std::to_string(value), 9).padding(top, 3).frame({.maxHeight = infinity, .alignment = top}),
                  View(PlayheadCell{&model, column}))
        .onDrag({.minimumDistance = 0},
                [&model, row, column](const DragValue& v) {
                    model.values[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = static_cast<int>(v.location.y);
                    model.changed.emit();
                },
                {});
}

View lane(SyntheticModel& model, int row) {
    Views cells;
    for (int c = 0; c < 16; ++c) cells.push_back(stepCell(model, row, c).id(c));
    return hstack({.spacing = 4}, cells).frame({.height = 64});
}

struct Screen {
    SyntheticModel* model;
    View body(BuildContext& context) const {
        context.observe(model->changed);
        Views tabs, sidebar, lanes;
        for (int t = 0; t < 6; ++t)
            tabs.push_back(
                pill("Track " + std::to_string(t + 1)).overlay(circle().fill(accent).frame({.width = 6, .height = 6}), top | trailing));
        for (int r = 0; r < 6; ++r) {
            sidebar.push_back(hstack({}, label("LANE " + std::to_string(r)), spacer(), pill("M"), pill("S")).frame({.height = 64}));
            lanes.push_back(lane(*model, r));
        }
        Views pages;
        for (int p = 0; p < 8; ++p) pages.push_back(pill(std::to_string(p + 1)));
        const View topBar = hstack({}, label("PULVAN", 14), pill("C E G B D F A"), spacer(), pill("Play"), pill("Swing 50%"), pill("Undo"),
                                   pill("Redo"), pill("Presets"), pill("Save"));
        const View card =
            hstack({.alignment = top, .spacing = 0}, vstack({.spacing = 4}, sidebar).frame({.width = 132}),
                   vstack({.spacing = 4}, lanes, hstack({.spacing = 4}, pages), hstack({.spacing = 4}, pages)).padding(leading, 12))
                .padding(12)
                .background(roundedRectangle(10).fill(panel))
                .overlay(roundedRectangle(10).stroke(border, 1));
        return vstack({.alignment = leading, .spacing = 12}, topBar, hstack({.spacing = 3}, tabs), card)
            .padding({.top = 12, .leading = 16, .bottom = 20, .trailing = 20})
            .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = top | leading});
    }
};

}  // namespace

View syntheticScreen(SyntheticModel& model) { return View(Screen{&model}); }

}  // namespace pulvan::bench
