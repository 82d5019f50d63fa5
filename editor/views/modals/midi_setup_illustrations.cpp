#include "editor/views/modals/midi_setup_illustrations.h"

#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <cmath>
#include <string>

namespace pulvan::views {
namespace {

using ui::FontWeight;
using ui::Point;
using ui::View;

constexpr ui::Size pictureSize{480, 300};
constexpr Color pictureBackground = colorFromHex(0x141417);
constexpr Color cardFill = colorFromHex(0x222228);
constexpr Color cardStroke = colorFromHex(0x3A3A42);
constexpr Color dimLine = colorFromHex(0x4A4A52);

// The view at a place of the picture (top-left origin), in a frame of the given size.
View placed(View view, double x, double y, double width, double height) {
    return view.frame({.width = width, .height = height}).offset(x, y);
}

View label(std::string string, double size, FontWeight weight, Color color, unsigned alignment = ui::Edge::leading) {
    return ui::text(std::move(string))
        .font(ui::Font::system(size, weight))
        .foregroundColor(color)
        .lineLimit(1)
        .frame({.maxWidth = ui::infinity, .maxHeight = ui::infinity, .alignment = alignment});
}

View card(double x, double y, double width, double height, std::string title) {
    return placed(ui::zstack({.alignment = ui::unit::topLeading}, ui::roundedRectangle(8).fill(cardFill),
                             ui::roundedRectangle(8).strokeBorder(cardStroke, 1.5),
                             label(std::move(title), 15, FontWeight::bold, primaryTextColor)
                                 .frame({.height = 20})
                                 .padding({.top = 10, .leading = 12, .trailing = 12})),
                  x, y, width, height);
}

// A field of a settings form: the caption, then the value in a box with a small chevron.
View field(double x, double y, std::string caption, std::string value, Color valueColor) {
    return placed(
        ui::vstack({.alignment = ui::Edge::leading, .spacing = 4},
                   label(std::move(caption), 11, FontWeight::semibold, secondaryTextColor).frame({.height = 14}),
                   ui::hstack({.spacing = 6}, label(std::move(value), 13, FontWeight::semibold, valueColor),
                              ui::symbol("chevron.down").font(ui::Font::system(9, FontWeight::bold)).foregroundColor(secondaryTextColor))
                       .padding({.leading = 8, .trailing = 8})
                       .frame({.height = 26})
                       .background(ui::roundedRectangle(4).fill(controlBackgroundColor))
                       .overlay(ui::roundedRectangle(4).strokeBorder(cardStroke, 1))),
        x, y, 132, 44);
}

// A line through the points, ending in an arrow head at the last one.
View arrow(std::vector<Point> points, Color color, double width) {
    return ui::canvas([points = std::move(points), color, width](ui::DisplayList& list, const ui::Rect&) {
        if (points.size() < 2) return;
        ui::Path line;
        line.moveTo(points.front());
        for (std::size_t i = 1; i < points.size(); ++i) line.lineTo(points[i]);
        list.add(ui::draw::Stroke{line, color, {width, ui::LineCap::round, ui::LineJoin::round}});
        const Point tip = points.back(), from = points[points.size() - 2];
        const double angle = std::atan2(tip.y - from.y, tip.x - from.x), length = 4 + 2.5 * width;
        ui::Path head;
        head.moveTo(tip)
            .lineTo({tip.x - length * std::cos(angle - 0.45), tip.y - length * std::sin(angle - 0.45)})
            .lineTo({tip.x - length * std::cos(angle + 0.45), tip.y - length * std::sin(angle + 0.45)})
            .close();
        list.add(ui::draw::Fill{head, color});
    });
}

View picture(ui::Views layers) {
    layers.insert(layers.begin(), ui::color(pictureBackground));
    return ui::zstackOf({.alignment = ui::unit::topLeading}, std::move(layers))
        .frame({.width = pictureSize.width, .height = pictureSize.height, .alignment = ui::unit::topLeading});
}

// Six tracks, each on its own channel; the instrument listens to "Pulvan" and lets channel 2 through.
View midiChannelsPicture() {
    const auto& accents = trackAccentColors();
    ui::Views layers{card(16, 20, 168, 260, "Pulvan")};
    for (int track = 0; track < 6; ++track) {
        const double y = 58 + track * 36;
        const Color accent = accents[static_cast<std::size_t>(track) % accents.size()];
        const bool passes = track == 1;
        layers.push_back(placed(ui::hstack({.spacing = 8}, ui::circle().fill(accent).frame({.width = 10, .height = 10}),
                                           label("Track " + std::to_string(track + 1), 12, FontWeight::semibold, primaryTextColor),
                                           label("Ch " + std::to_string(track + 1), 12, FontWeight::bold,
                                                 passes ? accent : secondaryTextColor, ui::Edge::trailing))
                                    .padding({.leading = 10, .trailing = 10})
                                    .background(ui::roundedRectangle(5).fill(passes ? accent.opacity(0.16) : controlBackgroundColor)),
                                28, y, 144, 28));
        layers.push_back(arrow({{172, y + 14}, {226, 150}}, passes ? accent : dimLine, passes ? 3 : 1.5));
    }
    layers.push_back(placed(ui::circle().fill(pictureBackground), 220, 144, 12, 12));
    layers.push_back(placed(ui::circle().strokeBorder(primaryTextColor, 2), 220, 144, 12, 12));
    layers.push_back(arrow({{232, 150}, {290, 150}}, accents[1], 3));
    layers.push_back(placed(label("Ch 2 only", 11, FontWeight::semibold, accents[1], ui::Edge::center), 226, 124, 64, 16));
    layers.push_back(card(296, 54, 168, 192, "Instrument"));
    layers.push_back(placed(label("MIDI IN", 11, FontWeight::bold, secondaryTextColor), 308, 84, 120, 14));
    layers.push_back(field(314, 104, "Source", "Pulvan", primaryTextColor));
    layers.push_back(field(314, 166, "Channel", "2", accents[1]));
    return picture(std::move(layers));
}

// A lane of 16 step values as bars rising from the bottom of its box.
View ccLane(const std::vector<double>& values, Color color) {
    return ui::canvas([values, color](ui::DisplayList& list, const ui::Rect& box) {
        const double step = box.width / static_cast<double>(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            const double height = std::max(2.0, values[i] * box.height);
            ui::Path bar;
            bar.addRoundedRect({box.x + static_cast<double>(i) * step + 1, box.maxY() - height, step - 2, height}, 1.5);
            list.add(ui::draw::Fill{bar, color});
        }
    });
}

// A knob with its value arc, the parameter's name and its controller number.
View knob(double x, double y, std::string name, std::string controller, double value, Color color) {
    View dial = ui::canvas([value, color](ui::DisplayList& list, const ui::Rect& box) {
        const Point centre = box.center();
        const double radius = std::min(box.width, box.height) / 2 - 4;
        constexpr double start = 0.75 * M_PI, sweep = 1.5 * M_PI;
        ui::Path track;
        track.arc(centre, radius, start, start + sweep, true);
        list.add(ui::draw::Stroke{track, dimLine, {5, ui::LineCap::round}});
        ui::Path filled;
        filled.arc(centre, radius, start, start + sweep * value, true);
        list.add(ui::draw::Stroke{filled, color, {5, ui::LineCap::round}});
        const double angle = start + sweep * value;
        ui::Path pointer;
        pointer.moveTo(centre).lineTo({centre.x + (radius - 8) * std::cos(angle), centre.y + (radius - 8) * std::sin(angle)});
        list.add(ui::draw::Stroke{pointer, primaryTextColor, {3, ui::LineCap::round}});
    });
    return placed(ui::vstack({.spacing = 4}, dial.frame({.width = 58, .height = 58}),
                             label(std::move(name), 12, FontWeight::semibold, primaryTextColor, ui::Edge::center).frame({.height = 15}),
                             label(std::move(controller), 11, FontWeight::bold, color, ui::Edge::center).frame({.height = 14})),
                  x, y, 76, 100);
}

// The two controller lanes of a track, each turning one knob of the instrument.
View midiCCsPicture() {
    const Color laneA = trackAccentColors()[0], laneB = trackAccentColors()[2];
    ui::Views layers{card(16, 20, 200, 260, "Pulvan")};
    const std::vector<double> valuesA{0.2, 0.35, 0.5, 0.65, 0.8, 0.95, 0.8, 0.6, 0.4, 0.3, 0.45, 0.6, 0.75, 0.9, 0.7, 0.5};
    const std::vector<double> valuesB{0.9, 0.7, 0.5, 0.3, 0.2, 0.3, 0.5, 0.7, 0.9, 0.6, 0.3, 0.2, 0.4, 0.6, 0.8, 0.5};
    struct Lane {
        std::string name;
        const std::vector<double>& values;
        Color color;
        double y;
    };
    for (const Lane& lane : {Lane{"CC A", valuesA, laneA, 60}, Lane{"CC B", valuesB, laneB, 168}}) {
        layers.push_back(placed(label(lane.name, 12, FontWeight::bold, lane.color), 30, lane.y, 80, 16));
        layers.push_back(placed(ccLane(lane.values, lane.color).padding(6).background(ui::roundedRectangle(4).fill(controlBackgroundColor)),
                                30, lane.y + 20, 172, 72));
    }
    layers.push_back(card(292, 20, 172, 260, "Instrument"));
    layers.push_back(knob(340, 54, "Cutoff", "CC 74", 0.62, laneA));
    layers.push_back(knob(340, 166, "Resonance", "CC 71", 0.38, laneB));
    layers.push_back(arrow({{204, 116}, {248, 116}, {248, 84}, {330, 84}}, laneA, 2.5));
    layers.push_back(arrow({{204, 224}, {248, 224}, {248, 196}, {330, 196}}, laneB, 2.5));
    return picture(std::move(layers));
}

// Notes on a piano roll; the note marked legato glides into the next one, as a mono instrument plays it.
View midiSlidePicture() {
    const Color accent = trackAccentColors()[0];
    constexpr double gridX = 30, gridY = 44, cell = 26, rows = 5;
    View roll = ui::canvas([accent](ui::DisplayList& list, const ui::Rect&) {
        for (int row = 0; row <= rows; ++row) {
            ui::Path line;
            line.moveTo({gridX, gridY + row * 20}).lineTo({gridX + 16 * cell, gridY + row * 20});
            list.add(ui::draw::Stroke{line, dimLine.opacity(0.6), {1}});
        }
        for (int column = 0; column <= 16; column += 4) {
            ui::Path line;
            line.moveTo({gridX + column * cell, gridY}).lineTo({gridX + column * cell, gridY + rows * 20});
            list.add(ui::draw::Stroke{line, dimLine, {1}});
        }
        struct Note {
            double step, length, row;
        };
        for (const Note& note : {Note{0, 3, 3}, Note{4, 3, 1}, Note{7, 4, 4}, Note{12, 3, 2}}) {
            ui::Path bar;
            bar.addRoundedRect({gridX + note.step * cell + 1, gridY + note.row * 20 + 2, note.length * cell - 2, 16}, 3);
            list.add(ui::draw::Fill{bar, accent});
        }
        // The glide from the held note (steps 4 to 6) into the next (step 7).
        ui::Path glide;
        glide.moveTo({gridX + 6.5 * cell, gridY + 1 * 20 + 10})
            .cubicTo({gridX + 7.6 * cell, gridY + 4 * 20 + 10}, {gridX + 7.2 * cell, gridY + 1 * 20 + 10},
                     {gridX + 7.0 * cell, gridY + 4 * 20 + 10});
        list.add(ui::draw::Stroke{glide, primaryTextColor, {2.5, ui::LineCap::round}});
    });
    // The HOLD/LEGATO lane under the roll: the step before the glide is legato.
    View lane = ui::canvas([accent](ui::DisplayList& list, const ui::Rect&) {
        for (int step = 0; step < 16; ++step) {
            ui::Path box;
            box.addRoundedRect({gridX + step * cell + 2, 176, cell - 4, 26}, 3);
            const bool legato = step == 6;
            list.add(ui::draw::Fill{box, legato ? accent : controlBackgroundColor});
            if (legato) {
                ui::Path mark;
                mark.moveTo({gridX + step * cell + 7, 196}).quadTo({gridX + step * cell + cell - 7, 182}, {gridX + step * cell + 13, 182});
                list.add(ui::draw::Stroke{mark, colorFromHex(0x000000), {2, ui::LineCap::round}});
            }
        }
    });
    return picture({placed(label("slide", 12, FontWeight::bold, primaryTextColor), gridX + 7.7 * cell, 20, 60, 18), roll,
                    placed(label("HOLD/LEGATO", 11, FontWeight::bold, secondaryTextColor), gridX, 156, 120, 16),
                    placed(label("legato", 11, FontWeight::bold, accent, ui::Edge::center), gridX + 5 * cell, 206, 3 * cell, 16), lane,
                    placed(ui::hstack({.spacing = 10},
                                      label("MONO", 12, FontWeight::bold, colorFromHex(0x000000), ui::Edge::center)
                                          .frame({.width = 64, .height = 26})
                                          .background(ui::roundedRectangle(4).fill(primaryTextColor)),
                                      label("Portamento time", 12, FontWeight::semibold, primaryTextColor),
                                      ui::capsule()
                                          .fill(dimLine)
                                          .frame({.width = 110, .height = 6})
                                          .overlay(ui::capsule().fill(accent).frame({.width = 70, .height = 6}), ui::unit::leading)),
                           gridX, 244, 16 * cell, 30)});
}

}  // namespace

std::vector<MidiSetupIllustration> midiSetupIllustrations() {
    return {{"1_midi", pictureSize, midiChannelsPicture()},
            {"2_cc", pictureSize, midiCCsPicture()},
            {"3_slide", pictureSize, midiSlidePicture()}};
}

}  // namespace pulvan::views
