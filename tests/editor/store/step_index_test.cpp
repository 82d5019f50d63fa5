#include "engine/lane_position.h"
#include "tests/editor/store/store_fixture.h"

#include <algorithm>
#include <numeric>

namespace pulvan::test {

namespace {

struct DirectionCase {
    model::PatternDirection direction;
    std::int32_t engineDirection;
};

}  // namespace

class PlayheadPosition : public StoreTest, public ::testing::WithParamInterface<DirectionCase> {
protected:
    std::unique_ptr<store::SequencerStore> storeWithDirection(model::PatternDirection direction, int activeTrack) {
        model::Preset preset = model::defaultPreset();
        while (preset.tracks.size() < 6) {
            preset.tracks.push_back(preset.tracks[0]);
            preset.tracks.back().id = foundation::Uuid::random();
        }
        for (auto& track : preset.tracks) track.patterns[2].direction = direction;
        auto store = makeStore(preset);
        store->activeTrackIndex.set(activeTrack);
        store->selections.set({{preset.tracks[static_cast<std::size_t>(activeTrack)].id, store::TrackSelection{2, 0}}});
        return store;
    }
};

TEST_P(PlayheadPosition, AgreesWithTheEngineForEveryTrackLengthAndStep) {
    for (int track = 0; track < 6; ++track) {
        auto store = storeWithDirection(GetParam().direction, track);
        for (int length : {1, 2, 3, 7, 16, 33, 64}) {
            for (std::int64_t g = -70; g < 200; ++g) {
                ASSERT_EQ(store->stepIndexInPattern(g, length), engine::lanePosition(g, length, GetParam().engineDirection, track))
                    << "track " << track << " length " << length << " step " << g;
            }
        }
    }
}

TEST_P(PlayheadPosition, LengthZeroOrOneAlwaysGivesZero) {
    auto store = storeWithDirection(GetParam().direction, 1);
    for (int length : {-3, 0, 1}) {
        for (std::int64_t g : {-5, 0, 1, 17, 1000}) EXPECT_EQ(store->stepIndexInPattern(g, length), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Directions, PlayheadPosition,
                         ::testing::Values(DirectionCase{model::PatternDirection::forward, engine::kDirectionForward},
                                           DirectionCase{model::PatternDirection::backward, engine::kDirectionBackward},
                                           DirectionCase{model::PatternDirection::pingPong, engine::kDirectionPingPong},
                                           DirectionCase{model::PatternDirection::pingPong2, engine::kDirectionPingPong2},
                                           DirectionCase{model::PatternDirection::random, engine::kDirectionRandom},
                                           DirectionCase{model::PatternDirection::smartRandom, engine::kDirectionSmartRandom}));

struct SequenceCase {
    model::PatternDirection direction;
    int length;
    std::int64_t firstStep;
    std::vector<int> positions;
};

TEST_F(StoreTest, PlayheadSequencesOfTheFixedDirections) {
    const std::vector<SequenceCase> cases{
        {model::PatternDirection::forward, 16, -1, {15, 0, 1}},
        {model::PatternDirection::backward, 4, 0, {3, 2, 1, 0, 3}},
        {model::PatternDirection::pingPong, 4, 0, {0, 1, 2, 3, 2, 1, 0, 1}},
        {model::PatternDirection::pingPong2, 4, 0, {0, 1, 2, 3, 3, 2, 1, 0}},
        {model::PatternDirection::pingPong, 2, 0, {0, 1, 0, 1}},
    };
    for (const auto& c : cases) {
        model::Preset preset = model::defaultPreset();
        preset.tracks[0].patterns[0].direction = c.direction;
        auto store = makeStore(preset);
        std::vector<int> positions;
        for (std::size_t i = 0; i < c.positions.size(); ++i) positions.push_back(store->stepIndexInPattern(c.firstStep + static_cast<std::int64_t>(i), c.length));
        EXPECT_EQ(positions, c.positions) << static_cast<int>(c.direction);
    }
}

TEST_F(StoreTest, SmartRandomPlaysEveryStepOncePerCycle) {
    model::Preset preset = model::defaultPreset();
    preset.tracks[0].patterns[0].direction = model::PatternDirection::smartRandom;
    auto store = makeStore(preset);
    std::vector<std::vector<int>> cycles;
    for (std::int64_t cycle = -2; cycle < 6; ++cycle) {
        std::vector<int> order;
        for (int i = 0; i < 8; ++i) order.push_back(store->stepIndexInPattern(cycle * 8 + i, 8));
        std::vector<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        std::vector<int> all(8);
        std::iota(all.begin(), all.end(), 0);
        EXPECT_EQ(sorted, all) << "cycle " << cycle;
        cycles.push_back(order);
    }
    EXPECT_NE(std::count(cycles.begin(), cycles.end(), cycles[0]), static_cast<long>(cycles.size())) << "the order changes between cycles";
}

}  // namespace pulvan::test
