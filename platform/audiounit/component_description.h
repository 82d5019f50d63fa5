#pragma once
#include <cstdint>
#include <string_view>

namespace pulvan::au {

// A four-character code such as 'aumi', packed big-endian into 32 bits.
constexpr std::uint32_t fourCharCode(std::string_view code) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | (i < code.size() ? static_cast<unsigned char>(code[i]) : 0u);
    return value;
}

// Identifies a kind of audio unit; the registry instantiates by it.
struct ComponentDescription {
    std::uint32_t componentType = 0;
    std::uint32_t componentSubType = 0;
    std::uint32_t componentManufacturer = 0;
    std::uint32_t componentFlags = 0;
    std::uint32_t componentFlagsMask = 0;
};

// A query matches a registered description when each of its non-zero codes is equal; zero is a wildcard.
constexpr bool describesComponent(const ComponentDescription& query, const ComponentDescription& registered) {
    auto fits = [](std::uint32_t wanted, std::uint32_t actual) { return wanted == 0 || wanted == actual; };
    return fits(query.componentType, registered.componentType) && fits(query.componentSubType, registered.componentSubType) &&
           fits(query.componentManufacturer, registered.componentManufacturer) &&
           (registered.componentFlags & query.componentFlagsMask) == (query.componentFlags & query.componentFlagsMask);
}

}  // namespace pulvan::au
