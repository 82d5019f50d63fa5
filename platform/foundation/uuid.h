#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pulvan::foundation {

// A random (version 4) UUID, written as 36 upper-case characters with hyphens.
class Uuid {
public:
    Uuid() = default;  // all zeros
    explicit Uuid(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}

    static Uuid random();
    // Accepts the 8-4-4-4-12 form in either case; anything else gives nothing.
    static std::optional<Uuid> parse(std::string_view text);

    std::string string() const;
    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }

    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend auto operator<=>(const Uuid&, const Uuid&) = default;

private:
    std::array<std::uint8_t, 16> bytes_{};
};

}  // namespace pulvan::foundation
