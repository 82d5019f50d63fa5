#pragma once
#include <cstdint>
#include <string>

namespace pulvan::model {

// A step resolution code: the last two digits are the note value (1, 2, 4, 8, 16, 32), the
// hundreds digit 0 straight, 1 dotted, 2 triplet. 16 = 1/16, 108 = 1/8 dotted, 204 = 1/4 triplet.
inline constexpr int kDefaultResolution = 16;

// Any code outside -99...299 or whose remainder by 100 is not a note value becomes 16.
int normalizedResolution(std::int64_t code);

// "1/16", "1/8D", "1/4T", for the normalised code.
std::string resolutionLabel(std::int64_t code);

}  // namespace pulvan::model
