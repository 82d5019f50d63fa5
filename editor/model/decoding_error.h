#pragma once
#include <stdexcept>
#include <string>

namespace pulvan::model {

// A document that is not JSON, lacks a required key or holds a value of the wrong type.
// The message names the place, e.g. "tracks[0].patterns[2].lanes[0]: unknown lane kind \"foo\"".
class DecodingError : public std::runtime_error {
public:
    explicit DecodingError(const std::string& reason, const std::string& path = {})
        : std::runtime_error(path.empty() ? reason : path + ": " + reason),
          reason_(reason),
          path_(path) {}

    const std::string& reason() const { return reason_; }
    // Keys and indices from the document's root to the bad value; empty at the root.
    const std::string& path() const { return path_; }

private:
    std::string reason_;
    std::string path_;
};

}  // namespace pulvan::model
