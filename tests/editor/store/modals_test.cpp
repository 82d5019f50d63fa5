#include "editor/store/stored_preferences.h"
#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

using pulvan::store::DropdownRequest;
using pulvan::store::KezModal;

namespace pulvan::test {

TEST_F(StoreTest, ArmingFlagsTimeOutTenSecondsAfterTheirLastArmingEachOnItsOwnAndNeverAfterTheStore) {
    auto store = makeStore();
    store->setPatternCopyToActive(true);
    store->setSceneCopyToActive(true);
    main.advanceSeconds(9);
    store->setPatternSwapWithActive(true);  // re-arming restarts the full ten seconds for both pattern flags
    main.advanceSeconds(1);
    EXPECT_FALSE(store->sceneCopyToActive().get());
    main.advanceSeconds(8.999);
    EXPECT_TRUE(store->patternCopyToActive().get());
    EXPECT_TRUE(store->patternSwapWithActive().get());
    main.advanceSeconds(0.001);
    EXPECT_FALSE(store->patternCopyToActive().get());
    EXPECT_FALSE(store->patternSwapWithActive().get());
    store->setSceneSwapWithActive(true);
    main.advanceSeconds(10);
    EXPECT_FALSE(store->sceneSwapWithActive().get());
    store->setSceneSwapWithActive(true);
    store.reset();
    main.advanceSeconds(20);  // would touch a destroyed store if the timer survived it
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

TEST_F(StoreTest, UnpinningClosesAnOpenPerformanceModalAndSavesThePreferenceUnlessThePinIsForced) {
    auto store = makeStore();
    store->forcePinnedPerformanceDialog = true;
    store->setActiveModal(KezModal::performance);
    store->setPinPerformanceDialog(false);
    EXPECT_TRUE(store->pinPerformanceDialog().get());
    EXPECT_EQ(store->activeModal().get(), KezModal::performance);
    EXPECT_FALSE(foundation::UserDefaults::standard().data(store::userPreferencesDefaultsKey).has_value()) << "nothing to save";

    store->forcePinnedPerformanceDialog = false;
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

TEST_F(StoreTest, TrackIndicesAreBoundedToTheVisibleTracks) {
    auto store = makeStore(presetWithTracks(8));
    EXPECT_EQ(store->visibleTrackCount(), 6);
    store->activeTrackIndex.set(-3);
    EXPECT_EQ(store->clampedActiveTrackIndex(), 0);
    store->activeTrackIndex.set(7);
    EXPECT_EQ(store->clampedActiveTrackIndex(), 5);
    int notifications = 0;
    auto connection = store->activeTrackIndex.subscribe([&](const int&) { ++notifications; });
    store->normalizeActiveTrackIndex();
    store->normalizeActiveTrackIndex();
    EXPECT_EQ(store->activeTrackIndex.get(), 5);
    EXPECT_EQ(notifications, 1) << "an index already in range is not written again";

    auto empty = makeStore(presetWithTracks(0));
    empty->activeTrackIndex.set(4);
    EXPECT_EQ(empty->visibleTrackCount(), 0);
    EXPECT_EQ(empty->clampedActiveTrackIndex(), 0);
    empty->normalizeActiveTrackIndex();
    EXPECT_EQ(empty->activeTrackIndex.get(), 0);
}

}  // namespace pulvan::test
