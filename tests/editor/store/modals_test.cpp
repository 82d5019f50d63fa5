#include "editor/store/stored_preferences.h"
#include "tests/editor/store/store_fixture.h"

using pulvan::store::DropdownRequest;
using pulvan::store::KezModal;

namespace pulvan::test {

TEST_F(StoreTest, ReArmingRestartsTheFullTenSecondsForBothFlags) {
    auto store = makeStore();
    store->setPatternCopyToActive(true);
    main.advanceSeconds(9);
    store->setPatternSwapWithActive(true);
    main.advanceSeconds(9.999);
    EXPECT_TRUE(store->patternCopyToActive().get());
    EXPECT_TRUE(store->patternSwapWithActive().get());
    main.advanceSeconds(0.001);
    EXPECT_FALSE(store->patternCopyToActive().get());
    EXPECT_FALSE(store->patternSwapWithActive().get());
    main.advanceSeconds(60);
    EXPECT_FALSE(store->patternCopyToActive().get());
}

TEST_F(StoreTest, SceneAndPatternArmingTimeOutIndependently) {
    auto store = makeStore();
    store->setSceneCopyToActive(true);
    main.advanceSeconds(5);
    store->setPatternCopyToActive(true);
    main.advanceSeconds(5);
    EXPECT_FALSE(store->sceneCopyToActive().get());
    EXPECT_TRUE(store->patternCopyToActive().get());
    store->setPatternCopyToActive(false);
    store->setSceneSwapWithActive(true);
    main.advanceSeconds(10);
    EXPECT_FALSE(store->sceneSwapWithActive().get());
}

TEST_F(StoreTest, AnArmingTimerDiesWithItsStore) {
    auto store = makeStore();
    store->setSceneSwapWithActive(true);
    store.reset();
    main.advanceSeconds(20);  // would touch a destroyed store if the timer survived it
    SUCCEED();
}

TEST_F(StoreTest, ClosingTheLastModalClosesTheDropdown) {
    auto store = makeStore();
    store->setActiveModal(KezModal::notesPool);
    store->dropdown.set(DropdownRequest{});
    store->setActiveModal(KezModal::chord);
    EXPECT_TRUE(store->dropdown->has_value()) << "another modal is still open";
    store->setActiveModal(std::nullopt);
    EXPECT_FALSE(store->dropdown->has_value());
}

TEST_F(StoreTest, UnpinningClosesAnOpenPerformanceModalAndSavesThePreference) {
    auto store = makeStore();
    store->setPinPerformanceDialog(true);
    store->setActiveModal(KezModal::performance);
    store->setPinPerformanceDialog(false);
    EXPECT_FALSE(store->activeModal().get().has_value());
    EXPECT_FALSE(store->pinPerformanceDialog().get());
    EXPECT_FALSE(store::loadStoredUserPreferences(foundation::UserDefaults::standard()).isPerformanceDialogPinned);

    store->setPinPerformanceDialog(true);
    EXPECT_TRUE(store::loadStoredUserPreferences(foundation::UserDefaults::standard()).isPerformanceDialogPinned);
    store->setActiveModal(KezModal::about);
    store->setPinPerformanceDialog(false);
    EXPECT_EQ(store->activeModal().get(), KezModal::about) << "only the performance modal closes";
}

TEST_F(StoreTest, AForcedPinStaysPinnedAndOpen) {
    auto store = makeStore();
    store->forcePinnedPerformanceDialog = true;
    store->setActiveModal(KezModal::performance);
    store->setPinPerformanceDialog(false);
    EXPECT_TRUE(store->pinPerformanceDialog().get());
    EXPECT_EQ(store->activeModal().get(), KezModal::performance);
    EXPECT_FALSE(foundation::UserDefaults::standard().data(store::userPreferencesDefaultsKey).has_value()) << "nothing to save";
}

TEST_F(StoreTest, TrackIndicesAreBoundedToTheVisibleTracks) {
    model::Preset eight = model::defaultPreset();
    while (eight.tracks.size() < 8) {
        eight.tracks.push_back(eight.tracks[0]);
        eight.tracks.back().id = foundation::Uuid::random();
    }
    auto store = makeStore(eight);
    EXPECT_EQ(store->visibleTrackCount(), 6);
    store->activeTrackIndex.set(7);
    EXPECT_EQ(store->clampedActiveTrackIndex(), 5);
    store->activeTrackIndex.set(-3);
    EXPECT_EQ(store->clampedActiveTrackIndex(), 0);
    store->activeTrackIndex.set(7);
    int notifications = 0;
    auto connection = store->activeTrackIndex.subscribe([&](const int&) { ++notifications; });
    store->normalizeActiveTrackIndex();
    store->normalizeActiveTrackIndex();
    EXPECT_EQ(store->activeTrackIndex.get(), 5);
    EXPECT_EQ(notifications, 1) << "an index already in range is not written again";

    model::Preset none = model::defaultPreset();
    none.tracks.clear();
    auto empty = makeStore(none);
    empty->activeTrackIndex.set(4);
    EXPECT_EQ(empty->visibleTrackCount(), 0);
    EXPECT_EQ(empty->clampedActiveTrackIndex(), 0);
    empty->normalizeActiveTrackIndex();
    EXPECT_EQ(empty->activeTrackIndex.get(), 0);
}

TEST_F(StoreTest, AuditionNotesTakeTheHostedRouteOnlyInAHost) {
    auto store = makeStore();
    std::vector<std::array<int, 3>> hosted;
    store->sendNoteOn(60, 200, 0);
    store->sendNoteOff(61, 17);
    store->isHostedUI.set(true);
    store->sendNoteOn(62, 100, 1);  // no hook installed: nothing sent anywhere
    store->hooks.hostedSendImmediateMIDI = [&](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { hosted.push_back({s, d1, d2}); };
    store->sendNoteOn(-5, 100, 16);
    EXPECT_EQ(sentMIDI, (std::vector<std::array<int, 3>>{{0x90, 60, 127}, {0x8F, 61, 0}}));
    EXPECT_EQ(hosted, (std::vector<std::array<int, 3>>{{0x9F, 0, 100}}));
}

}  // namespace pulvan::test
