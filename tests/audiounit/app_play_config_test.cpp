#include "audiounit/app_play_config.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace pulvan::au {
namespace {

using Numbers = std::vector<std::int32_t>;

std::unique_ptr<AppPlayConfig> build(const AppPlayArguments& arguments) {
    auto config = std::make_unique<AppPlayConfig>();
    buildAppPlayConfig(arguments, *config);
    return config;
}

TEST(AppPlayConfig, TrackCountAndSwingAreClamped) {
    struct Case {
        std::int64_t trackCount, swing;
        std::int32_t expectedTracks, expectedSwing;
    };
    const Case cases[] = {{0, 40, 1, 50}, {-3, 50, 1, 50}, {3, 62, 3, 62}, {7, 90, 6, 75}, {1LL << 40, 1LL << 40, 6, 75}};
    for (const Case& c : cases) {
        AppPlayArguments a;
        a.trackCount = c.trackCount;
        a.swingPercent = c.swing;
        auto config = build(a);
        EXPECT_EQ(config->trackCount, c.expectedTracks) << c.trackCount;
        EXPECT_EQ(config->swingPercent, c.expectedSwing) << c.swing;
    }
}

TEST(AppPlayConfig, PerTrackValuesAreClampedToTheirRanges) {
    Numbers channels{0, 17, 5}, resolutions{0, -4, 316}, directions{-1, 6, 5}, fills{4, -1, 3}, ccA{-5, 200, 64}, lastSteps{0, 65, 12},
        octaves{-9, 9, 2}, transposes{-20, 20, 7};
    AppPlayArguments a;
    a.trackCount = 3;
    a.channels = channels;
    a.resolutions = resolutions;
    a.directions = directions;
    a.fillModes = fills;
    a.ccANumbers = ccA;
    a.lastSteps = lastSteps;
    a.trackOctaves = octaves;
    a.trackTransposes = transposes;
    auto c = build(a);
    const std::int32_t expected[][8] = {
        // channel, resolution, direction, fill, CC A, last step, octave, transpose
        {0, 1, 0, 1, 0, 1, -3, -12},
        {15, 1, 0, 1, 127, 64, 3, 12},
        {4, 316, 5, 3, 64, 12, 2, 7},
    };
    for (int t = 0; t < 3; ++t) {
        const std::int32_t actual[8] = {c->channels[t],   c->resolutions[t], c->directions[t],   c->fillModes[t],
                                        c->ccANumbers[t], c->lastSteps[t],   c->trackOctaves[t], c->trackTransposes[t]};
        for (int f = 0; f < 8; ++f) EXPECT_EQ(actual[f], expected[t][f]) << "track " << t << " field " << f;
    }
}

TEST(AppPlayConfig, MissingEntriesAndTracksPastTheCountKeepTheDefaults) {
    Numbers channels{3, 3, 3, 3, 3, 3}, lastSteps{12, 12, 12, 12, 12, 12}, notesLastSteps{5};
    AppPlayArguments a;
    a.trackCount = 2;
    a.channels = channels;
    a.lastSteps = lastSteps;
    a.notesLastSteps = notesLastSteps;
    auto c = build(a);
    for (int t = 0; t < 6; ++t) {
        EXPECT_EQ(c->channels[t], t < 2 ? 2 : t) << t;  // past the count: channel t + 1
        EXPECT_EQ(c->lastSteps[t], t < 2 ? 12 : 64) << t;
    }
    EXPECT_EQ(c->notesLastSteps[0], 5);
    EXPECT_EQ(c->notesLastSteps[1], 12) << "a lane without its own entry follows the track's last step";
    EXPECT_EQ(c->velocityLastSteps[1], 12);
}

TEST(AppPlayConfig, ChordValuesFallBackToTheStepsNote) {
    Numbers notes(384, 0), counts(384, 1), values;
    notes[0] = 7;
    counts[0] = 3;
    notes[1] = 9;
    counts[1] = 0;  // counts as 1
    counts[2] = 40;
    values = {7, 11};  // the third value of step 0 is missing
    AppPlayArguments a;
    a.notesSteps = notes;
    a.noteStepChordCounts = counts;
    a.noteStepChordValues = values;
    auto c = build(a);
    EXPECT_EQ(c->noteStepChordCounts[0], 3);
    EXPECT_EQ(c->noteStepChordValues[0], 7);
    EXPECT_EQ(c->noteStepChordValues[1], 11);
    for (int k = 2; k < 17; ++k) EXPECT_EQ(c->noteStepChordValues[k], 7) << k;
    EXPECT_EQ(c->noteStepChordCounts[1], 1);
    for (int k = 0; k < 17; ++k) EXPECT_EQ(c->noteStepChordValues[17 + k], 9) << k;
    EXPECT_EQ(c->noteStepChordCounts[2], 17);
}

TEST(AppPlayConfig, PoolKeepsTheFirst128AndOutputChordsOnlyTheirCount) {
    Numbers pool(200), intervals(96, 5), counts{2, 20};
    for (int i = 0; i < 200; ++i) pool[i] = i;
    AppPlayArguments a;
    a.trackCount = 2;
    a.notePool = pool;
    a.outputChordCounts = counts;
    a.outputChordIntervals = intervals;
    auto c = build(a);
    EXPECT_EQ(c->notePoolCount, 128);
    EXPECT_EQ(c->notePool[127], 127);
    EXPECT_EQ(c->outputChordCounts[0], 2);
    EXPECT_EQ(c->outputChordIntervals[1], 5);
    EXPECT_EQ(c->outputChordIntervals[2], 0);
    EXPECT_EQ(c->outputChordCounts[1], 16);
}

}  // namespace
}  // namespace pulvan::au
