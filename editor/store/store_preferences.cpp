#include "editor/store/sequencer_store.h"
#include "editor/store/stored_preferences.h"

#include <algorithm>

namespace pulvan::store {

void SequencerStore::saveUserPreferences(std::optional<UserPreferences> preferences) {
    const UserPreferences document = preferences.value_or(
        UserPreferences{pinPerformanceDialog_.get(), uiMaxContentWidth.get(), hostedWindowWidth, defaultCCA.get(), defaultCCB.get()});
    storeUserPreferences(services_.userDefaults, document);
}

void SequencerStore::loadUserPreferences() {
    // Already bounded by decoding. Applied as stored: no setter runs, so nothing is
    // saved back and no modal changes.
    const UserPreferences stored = loadStoredUserPreferences(services_.userDefaults);
    pinPerformanceDialog_.set(stored.isPerformanceDialogPinned);
    uiMaxContentWidth.set(stored.uiMaxWidth);
    hostedWindowWidth = stored.hostedWindowWidth;
    defaultCCA.set(stored.defaultCCA);
    defaultCCB.set(stored.defaultCCB);
}

void SequencerStore::loadMIDILearnMappings() {
    MIDILearnMappings mappings;
    const auto stored = services_.userDefaults.value(midiMappingsDefaultsKey);
    if (stored && stored->is_object()) {
        // One value that is not an integer makes the whole dictionary unreadable.
        const bool allIntegers = std::all_of(stored->begin(), stored->end(), [](const nlohmann::json& v) { return v.is_number_integer(); });
        if (allIntegers) {
            for (const auto& [key, value] : stored->items()) {
                const auto element = learnableElement(key);
                const auto cc = value.get<std::int64_t>();
                if (element && cc >= 1 && cc <= 127) mappings.ccByElement[*element] = static_cast<int>(cc);
            }
        }
    }
    midiLearnMappings.set(std::move(mappings));
}

}  // namespace pulvan::store
