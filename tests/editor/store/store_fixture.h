#pragma once
#include <gtest/gtest.h>

#include "editor/library/default_preset_file.h"
#include "editor/model/preset.h"
#include "editor/store/sequencer_store.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/pasteboard.h"
#include "tests/platform/foundation/temp_folder.h"

#include <array>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace pulvan::test {

// The pattern the editor shows.
inline const model::Pattern& activePattern(const store::SequencerStore& store) {
    return store.preset->tracks[static_cast<std::size_t>(store.clampedActiveTrackIndex())]
        .patterns[static_cast<std::size_t>(store.activePatternIndex())];
}

inline std::vector<int> first(const model::Lane& lane, std::size_t count) {
    return {lane.steps.begin(), lane.steps.begin() + static_cast<std::ptrdiff_t>(count)};
}

// Shows the given pattern slot (which may not exist) for a track.
inline void selectPattern(store::SequencerStore& store, int track, int slot) {
    store.selections.modify([&](auto& map) { map[store.preset->tracks[static_cast<std::size_t>(track)].id].pattern = slot; });
}

// A store on a manual main queue, an in-memory pasteboard and temp folders for
// the user defaults and the preset library, recording what it sends out.
class StoreTest : public ::testing::Test {
protected:
    struct Refresh {
        bool forceAllNotesOff;
        std::set<int> releaseTracks;
        std::set<int> queuedReleases;  // what the store had queued when it asked
    };

    TempFolder home;
    ScopedEnvironment dataHome{"XDG_DATA_HOME", (home.path() / "data").string()};
    ScopedEnvironment configHome{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    foundation::ManualMainQueue main;
    foundation::MemoryPasteboard pasteboard;
    std::vector<Refresh> refreshes;
    std::vector<std::array<int, 3>> sentMIDI;

    std::unique_ptr<store::SequencerStore> makeStore(std::optional<model::Preset> preset = std::nullopt) {
        store::StoreServices services{main.queue(), pasteboard, foundation::UserDefaults::standard(), {}, library::readDefaultPresetFile};
        services.standaloneMIDISend = [this](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { sentMIDI.push_back({s, d1, d2}); };
        auto store = std::make_unique<store::SequencerStore>(std::move(services), std::move(preset));
        store->appPlayConfigurationRefresh = [this, raw = store.get()](bool force, const std::set<int>& release) {
            refreshes.push_back({force, release, raw->pendingAppPlayTrackNoteReleaseIndices});
        };
        return store;
    }

    // One undoable edit through the store, as a command makes it.
    static void edit(store::SequencerStore& store, const std::string& label, int octave) {
        store.beginTransaction(label);
        store.preset.modify([&](model::Preset& p) { p.tracks[0].octave = octave; });
        store.endTransaction();
    }
};

}  // namespace pulvan::test
