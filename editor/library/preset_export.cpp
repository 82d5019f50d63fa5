#include "editor/library/preset_export.h"

#include "editor/library/library_error.h"
#include "editor/library/preset_listing.h"
#include "platform/foundation/atomic_file.h"

#include <vector>

namespace pulvan::library {
namespace {

URL createdFolder(const URL& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) throw LibraryError::fromSystem(error);
    return folder;
}

// Copies through a temporary file, so an earlier copy is replaced only by a whole one.
void copyInto(const URL& file, const URL& folder) {
    auto read = foundation::readWholeFile(file);
    if (!read.bytes) throw LibraryError::fromSystem(read.error);
    if (auto error = foundation::writeFileAtomically(folder / file.filename(), *read.bytes)) throw LibraryError::fromSystem(error);
}

}  // namespace

int exportPresets(const URL& folder) {
    if (!isReachable(folder)) throw LibraryError::folderGone();
    const URL exportFolder = createdFolder(folder / "Pulvan Presets");

    const auto home = presetsDirectoryURL(false);
    if (!home) return 0;
    int copied = 0;
    for (const URL& file : listPresetFiles(*home)) {
        copyInto(file, exportFolder);
        ++copied;
    }
    // By location, not by name: two folders whose names differ only in case both count.
    for (const URL& source : listPresetFolders(*home)) {
        const std::vector<URL> files = listPresetFiles(source);
        if (files.empty()) continue;
        const URL target = createdFolder(exportFolder / source.filename());
        for (const URL& file : files) {
            copyInto(file, target);
            ++copied;
        }
    }
    return copied;
}

std::string exportSummaryMessage(int count) {
    if (count == 0) return "No presets to export yet.";
    return "Exported " + std::to_string(count) + " " + (count == 1 ? "preset" : "presets") + ".";
}

}  // namespace pulvan::library
