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
        if (const char* folder = std::getenv("PULVAN_GRID_PNG")) h->render().writePNG((std::filesystem::path(folder) / (name + ".png")).string());
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
// the columns the playhead left and entered and the playing page's mark.
TEST_F(GridGolden, APlayheadTickReevaluatesOnlyThePlayheadReaders) {
    show(sixTracksWithChords());
    constexpr std::size_t readers = 3 * 16 + 4 + 8;  // three strips' columns, the pages, the pattern slots
    EXPECT_EQ(store->playhead.didChange.subscriberCount(), readers);
    int storeChanges = 0;
    const auto counting = store->didChange.connect([&] { ++storeChanges; });
    for (int step = 0; step < 20; ++step) moveTo(step);
    EXPECT_EQ(storeChanges, 0);
    moveTo(2);
    h->root().takeDamage();
    moveTo(3);
    const ui::Rect damage = h->root().takeDamage(), gate = h->frame("gate-lane"), page = h->frame("page-1");
    const ui::Rect expected = ui::Rect{gate.x + 2 * gate.width / 16, gate.y, 2 * gate.width / 16, page.y + 1 - gate.y}.united(page);
    EXPECT_LE(std::abs(damage.x - expected.x) + std::abs(damage.maxX() - expected.maxX()), 2) << "left at " << damage.x << ", right at " << damage.maxX();
    EXPECT_LE(std::abs(damage.y - expected.y) + std::abs(damage.maxY() - page.y - 1), 2) << "top at " << damage.y << ", bottom at " << damage.maxY();
    EXPECT_EQ(store->playhead.didChange.subscriberCount(), readers);
}

}  // namespace
}  // namespace pulvan::views
