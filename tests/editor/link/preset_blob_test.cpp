#include "editor/model/preset_json.h"
#include "tests/editor/link/link_fixture.h"
#include "tests/editor/link/recording_hooks.h"

#include <nlohmann/json.hpp>

namespace pulvan::test {
namespace {

constexpr const char* kUnreadable =
    "The preset stored in this project could not be read. Its data is preserved: saving the project will keep it unchanged. "
    "You can replace it with the current state.";
constexpr const char* kNewer =
    "This project was saved with a newer version of Pulvan and cannot be loaded here. Its data is preserved: saving the project "
    "will keep it unchanged. Update Pulvan to load it, or replace it with the current state.";

class PresetBlobTest : public BridgeTest {
protected:
    void rename(const std::string& name) {
        store().beginTransaction("Rename track");
        store().preset.modify([&](model::Preset& p) { p.tracks[0].name = name; });
        store().endTransaction();
    }
    // What the host does when it restores a project.
    void hostRestores(const std::string& blob) {
        setEngineBlob(blob);
        live.engine->hostStateVersion.fetch_add(1);
    }
    std::string presetText(const std::function<void(model::Preset&)>& change) {
        model::Preset preset = model::defaultPreset();
        change(preset);
        return model::encodePreset(preset);
    }
};

TEST_F(PresetBlobTest, APresetSavedInTheProjectReplacesTheStartingPresetAndARestoreIsFollowed) {
    setEngineBlob(presetText([](model::Preset& p) { p.tracks[0].name = "From project"; }));
    start();
    EXPECT_EQ(store().preset->tracks[0].name, "From project");
    EXPECT_FALSE(store().dialog.get());

    hostRestores(presetText([](model::Preset& p) { p.tracks[0].name = "Restored"; }));
    EXPECT_EQ(store().preset->tracks[0].name, "From project") << "nothing before the poll";
    bridge->link().pollHostedEngineState();
    EXPECT_EQ(store().preset->tracks[0].name, "Restored");
}

struct PreservedCase {
    const char* name;
    std::string blob;
    const char* message;
};

TEST_F(PresetBlobTest, ABlobThatCannotBeLoadedIsPreservedByteForByteAndPrompted) {
    const PreservedCase cases[] = {
        {"not JSON", std::string("\x01\x02not json\xff\x00!", 13), kUnreadable},
        {"JSON but not a preset", R"({"version":"v11","tracks":"none"})", kUnreadable},
        {"a newer version", R"({"version":"v99","future":true})", kNewer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bridge.reset();
        setEngineBlob(c.blob);
        start();
        const auto& dialog = store().dialog.get();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->kind, store::DialogRequest::Kind::confirm);
        EXPECT_EQ(dialog->title, "Preset not loaded");
        EXPECT_EQ(dialog->message, c.message);
        EXPECT_EQ(dialog->confirmLabel, "Replace");
        EXPECT_EQ(dialog->cancelLabel, "Keep");
        EXPECT_TRUE(dialog->prefersGlobalAccent);
        EXPECT_EQ(store().hostedPreservedStateBlob, std::vector<std::uint8_t>(c.blob.begin(), c.blob.end()));

        rename("Edited meanwhile");
        bridge->stop();
        EXPECT_EQ(engineBlob(), c.blob) << "saving the project keeps the restored bytes";
    }
}

TEST_F(PresetBlobTest, ReplacingThePreservedBlobPushesTheCurrentPreset) {
    setEngineBlob("garbage");
    start();
    rename("Mine");
    const auto dialog = store().dialog.get();
    ASSERT_TRUE(dialog);
    dialog->onConfirm("");
    EXPECT_FALSE(store().hostedPreservedStateBlob);
    const auto json = nlohmann::json::parse(engineBlob());
    EXPECT_EQ(json.at("tracks").at(0).at("name"), "Mine");
    EXPECT_EQ(json.at("version"), "v11");
}

struct EditNoticeCase {
    const char* name;
    std::function<void()> act;
    int notices;  // how often the host hears that its project was edited
};

// The host marks its project modified for every change that reaches the blob it keeps, and for
// nothing else: not for a choice of view, and not for a state that it restored itself.
TEST_F(PresetBlobTest, TheHostHearsOfEveryEditOfTheBlobItKeepsAndOfNothingElse) {
    const auto toggleGate = [this] {
        store().beginTransaction("Edit gate");
        store().setLaneStepValue(model::LaneKind::gate, 2, store().activeLaneFor(model::LaneKind::gate).steps[2] == 0 ? 1 : 0);
        store().endTransaction();
    };
    const auto restore = [this](const std::string& blob) {
        hostRestores(blob);
        bridge->link().pollHostedEngineState();
    };
    const std::string restored = presetText([](model::Preset& p) { p.tracks[0].name = "Restored"; });
    const EditNoticeCase cases[] = {
        {"a GATE step toggled", toggleGate, 1},
        {"the toggle undone", [&] { toggleGate(), store().undo(); }, 2},
        {"the swing moved", [&] { store().setSwingPercent(62); }, 1},
        {"the swing set to what it is", [&] { store().setSwingPercent(store().preset->swingPercent); }, 0},
        {"another page shown", [&] { store().selectPage(2); }, 0},
        {"another pattern chosen to play", [&] { store().selectPatternForTrack(2, 0); }, 1},
        {"the host restores its project", [&] { restore(restored); }, 0},
        {"an edit after the restore", [&] { restore(restored), toggleGate(); }, 1},
        {"the host restores a blob kept unread", [&] { restore("garbage"), toggleGate(); }, 0},
        {"that blob replaced by the user", [&] { restore("garbage"), store().dialog.get()->onConfirm(""); }, 1},
    };
    for (const EditNoticeCase& c : cases) {
        SCOPED_TRACE(c.name);
        bridge.reset();
        setEngineBlob("");
        start();
        int notices = 0;
        bridge->presetEdited = [&] { ++notices; };
        c.act();
        EXPECT_EQ(notices, c.notices);
        bridge->stop();
        toggleGate();
        EXPECT_EQ(notices, c.notices) << "after the store is released";
    }
}

TEST_F(PresetBlobTest, AnEditDuringTheMIDIDrainIsPushedOnceWhenItEnds) {
    live.hooks = recordingHooks(live.engine.get());
    start();
    store().preset.modify([](model::Preset& p) { p.notesPoolInput = model::NotesPoolInput::midiIn; });
    for (int note : {60, 64, 67}) live.engine->incomingMIDI.push(0x90, static_cast<std::uint8_t>(note), 100);
    recordedCalls().clear();
    bridge->drainIncomingMIDI();
    EXPECT_EQ(store().preset->notesPool, (std::vector<int>{60, 64, 67}));
    EXPECT_EQ(std::count(recordedCalls().begin(), recordedCalls().end(), "blob"), 1);
}

TEST_F(StoreLinkTest, EachSwitchOfTheUIModeIsLoggedOnceAndARepeatNotAtAll) {
    const struct {
        bool hosted;
        const char* logged;
    } switches[] = {
        {false, ""},  // the store starts standalone
        {true, "UI mode updated: hosted\n"},
        {true, ""},
        {false, "UI mode updated: standalone\n"},
        {false, ""},
        {true, "UI mode updated: hosted\n"},
    };
    for (const auto& s : switches) {
        ::testing::internal::CaptureStderr();
        link->setHostedUI(s.hosted);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), s.logged) << (s.hosted ? "hosted" : "standalone");
    }
}

}  // namespace
}  // namespace pulvan::test
