#pragma once
#include "editor/model/user_preferences.h"
#include "platform/foundation/user_defaults.h"

namespace pulvan::store {

// The preferences stored under "kez.user_preferences", or the defaults when
// there are none or they do not decode. Keys that are missing take their defaults.
model::UserPreferences loadStoredUserPreferences(const foundation::UserDefaults& defaults);

// Writes the whole document; false when it could not be stored.
bool storeUserPreferences(foundation::UserDefaults& defaults, const model::UserPreferences& preferences);

}  // namespace pulvan::store
