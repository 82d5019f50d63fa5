// Renders the editor's shared pieces into PNGs at 1x and 2x: gallery <folder>.
#include "platform/ui/harness.h"
#include "tests/editor/views/control_gallery.h"
#include "tests/editor/views/shell_gallery.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    int failures = 0;
    auto pieces = pulvan::views::shellGalleryPieces();
    for (auto& piece : pulvan::views::controlGalleryPieces()) pieces.push_back(std::move(piece));
    for (const auto& piece : pieces) {
        for (const double scale : {1.0, 2.0}) {
            pulvan::ui::Harness harness(piece.view, piece.size, scale);
            const auto path = folder / (piece.name + "@" + std::to_string(static_cast<int>(scale)) + "x.png");
            if (!harness.render().writePNG(path.string())) {
                std::fprintf(stderr, "could not write %s\n", path.c_str());
                ++failures;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
