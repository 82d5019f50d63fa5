#include "engine/lane_position.h"
#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

namespace {

struct DirectionCase {
    model::PatternDirection direction;
    std::int32_t engineDirection;
};

}  // namespace

class PlayheadPosition : public StoreTest, public ::testing::WithParamInterface<DirectionCase> {};

TEST_P(PlayheadPosition, AgreesWithTheEngineForEveryTrackLengthAndStep) {
    model::Preset preset = presetWithTracks(6);
    for (auto& track : preset.tracks) track.patterns[2].direction = GetParam().direction;
    auto store = makeStore(preset);
    for (int track = 0; track < 6; ++track) {
        store->activeTrackIndex.set(track);
        store->selections.set({{preset.tracks[static_cast<std::size_t>(track)].id, store::TrackSelection{2, 0}}});
        for (int length : {1, 2, 3, 7, 16, 33, 64}) {
            for (std::int64_t g = -70; g < 200; ++g) {
                ASSERT_EQ(store->stepIndexInPattern(g, length), engine::lanePosition(g, length, GetParam().engineDirection, track))
                    << "track " << track << " length " << length << " step " << g;
            }
        }
        for (int length : {-3, 0}) {
            for (std::int64_t g : {-5, 0, 1, 17, 1000}) EXPECT_EQ(store->stepIndexInPattern(g, length), 0) << "length " << length;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Directions, PlayheadPosition,
                         ::testing::Values(DirectionCase{model::PatternDirection::forward, engine::kDirectionForward},
                                           DirectionCase{model::PatternDirection::backward, engine::kDirectionBackward},
                                           DirectionCase{model::PatternDirection::pingPong, engine::kDirectionPingPong},
                                           DirectionCase{model::PatternDirection::pingPong2, engine::kDirectionPingPong2},
                                           DirectionCase{model::PatternDirection::random, engine::kDirectionRandom},
                                           DirectionCase{model::PatternDirection::smartRandom, engine::kDirectionSmartRandom}));

}  // namespace pulvan::test
