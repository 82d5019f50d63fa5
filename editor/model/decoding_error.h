#pragma once
#include <stdexcept>
#include <string>

namespace pulvan::model {

// A document that is not JSON, lacks a required key or holds a value of the wrong type.
// The message names the place, e.g. "tracks[0].patterns[2].lanes: unknown lane kind \"foo\"".
class DecodingError : public std::runtime_error {
public:
    explicit DecodingError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace pulvan::model
