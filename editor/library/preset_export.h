#pragma once

#include "editor/library/preset_paths.h"

#include <string>

// Copying the whole library into "<folder>/Pulvan Presets" for backup or another machine.
namespace pulvan::library {

// Home's presets directly inside, each user folder that holds presets as a sub-folder
// under its on-disk name. Earlier copies are replaced file by file; other files stay.
// Answers the number of files copied; throws LibraryError.
int exportPresets(const URL& folder);

std::string exportSummaryMessage(int count);

}  // namespace pulvan::library
