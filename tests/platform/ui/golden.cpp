#include "tests/platform/ui/golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace pulvan::ui {

void expectMatchesGolden(const Bitmap& bitmap, const std::string& name, GoldenTolerance tolerance) {
    const std::string goldenPath = std::string(PULVAN_GOLDEN_DIR) + "/" + name + ".png";
    const char* update = std::getenv("PULVAN_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::filesystem::create_directories(PULVAN_GOLDEN_DIR);
        EXPECT_TRUE(bitmap.writePNG(goldenPath)) << "could not write " << goldenPath;
        return;
    }
    const std::filesystem::path failures(PULVAN_GOLDEN_FAILURE_DIR);
    const auto keepActual = [&] {
        std::filesystem::create_directories(failures);
        const std::string actualPath = (failures / (name + ".png")).string();
        bitmap.writePNG(actualPath);
        return actualPath;
    };
    const auto golden = Bitmap::readPNG(goldenPath);
    if (!golden) {
        ADD_FAILURE() << "no golden image " << goldenPath << " (rendered: " << keepActual() << "; PULVAN_UPDATE_GOLDEN=1 writes it)";
        return;
    }
    const Bitmap::Difference difference = bitmap.compare(*golden, tolerance.channelDelta);
    if (difference.sizesDiffer || difference.differingPixels > tolerance.differingPixels) {
        ADD_FAILURE() << name << ": "
                      << (difference.sizesDiffer ? "size differs" : std::to_string(difference.differingPixels) + " pixels differ")
                      << " (largest channel delta " << difference.maxChannelDelta << "); rendered: " << keepActual();
    }
}

}  // namespace pulvan::ui
