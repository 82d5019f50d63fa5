#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "editor/model/decoding_error.h"

// Strict reading of JSON values, as a typed decoder reads them: a boolean is not a number,
// 1.5 is not an integer, a string is not a number. Every failure throws DecodingError.
namespace pulvan::model::json_reading {

using Json = nlohmann::json;

[[noreturn]] void fail(const std::string& message);

// The bytes as JSON; anything that is not JSON fails.
Json parseDocument(std::string_view data);

// The value must be an object; `what` names it in the error.
void requireObject(const Json& value, std::string_view what);
// The member under key, or nothing when it is absent or null.
const Json* optionalMember(const Json& object, std::string_view key);
// The member under key; an absent key fails (null then fails as a wrong type when read).
const Json& requiredMember(const Json& object, std::string_view key);
// The current key, or the legacy key when the current one is absent or null.
const Json* memberOrLegacy(const Json& object, std::string_view key, std::string_view legacyKey);

// Whole numbers that fit in 64 bits; an integral float such as 2.0 counts as a whole number.
std::int64_t readInteger(const Json& value);
bool readBool(const Json& value);
const std::string& readString(const Json& value);
const Json::array_t& readArray(const Json& value);
// Integers saturated to the range of int, for values the model keeps unclamped.
std::vector<int> readIntegerList(const Json& value);

int clampedInt(std::int64_t value, std::int64_t low, std::int64_t high);
int saturatedInt(std::int64_t value);

std::string joinedPath(std::string_view place, const std::string& innerPath);

// Runs body; a DecodingError it throws gets `place` put in front of its path.
template <typename Body>
decltype(auto) within(std::string_view place, Body&& body) {
    try {
        return body();
    } catch (const DecodingError& error) {
        throw DecodingError(error.reason(), joinedPath(place, error.path()));
    }
}

// The same for an array element: its place "[index]" is only built when reading fails.
template <typename Body>
decltype(auto) withinIndex(std::size_t index, Body&& body) {
    try {
        return body();
    } catch (const DecodingError& error) {
        throw DecodingError(error.reason(), joinedPath("[" + std::to_string(index) + "]", error.path()));
    }
}

// An array read element by element; a failing element is named by its index.
template <typename Item, typename Read>
std::vector<Item> readList(const Json& value, Read read) {
    const auto& array = readArray(value);
    std::vector<Item> items;
    items.reserve(array.size());
    for (std::size_t i = 0; i < array.size(); ++i) {
        items.push_back(withinIndex(i, [&] { return read(array[i]); }));
    }
    return items;
}

}  // namespace pulvan::model::json_reading
