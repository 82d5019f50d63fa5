#include "editor/model/json_reading.h"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

namespace pulvan::model::json_reading {

void fail(const std::string& message) { throw DecodingError(message); }

std::string typeName(JsonKind kind) {
    switch (kind) {
        case JsonKind::null: return "a null";
        case JsonKind::boolean: return "a boolean";
        case JsonKind::integer:
        case JsonKind::bigUnsigned: return "an integer";
        case JsonKind::fraction: return "a fraction";
        case JsonKind::string:
        case JsonKind::key: return "a string";
        case JsonKind::array: return "a array";
        case JsonKind::object: return "a object";
    }
    return {};
}

std::int64_t integerOfFraction(double number) {
    // 2^63 is exact as a double; anything from there up does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (std::isfinite(number) && std::trunc(number) == number && number >= -kLimit && number < kLimit) {
        return static_cast<std::int64_t>(number);
    }
    // Written as the documents' reference library writes a number.
    fail("expected an integer, found " + nlohmann::json(number).dump());
}

std::string joinedPath(std::string_view place, const std::string& innerPath) {
    std::string path(place);
    if (!innerPath.empty() && innerPath.front() != '[') path += '.';
    return path + innerPath;
}

}  // namespace pulvan::model::json_reading
