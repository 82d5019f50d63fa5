#include "editor/store/stored_preferences.h"

#include "editor/store/store_services.h"

#include <exception>
#include <string_view>

namespace pulvan::store {

model::UserPreferences loadStoredUserPreferences(const foundation::UserDefaults& defaults) {
    const auto bytes = defaults.data(userPreferencesDefaultsKey);
    if (!bytes) return {};
    try {
        return model::decodeUserPreferences(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    } catch (const std::exception&) {
        return {};
    }
}

bool storeUserPreferences(foundation::UserDefaults& defaults, const model::UserPreferences& preferences) {
    const std::string text = model::encodeUserPreferences(preferences);
    return defaults.setData(userPreferencesDefaultsKey, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace pulvan::store
