#pragma once
#include "editor/model/preset.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/pasteboard.h"
#include "platform/foundation/user_defaults.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace pulvan::store {

// What a store stands on: the queue of the thread it lives on (timers), the
// general pasteboard, the user defaults, the standalone MIDI output, and the
// preset it starts from when none is given.
struct StoreServices {
    foundation::MainQueue& mainQueue;
    foundation::Pasteboard& pasteboard;
    foundation::UserDefaults userDefaults = foundation::UserDefaults::standard();
    // Sends one message through the standalone MIDI sender; empty: nothing is sent.
    std::function<void(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)> standaloneMIDISend;
    // The user's "Default" preset file; empty or none: the default preset.
    std::function<std::optional<model::Preset>()> defaultPresetFile;
};

// The keys of the store's entries in the user defaults.
inline constexpr const char* userPreferencesDefaultsKey = "kez.user_preferences";
inline constexpr const char* midiMappingsDefaultsKey = "kez.midi_mappings_v1";

}  // namespace pulvan::store
