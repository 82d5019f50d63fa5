#include "editor/views/main/track_row.h"
#include "tests/editor/views/main/grid_fixture.h"
#include "tests/platform/ui/golden.h"

#include <cstdlib>
#include <filesystem>

namespace pulvan::views {
namespace {

using model::LaneKind;

// Six tracks, the first a poly track with chords on every step, its playhead on the given step.
model::Preset sixTracksWithChords() {
    model::Preset preset = test::presetWithTracks(6);
    model::Track& track = preset.tracks[0];
    track.poly = true;
    track.octave = 1;
    track.midiOutOffsetMs = 35;
    track.ccA = 200;
    model::Pattern& pattern = track.patterns[0];
    for (int i = 0; i < 32; ++i) {
        pattern.lane(LaneKind::gate).steps[static_cast<std::size_t>(i)] = i % 3 != 2;
        pattern.lane(LaneKind::tie).steps[static_cast<std::size_t>(i)] = i % 5 == 1 ? 1 : i % 7 == 3 ? 2 : 0;
        pattern.lane(LaneKind::fix).steps[static_cast<std::size_t>(i)] = i % 4 == 0;
        pattern.lane(LaneKind::notes).setChord({i % 5, 4 + i % 3, 7 + i % 5}, i);
    }
    for (LaneKind kind : model::allLaneKinds) pattern.lane(kind).lastStep = 28;
    pattern.lane(LaneKind::velocity).lastStep = 12;
    return preset;
}

class GridGolden : public GridTest {
protected:
    void moveTo(int globalStep) {
        store->playhead.globalStepByTrackID.set({{store->preset->tracks[0].id, globalStep}});
        h->update();
    }
    // Writes the screen for a person to look at when PULVAN_GRID_PNG names a folder.
    void keep(const std::string& name) {
        if (const char* folder = std::getenv("PULVAN_GRID_PNG"))
            h->render().writePNG((std::filesystem::path(folder) / (name + ".png")).string());
    }
};

TEST_F(GridGolden, TheDefaultPresetsGrid) {
    show();
    keep("grid_default");
    ui::expectMatchesGolden(h->render(), "grid_default");
}

TEST_F(GridGolden, SixTracksWithChordsAndAMovingPlayhead) {
    show(sixTracksWithChords());
    moveTo(5);
    moveTo(6);
    keep("grid_six_tracks");
    ui::expectMatchesGolden(h->render(), "grid_six_tracks");
    h->resize({1700, 900});
    store->activeLane.set(LaneKind::probability);
    store->setActivePage(1);
    store->toggleLastStepMode(store::LastStepMode::all);
    store->armPatternCopy();
    h->update();
    keep("grid_six_tracks_wide");
}

// Only the playhead layers of the strips, the pages' playhead marks and the launch progress follow
// the playhead; the rows follow the store, which a tick leaves alone, and a tick repaints no more than
// the columns the playhead left and entered, as two areas when they lie apart (the page wrap).
TEST_F(GridGolden, APlayheadTickReevaluatesOnlyThePlayheadReaders) {
    show(sixTracksWithChords());
    constexpr std::size_t readers = 3 * 16 + 4 + 8;  // three strips' columns, the pages, the pattern slots
    EXPECT_EQ(store->playhead.didChange.subscriberCount(), readers);
    int storeChanges = 0;
    const auto counting = store->didChange.connect([&] { ++storeChanges; });
    for (int step = 0; step < 20; ++step) moveTo(step);
    EXPECT_EQ(storeChanges, 0);
    struct Case {
        int from, to;
    };
    for (const Case c : {Case{2, 3}, Case{15, 0}}) {
        SCOPED_TRACE(testing::Message() << c.from << " to " << c.to);
        moveTo(c.from);
        h->root().takeDamage();
        moveTo(c.to);
        // Each column from the gate row to the foot of the tall lane, and nothing between them.
        const ui::Damage damage = h->root().takeDamage();
        const ui::Rect gate = h->frame("gate-lane"), tall = h->frame("tall-lane");
        const double column = gate.width / 16, height = tall.maxY() - gate.y;
        EXPECT_LE(damage.area(), 2 * (column + 2) * (height + 2));
        for (const int step : {c.from, c.to})
            EXPECT_TRUE(damage.contains({gate.x + (step + 0.5) * column, (gate.y + tall.maxY()) / 2})) << step;
        EXPECT_FALSE(damage.contains({gate.x + 8.5 * column, gate.midY()}));
        EXPECT_GE(damage.bounds().y, gate.y - 1);
        EXPECT_LE(damage.bounds().maxY(), tall.maxY() + 1);
    }
    EXPECT_EQ(store->playhead.didChange.subscriberCount(), readers);
}

// A one-cell edit repaints that step and what shows it in the same column (the lanes it gates), not the
// rows that watch the store and drew nothing new.
TEST_F(GridGolden, AOneCellEditDamagesOnlyItsStep) {
    show(sixTracksWithChords());
    struct Case {
        const char* row;
        int column;
    };
    for (const Case c : {Case{"gate-lane", 5}, Case{"tie-lane", 9}}) {
        SCOPED_TRACE(c.row);
        h->advance(1);
        h->root().takeDamage();
        h->click(step(c.row, c.column));
        const ui::Damage damage = h->root().takeDamage();
        const ui::Rect row = h->frame(c.row), tall = h->frame("tall-lane");
        const double column = row.width / 16;
        EXPECT_TRUE(damage.contains(step(c.row, c.column)));
        // A stroke's bounds reach out by its miter.
        EXPECT_GE(damage.bounds().x, row.x + c.column * column - 4);
        EXPECT_LE(damage.bounds().maxX(), row.x + (c.column + 1) * column + 4);
        EXPECT_LE(damage.area(), (column + 8) * (tall.maxY() - h->frame("gate-lane").y + 8));
    }
}

}  // namespace
}  // namespace pulvan::views
