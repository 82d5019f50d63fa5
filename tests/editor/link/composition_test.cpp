#include <gtest/gtest.h>

#include "editor/link/editor_composition.h"
#include "editor/model/preset.h"
#include "platform/midi/loopback_backend.h"
#include "platform/ui/content.h"
#include "platform/ui/harness.h"
#include "tests/editor/link/standalone/host_rig.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/support/thread_count.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace pulvan::link {
namespace {

using pulvan::test::ScopedEnvironment;
using pulvan::test::TempFolder;

// The standalone composition over temp folders, a loopback MIDI system and no desktop chooser at all:
// no session bus and nothing on PATH.
class Composition : public ::testing::Test {
protected:
    TempFolder home;
    ScopedEnvironment config{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    ScopedEnvironment data{"XDG_DATA_HOME", (home.path() / "data").string()};
    ScopedEnvironment noBus{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/pulvan-no-bus"};
    ScopedEnvironment noPrograms{"PATH", (home.path() / "bin").string()};
    midi::ScopedBackend midiSystem{std::make_shared<midi::LoopbackBackend>()};
    foundation::MainQueue queue;
    std::unique_ptr<EditorComposition> composition = EditorComposition::standalone(queue, test::sequencerRegistry());
    store::SequencerStore& store = composition->store();

    bool pumpUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < end) {
            queue.pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return done();
    }
};

// A drag that edits inside one transaction, as the lane views do; its press and release are the layer's.
ui::View editingDrag(store::SequencerStore& store) {
    return ui::color(ui::Color::black()).onPointer([&store](const ui::PointerEvent& e) {
        if (e.phase == ui::PointerPhase::press) store.beginTransaction("Move note");
        if (e.phase == ui::PointerPhase::move) store.setSwingPercent(60);
        if (e.phase == ui::PointerPhase::release || e.phase == ui::PointerPhase::cancel) store.endTransaction();
    });
}

TEST_F(Composition, AWholePresetEndsTheGestureUnderWayAndLeavesNoTransactionOpen) {
    ui::Harness harness([this] { return editingDrag(store); }, {200, 200});
    composition->cancelGestures = [&] { harness.root().cancelPointer(); };
    harness.press({50, 50});
    harness.move({60, 50});
    ASSERT_EQ(store.txnDepth, 1);
    composition->link().applyPreset(model::Preset{});  // a blob pull or a loaded preset
    EXPECT_EQ(store.txnDepth, 0);
    EXPECT_FALSE(store.canUndo().get()) << "the new document starts a fresh history";
    harness.release({60, 50});
    EXPECT_EQ(store.txnDepth, 0);
    EXPECT_FALSE(store.canUndo().get()) << "the gesture's late end records nothing";

    // A transaction whose view never ended it is abandoned as well.
    store.beginTransaction("Rename track");
    composition->cancelGestures = nullptr;
    composition->link().applyPreset(model::Preset{});
    EXPECT_EQ(store.txnDepth, 0);
    store.endTransaction();
    EXPECT_FALSE(store.canUndo().get());
}

TEST_F(Composition, WithoutADesktopChooserTheEditorAsksForAPath) {
    struct Case {
        const char* name;
        std::function<void(const store::DialogRequest&)> answer;
        bool chosen, cancelled;
    };
    const auto folder = home.path().string();
    const Case cases[] = {
        {"a folder", [&](const store::DialogRequest& d) { store.dialog.set(std::nullopt), d.onConfirm(folder); }, true, false},
        {"no such folder", [&](const store::DialogRequest& d) { store.dialog.set(std::nullopt), d.onConfirm(folder + "/missing"); }, false,
         false},
        {"dismissed", [&](const store::DialogRequest&) { store.dialog.set(std::nullopt); }, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<library::PickerResult> result;
        composition->presentChooser({true, {}}, std::nullopt, [&](const library::PickerResult& r) { result = r; });
        ASSERT_TRUE(pumpUntil([&] { return store.dialog.get().has_value(); }));
        const store::DialogRequest prompt = *store.dialog.get();
        EXPECT_EQ(prompt.kind, store::DialogRequest::Kind::prompt);
        EXPECT_EQ(prompt.title, "Choose a folder");
        c.answer(prompt);
        ASSERT_TRUE(result.has_value());
        const auto* error = std::get_if<library::PickerError>(&*result);
        EXPECT_EQ(error == nullptr, c.chosen);
        if (c.chosen) {
            EXPECT_EQ(std::get<std::vector<std::filesystem::path>>(*result).front(), folder);
        }
        if (error) {
            EXPECT_EQ(error->userCancelled, c.cancelled);
        }
    }
}

// The user's URL handler may take its time; opening a URL leaves no thread of ours waiting for it (a plug-in's
// module can be unloaded meanwhile) and hands the URL over untouched, whatever characters it holds.
TEST_F(Composition, OpeningAURLLeavesNoThreadBehindAndPassesTheURLAsItIs) {
    const std::filesystem::path bin = home.path() / "bin";
    std::filesystem::create_directories(bin);
    const std::filesystem::path received = home.path() / "received";
    {
        std::ofstream handler(bin / "xdg-open");
        handler << "#!/bin/sh\n/bin/sleep 1\n/usr/bin/printf '%s\\n' \"$1\" >> " << received << "\n";
    }
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    const std::vector<std::string> urls{"https://example.org/manual?a=1&b=2", "https://example.org/$(touch x);'q' `id` \"z\""};
    for (const std::string& url : urls) {
        const std::size_t before = pulvan::test::threadCount();
        composition->openURL(url);
        // Well before the handler is done.
        EXPECT_TRUE(pulvan::test::threadCountFallsTo(before, std::chrono::milliseconds(500))) << url;
    }
    std::string lines;
    ASSERT_TRUE(pumpUntil([&] {
        std::ifstream in(received);
        lines.assign(std::istreambuf_iterator<char>(in), {});
        return std::count(lines.begin(), lines.end(), '\n') == 2;
    }));
    EXPECT_NE(lines.find(urls[0] + "\n"), std::string::npos);
    EXPECT_NE(lines.find(urls[1] + "\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "x"));
}

}  // namespace
}  // namespace pulvan::link
