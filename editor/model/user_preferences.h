#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace pulvan::model {

// The editor's persisted preferences (not part of any preset).
struct UserPreferences {
    bool isPerformanceDialogPinned = false;
    int uiMaxWidth = 2000;
    int hostedWindowWidth = 1280;
    int defaultCCA = 74;
    int defaultCCB = 71;

    friend bool operator==(const UserPreferences&, const UserPreferences&) = default;
};

inline constexpr int kMinHostedWindowWidth = 640;
inline constexpr int kMaxHostedWindowWidth = 3200;

// Clamped to 1000...2000, then rounded to the nearest multiple of 50 (halves away from zero).
int normalizedUIMaxWidth(std::int64_t width);

// Every key optional; values bounded as the store applies them. Throws DecodingError.
UserPreferences decodeUserPreferences(std::string_view data);
// Every key written.
std::string encodeUserPreferences(const UserPreferences& preferences);

}  // namespace pulvan::model
