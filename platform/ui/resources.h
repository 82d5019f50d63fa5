#pragma once
// Files the editor ships in the bundle's Contents/Resources (fonts, images).
#include <string>

namespace pulvan::ui {

// The Contents/Resources folder of the bundle this code was loaded from; inside a program linked
// with the layer directly (tests, tools), the build tree's bundle.
std::string resourcesDirectory();

}  // namespace pulvan::ui
