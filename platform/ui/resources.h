#pragma once
// Files the editor ships in the bundle's Contents/Resources (fonts, images).
#include <string>

namespace pulvan::ui {

// The Contents/Resources folder of the bundle this code was loaded from, else of a bundle the program
// has loaded (the standalone application); else, in tests and tools, the build tree's bundle.
std::string resourcesDirectory();

}  // namespace pulvan::ui
