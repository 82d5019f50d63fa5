#include "editor/model/user_preferences.h"

#include "editor/model/json_reading.h"
#include "editor/model/json_writer.h"

#include <algorithm>

namespace pulvan::model {

using namespace json_reading;

namespace {

constexpr std::int64_t kMinUIMaxWidth = 1000;
constexpr std::int64_t kMaxUIMaxWidth = 2000;
constexpr std::int64_t kUIMaxWidthStep = 50;

std::int64_t integerOr(const JsonValue& json, std::string_view key, std::int64_t fallback) {
    const auto member = optionalMember(json, key);
    return member ? within(key, [&] { return readInteger(*member); }) : fallback;
}

}  // namespace

int normalizedUIMaxWidth(std::int64_t width) {
    const std::int64_t above = std::clamp(width, kMinUIMaxWidth, kMaxUIMaxWidth) - kMinUIMaxWidth;
    // Non-negative here, so adding half a step before dividing rounds halves away from zero.
    const std::int64_t steps = (above + kUIMaxWidthStep / 2) / kUIMaxWidthStep;
    return static_cast<int>(kMinUIMaxWidth + steps * kUIMaxWidthStep);
}

UserPreferences decodeUserPreferences(std::string_view data) {
    const JsonTape tape(data);
    const JsonValue json = tape.root();
    requireObject(json, "the preferences");
    UserPreferences preferences;
    if (const auto pinned = optionalMember(json, "is_performance_dialog_pinned")) {
        preferences.isPerformanceDialogPinned = within("is_performance_dialog_pinned", [&] { return readBool(*pinned); });
    }
    preferences.uiMaxWidth = normalizedUIMaxWidth(integerOr(json, "ui_max_width", 2000));
    preferences.hostedWindowWidth = clampedInt(integerOr(json, "hosted_window_width", 1280), kMinHostedWindowWidth, kMaxHostedWindowWidth);
    preferences.defaultCCA = clampedInt(integerOr(json, "default_cc_a", 74), 0, 127);
    preferences.defaultCCB = clampedInt(integerOr(json, "default_cc_b", 71), 0, 127);
    return preferences;
}

std::string encodeUserPreferences(const UserPreferences& preferences) {
    JsonWriter writer;
    writer.beginObject();
    writer.key("is_performance_dialog_pinned");
    writer.boolean(preferences.isPerformanceDialogPinned);
    for (const auto& [key, value] :
         {std::pair{"ui_max_width", preferences.uiMaxWidth}, std::pair{"hosted_window_width", preferences.hostedWindowWidth},
          std::pair{"default_cc_a", preferences.defaultCCA}, std::pair{"default_cc_b", preferences.defaultCCB}}) {
        writer.key(key);
        writer.number(value);
    }
    writer.endObject();
    return writer.take();
}

}  // namespace pulvan::model
