#pragma once
// A store over a temporary preset folder, its engine link and preset library, and the editor's services
// as the modals reach them, for views shown through the harness.
#include <gtest/gtest.h>

#include "editor/library/preset_library.h"
#include "editor/link/store_link.h"
#include "editor/store/sequencer_store.h"
#include "editor/views/shell/editor_services.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/pasteboard.h"
#include "platform/ui/harness.h"
#include "tests/editor/library/temp_library.h"
#include "tests/editor/views/recorded_services.h"

#include <memory>
#include <string>
#include <vector>

namespace pulvan::views::test {

// The harness's clock, for a library made before the harness.
struct HarnessClock final : foundation::Clock {
    const foundation::Clock* harness = nullptr;
    std::int64_t nowNanoseconds() const override { return harness ? harness->nowNanoseconds() : 0; }
};

// One MIDI message the store sent.
struct SentMIDI {
    int status, data1, data2;
    friend bool operator==(const SentMIDI&, const SentMIDI&) = default;
};

class ModalTest : public ::testing::Test {
protected:
    library::test::TempLibrary folder;
    foundation::ManualMainQueue main;
    foundation::MemoryPasteboard pasteboard;
    // What left through the standalone sender (audition notes while nothing plays).
    std::vector<SentMIDI> sent;
    store::SequencerStore store{store::StoreServices{main.queue(), pasteboard, foundation::UserDefaults::standard(),
                                                     [this](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) {
                                                         sent.push_back({s, d1, d2});
                                                     }}};
    link::StoreLink link{store};
    HarnessClock clock;
    library::PresetLibrary library{store,
                                   {.encodedPresetData = [this]() -> std::optional<std::string> {
                                        auto bytes = link.encodedPresetData();
                                        if (!bytes) return std::nullopt;
                                        return std::string(bytes->begin(), bytes->end());
                                    },
                                    .applyPresetData =
                                        [this](std::string_view data) {
                                            return link.applyPresetData({data.begin(), data.end()});
                                        }},
                                   {&clock}};
    RecordedServices services{library};
    std::unique_ptr<ui::Harness> harness;

    // The view over the store and the services, at the size.
    ui::Harness& show(std::function<ui::View()> view, ui::Size size) {
        harness = std::make_unique<ui::Harness>(
            [this, view = std::move(view)] { return view().environmentObject(store).environmentObject<EditorServices>(services); }, size);
        clock.harness = &harness->clock().clock();
        return *harness;
    }
    void writePreset(const std::string& relativePath, int swingPercent) {
        library::test::TempLibrary::write(folder.home() / relativePath, library::test::validPresetJSON(swingPercent));
    }
    int swing() const { return store.preset->swingPercent; }
};

}  // namespace pulvan::views::test
