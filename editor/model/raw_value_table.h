#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

// Lookup between an enum and its text, for the small enums of the model.
namespace pulvan::model::detail {

template <typename Enum, std::size_t N>
using RawValueTable = std::array<std::pair<Enum, std::string_view>, N>;

template <typename Enum, std::size_t N>
std::string_view textOf(const RawValueTable<Enum, N>& table, Enum value) {
    for (const auto& [entry, text] : table) {
        if (entry == value) return text;
    }
    return {};
}

template <typename Enum, std::size_t N>
std::optional<Enum> valueOf(const RawValueTable<Enum, N>& table, std::string_view text) {
    for (const auto& [entry, entryText] : table) {
        if (entryText == text) return entry;
    }
    return std::nullopt;
}

}  // namespace pulvan::model::detail
