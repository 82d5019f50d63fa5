// The largest preset and a store around it, shared by the store's benchmarks.
#pragma once
#include "editor/model/preset.h"
#include "editor/store/sequencer_store.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/pasteboard.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace pulvan::bench {

using model::LaneKind;
using model::Preset;

// Six tracks of eight patterns, every lane 64 steps long with varied values and
// chords on every NOTES step.
inline Preset fullPreset() {
    Preset preset = model::defaultPreset();
    while (preset.tracks.size() < 6) {
        preset.tracks.push_back(preset.tracks[0]);
        preset.tracks.back().id = foundation::Uuid::random();
    }
    int seed = 1;
    for (auto& track : preset.tracks) {
        for (auto& pattern : track.patterns) {
            for (LaneKind kind : model::allLaneKinds) {
                auto& lane = pattern.lane(kind);
                lane.lastStep = 64;
                for (int step = 0; step < 64; ++step) {
                    seed = seed * 1103515245 + 12345;
                    lane.steps[static_cast<std::size_t>(step)] = (seed >> 16) & 0x7F;
                    if (kind == LaneKind::notes) lane.setChord({step % 12, (step + 4) % 12, (step + 7) % 12}, step);
                }
            }
        }
    }
    return preset;
}

// A store whose user defaults and preset library point at an empty temp folder.
struct BenchStore {
    BenchStore() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pulvan-bench-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        setenv("XDG_DATA_HOME", folder.c_str(), 1);
        store = std::make_unique<pulvan::store::SequencerStore>(
            pulvan::store::StoreServices{main.queue(), pasteboard, foundation::UserDefaults(folder / "defaults.json"), {}}, fullPreset());
    }
    ~BenchStore() {
        store.reset();
        std::filesystem::remove_all(folder);
    }
    std::filesystem::path folder;
    foundation::ManualMainQueue main;
    foundation::MemoryPasteboard pasteboard;
    std::unique_ptr<pulvan::store::SequencerStore> store;
};

}  // namespace pulvan::bench
