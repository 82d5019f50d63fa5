#pragma once
#include "editor/model/decoding_error.h"
#include "editor/model/json_tape.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Strict reading of JSON values, as a typed decoder reads them: a boolean is not a number,
// 1.5 is not an integer, a string is not a number. Every failure throws DecodingError.
// A value is a JsonValue or any type with the same members (kind, integer, text, elements,
// member...), so that a document already held in memory reads the same way.
namespace pulvan::model::json_reading {

[[noreturn]] void fail(const std::string& message);
// "a string", "an integer", "a fraction", "a array" ... as the messages name a found value.
std::string typeName(JsonKind kind);
// A whole number that fits in 64 bits, else the error for a fraction.
std::int64_t integerOfFraction(double number);

inline int clampedInt(std::int64_t value, std::int64_t low, std::int64_t high) { return static_cast<int>(std::clamp(value, low, high)); }
inline int saturatedInt(std::int64_t value) { return clampedInt(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()); }

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

// The value must be an object; `what` names it in the error.
template <typename Value>
void requireObject(const Value& value, std::string_view what) {
    if (value.kind() != JsonKind::object) {
        fail("expected " + std::string(what) + " object, found " + typeName(value.kind()));
    }
}

// The member under key, or nothing when it is absent or null.
template <typename Value>
std::optional<Value> optionalMember(const Value& object, std::string_view key) {
    std::optional<Value> found = object.member(key);
    if (found && found->kind() == JsonKind::null) return std::nullopt;
    return found;
}

// The member under key; an absent key fails (null then fails as a wrong type when read).
template <typename Value>
Value requiredMember(const Value& object, std::string_view key) {
    std::optional<Value> found = object.member(key);
    if (!found) fail("missing key \"" + std::string(key) + "\"");
    return *found;
}

// The current key, or the legacy key when the current one is absent or null.
template <typename Value>
std::optional<Value> memberOrLegacy(const Value& object, std::string_view key, std::string_view legacyKey) {
    if (auto current = optionalMember(object, key)) return current;
    return optionalMember(object, legacyKey);
}

// Whole numbers that fit in 64 bits; an integral float such as 2.0 counts as a whole number.
template <typename Value>
std::int64_t readInteger(const Value& value) {
    switch (value.kind()) {
        case JsonKind::integer: return value.integer();
        case JsonKind::bigUnsigned: fail("integer " + std::to_string(value.bigUnsigned()) + " does not fit in 64 bits");
        case JsonKind::fraction: return integerOfFraction(value.fraction());
        default: fail("expected an integer, found " + typeName(value.kind()));
    }
}

template <typename Value>
bool readBool(const Value& value) {
    if (value.kind() != JsonKind::boolean) fail("expected a boolean, found " + typeName(value.kind()));
    return value.boolean();
}

template <typename Value>
std::string_view readString(const Value& value) {
    if (value.kind() != JsonKind::string) fail("expected a string, found " + typeName(value.kind()));
    return value.text();
}

template <typename Value>
auto readArray(const Value& value) {
    if (value.kind() != JsonKind::array) fail("expected an array, found " + typeName(value.kind()));
    return value.elements();
}

// An array read element by element; a failing element is named by its index.
template <typename Item, typename Value, typename Read>
std::vector<Item> readList(const Value& value, Read read) {
    const auto elements = readArray(value);
    std::vector<Item> items;
    items.reserve(value.size());
    std::size_t i = 0;
    for (const Value element : elements) {
        items.push_back(withinIndex(i++, [&] { return read(element); }));
    }
    return items;
}

// Integers saturated to the range of int, for values the model keeps unclamped.
template <typename Value>
std::vector<int> readIntegerList(const Value& value) {
    const auto elements = readArray(value);
    std::vector<int> numbers;
    numbers.reserve(value.size());
    std::size_t i = 0;
    for (const Value number : elements) {
        // Plain integers, nearly every number of a preset, straight; the rest by the rules.
        numbers.push_back(number.kind() == JsonKind::integer ? saturatedInt(number.integer())
                                                             : withinIndex(i, [&] { return saturatedInt(readInteger(number)); }));
        ++i;
    }
    return numbers;
}

}  // namespace pulvan::model::json_reading
