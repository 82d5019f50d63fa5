// Writes the MIDI setup help's pictures as PNGs at twice their size: midi_setup_illustrations <folder>.
#include "editor/views/modals/midi_setup_illustrations.h"
#include "platform/ui/harness.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const auto& illustration : pulvan::views::midiSetupIllustrations()) {
        pulvan::ui::Harness harness([&] { return illustration.view; }, illustration.size, 2);
        const auto path = folder / (illustration.resourceName + ".png");
        if (!harness.render().writePNG(path.string())) {
            std::fprintf(stderr, "could not write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
