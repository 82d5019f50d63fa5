#include "editor/model/json_reading.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pulvan::model::json_reading {
namespace {

std::string typeName(const Json& value) {
    if (value.is_number_float()) return "a fraction";
    if (value.is_number()) return "an integer";
    return std::string("a ") + value.type_name();
}

}  // namespace

void fail(const std::string& message) { throw DecodingError(message); }

Json parseDocument(std::string_view data) {
    try {
        return Json::parse(data.begin(), data.end());
    } catch (const Json::exception& error) {
        fail(std::string("not valid JSON: ") + error.what());
    }
}

void requireObject(const Json& value, std::string_view what) {
    if (!value.is_object()) fail("expected " + std::string(what) + " object, found " + typeName(value));
}

const Json* optionalMember(const Json& object, std::string_view key) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return nullptr;
    return &*found;
}

const Json& requiredMember(const Json& object, std::string_view key) {
    const auto found = object.find(key);
    if (found == object.end()) fail("missing key \"" + std::string(key) + "\"");
    return *found;
}

const Json* memberOrLegacy(const Json& object, std::string_view key, std::string_view legacyKey) {
    if (const Json* current = optionalMember(object, key)) return current;
    return optionalMember(object, legacyKey);
}

std::int64_t readInteger(const Json& value) {
    if (value.is_number_integer() && !value.is_number_unsigned()) return value.get<std::int64_t>();
    if (value.is_number_unsigned()) {
        const auto unsignedValue = value.get<std::uint64_t>();
        if (unsignedValue > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            fail("integer " + std::to_string(unsignedValue) + " does not fit in 64 bits");
        }
        return static_cast<std::int64_t>(unsignedValue);
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        // 2^63 is exact as a double; anything from there up does not fit.
        constexpr double kLimit = 9223372036854775808.0;
        if (std::isfinite(number) && std::trunc(number) == number && number >= -kLimit && number < kLimit) {
            return static_cast<std::int64_t>(number);
        }
        fail("expected an integer, found " + value.dump());
    }
    fail("expected an integer, found " + typeName(value));
}

bool readBool(const Json& value) {
    if (!value.is_boolean()) fail("expected a boolean, found " + typeName(value));
    return value.get<bool>();
}

const std::string& readString(const Json& value) {
    if (!value.is_string()) fail("expected a string, found " + typeName(value));
    return value.get_ref<const std::string&>();
}

const Json::array_t& readArray(const Json& value) {
    if (!value.is_array()) fail("expected an array, found " + typeName(value));
    return value.get_ref<const Json::array_t&>();
}

std::vector<int> readIntegerList(const Json& value) {
    return readList<int>(value, [](const Json& number) { return saturatedInt(readInteger(number)); });
}

int clampedInt(std::int64_t value, std::int64_t low, std::int64_t high) {
    return static_cast<int>(std::clamp(value, low, high));
}

int saturatedInt(std::int64_t value) {
    return clampedInt(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

std::string joinedPath(std::string_view place, const std::string& innerPath) {
    std::string path(place);
    if (!innerPath.empty() && innerPath.front() != '[') path += '.';
    return path + innerPath;
}

}  // namespace pulvan::model::json_reading
