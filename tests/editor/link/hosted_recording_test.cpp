#include "tests/editor/link/link_fixture.h"

namespace pulvan::test {
namespace {

using Mode = store::HostedMIDIRecordMode;

// The record closures as a host integration with a recorder would set them.
class HostedRecordingTest : public StoreLinkTest {
protected:
    bool moving = true;
    int engineState = 0;
    int engineBars = 0;
    double progress = 0.4;
    std::optional<std::vector<std::uint8_t>> take;
    std::vector<std::string> calls;

    void SetUp() override {
        auto& h = store->hooks;
        h.hostedAppPlayState = [this](int) { return std::pair<int, bool>{0, moving}; };
        h.hostedAppPlayMeasureProgress = [this] { return progress; };
        h.hostedAppPlaySetMIDIRecordArmStart = [this](bool on) { calls.push_back(on ? "start on" : "start off"); };
        h.hostedAppPlaySetMIDIRecordArmStop = [this](bool on) { calls.push_back(on ? "stop on" : "stop off"); };
        h.hostedAppPlayMIDIRecordState = [this] { return engineState; };
        h.hostedAppPlayMIDIRecordBarCount = [this] { return engineBars; };
        h.hostedAppPlayConsumeMIDIRecordData = [this] { return std::exchange(take, std::nullopt); };
        store->isHostedUI.set(true);
    }
};

struct ToggleCase {
    Mode from;
    bool transportMoving;
    Mode to;
    std::vector<std::string> calls;
    double progress;
};

TEST_F(HostedRecordingTest, TheRecordButtonAdvancesItsStateMachine) {
    const ToggleCase cases[] = {
        {Mode::idle, true, Mode::armStart, {"start on"}, 0.4},
        {Mode::armStart, true, Mode::idle, {"start off"}, 0.0},
        {Mode::recording, true, Mode::armStop, {"stop on"}, 0.4},
        {Mode::armStop, true, Mode::recording, {"stop off"}, 0.0},
        {Mode::idle, false, Mode::idle, {}, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.from));
        calls.clear();
        moving = c.transportMoving;
        store->dialog.set(std::nullopt);
        store->hostedMIDIRecordMode.set(c.from);
        store->hostedMIDIRecordMeasureProgress.set(0.0);
        link->toggleHostedMIDIRecord();
        EXPECT_EQ(store->hostedMIDIRecordMode.get(), c.to);
        EXPECT_EQ(calls, c.calls);
        EXPECT_DOUBLE_EQ(store->hostedMIDIRecordMeasureProgress.get(), c.progress);
        EXPECT_EQ(store->dialog->has_value(), !c.transportMoving);
    }
    EXPECT_EQ(store->dialog.get()->message, "Start host transport first.");
}

TEST_F(HostedRecordingTest, AFinishedTakeOpensTheExportWithItsLength) {
    engineState = 2;
    engineBars = 4;
    link->pollHostedMIDIRecordState();
    EXPECT_EQ(store->hostedMIDIRecordMode.get(), Mode::recording);
    EXPECT_EQ(store->hostedMIDIRecordBarCount.get(), 4);
    engineState = 0;
    take = std::vector<std::uint8_t>{'M', 'T', 'h', 'd'};
    link->pollHostedMIDIRecordState();
    EXPECT_EQ(store->pendingMIDIExportData, (std::vector<std::uint8_t>{'M', 'T', 'h', 'd'}));
    EXPECT_EQ(store->pendingMIDIExportBarCount, 4);
    EXPECT_NE(store->pendingMIDIExportFileName.find("4bars.mid"), std::string::npos) << store->pendingMIDIExportFileName;
    EXPECT_TRUE(store->isMIDIExportFolderPickerPresented.get());
}

}  // namespace
}  // namespace pulvan::test
