#include "editor/model/resolution.h"

namespace pulvan::model {
namespace {

bool isNoteValue(std::int64_t value) { return value == 32 || value == 16 || value == 8 || value == 4 || value == 2 || value == 1; }

}  // namespace

int normalizedResolution(std::int64_t code) {
    if (code < -99 || code > 299) return kDefaultResolution;
    // The remainder keeps the sign of the code, so a negative code never names a note value.
    if (!isNoteValue(code % 100)) return kDefaultResolution;
    return static_cast<int>(code);
}

std::string resolutionLabel(std::int64_t code) {
    const int normalized = normalizedResolution(code);
    std::string label = "1/" + std::to_string(normalized % 100);
    switch (normalized / 100) {
        case 1: label += 'D'; break;
        case 2: label += 'T'; break;
        default: break;
    }
    return label;
}

}  // namespace pulvan::model
