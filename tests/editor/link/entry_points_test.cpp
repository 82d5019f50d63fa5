#include "editor/link/entry_points.h"

#include "editor/store/stored_preferences.h"
#include "tests/editor/link/link_fixture.h"
#include "tests/support/thread_count.h"

#include <chrono>
#include <thread>

namespace pulvan::test {
namespace {

std::string blobOf(engine::SequencerEngine& engine) {
    std::lock_guard lock(engine.stateMutex);
    return std::string(engine.presetBlob.begin(), engine.presetBlob.end());
}

class EntryPointsTest : public LinkTest {};

TEST_F(EntryPointsTest, NullArgumentsAreIgnored) {
    EXPECT_EQ(KezVst3StoreCreate(nullptr), nullptr);
    EXPECT_EQ(KezVst3EditorViewCreate(nullptr, 0, 640, 365), nullptr);
    KezVst3StoreRelease(nullptr);
    KezVst3EditorViewRelease(nullptr);
}

TEST_F(EntryPointsTest, AnAddressThatIsNoLiveEngineGetsNoStore) {
    auto gone = std::make_unique<engine::SequencerEngine>();  // never entered
    const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(gone.get());
    EXPECT_EQ(KezVst3StoreCreate(&hooks), nullptr);
    EXPECT_TRUE(blobOf(*gone).empty()) << "nothing was called on it";
}

TEST_F(EntryPointsTest, CreateStartsTheEditorSideAndReleaseLeavesNothingRunning) {
    LiveEngine live;
    const std::size_t before = threadCount();
    void* holder = KezVst3StoreCreate(&live.hooks);
    ASSERT_NE(holder, nullptr);
    // The editor thread, and the MIDI layer's thread of the MIDI input where a MIDI system is running.
    EXPECT_GE(threadCount(), before + 1) << "the editor thread";
    EXPECT_FALSE(blobOf(*live.engine).empty()) << "the starting preset is in the engine";
    EXPECT_EQ(engine::copyRawConfig(*live.engine).size(), static_cast<std::size_t>(engine::kConfigBufferWordCount));

    KezVst3StoreRelease(holder);
    EXPECT_TRUE(threadCountFallsTo(before)) << threadCount() - before << " threads left";
}

TEST_F(EntryPointsTest, AViewKeepsTheHolderButPushesNothingAfterTheStoreWasReleased) {
    LiveEngine live;
    const std::size_t before = threadCount();
    void* holder = KezVst3StoreCreate(&live.hooks);
    void* view = KezVst3EditorViewCreate(holder, 0, 1280, 730);
    ASSERT_NE(view, nullptr);
    KezVst3StoreRelease(holder);
    EXPECT_GE(threadCount(), before + 1) << "the view still holds the editor side";
    KezVst3EnginePushPresetBlob(live.engine.get(), reinterpret_cast<const std::uint8_t*>("host"), 4);
    KezVst3EditorViewRelease(view);
    EXPECT_EQ(blobOf(*live.engine), "host");
    EXPECT_TRUE(threadCountFallsTo(before)) << threadCount() - before << " threads left";
}

TEST_F(EntryPointsTest, AnEngineThatGoesSilencesTheEditorSide) {
    auto live = std::make_unique<LiveEngine>();
    void* holder = KezVst3StoreCreate(&live->hooks);
    ASSERT_NE(holder, nullptr);
    live.reset();                                                 // leaves the registry, then its memory goes
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // polls run against the gone address
    KezVst3StoreRelease(holder);                                  // its last push finds no engine
}

struct WidthCase {
    std::optional<int> stored;
    double expected;
};

TEST_F(EntryPointsTest, PreferredWidthIsTheStoredWidthWithinItsBounds) {
    const WidthCase cases[] = {{std::nullopt, 1280}, {5000, 3200}, {100, 640}, {1500, 1500}};
    for (const auto& c : cases) {
        auto defaults = foundation::UserDefaults::standard();
        defaults.removeValue(store::userPreferencesDefaultsKey);
        if (c.stored) {
            model::UserPreferences preferences;
            preferences.hostedWindowWidth = *c.stored;
            const std::string text = model::encodeUserPreferences(preferences);
            defaults.setData(store::userPreferencesDefaultsKey, std::vector<std::uint8_t>(text.begin(), text.end()));
        }
        EXPECT_DOUBLE_EQ(KezVst3EditorPreferredWidth(), c.expected) << (c.stored ? *c.stored : -1);
    }
}

TEST(LiveEnginesTest, LeavingWaitsForACallInProgress) {
    int engine = 0;
    auto registration = std::make_unique<link::LiveEngineRegistration>(&engine);
    std::atomic<bool> inCall{false};
    std::atomic<bool> callEnded{false};
    std::thread editor([&] {
        link::LiveEngines::whileLive(&engine, [&] {
            inCall = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            callEnded = true;
        });
    });
    while (!inCall) std::this_thread::yield();
    registration.reset();
    EXPECT_TRUE(callEnded) << "the engine left while a call was still using it";
    editor.join();
}

}  // namespace
}  // namespace pulvan::test
