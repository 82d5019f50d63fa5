#include "platform/ui/resources.h"

#include <dlfcn.h>

#include <filesystem>

namespace pulvan::ui {

std::string resourcesDirectory() {
    static const std::string directory = [] {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&resourcesDirectory), &info) && info.dli_fname) {
            // Inside a bundle: Contents/x86_64-linux/Pulvan.so next to Contents/Resources.
            const std::filesystem::path binary = std::filesystem::absolute(info.dli_fname);
            const std::filesystem::path architecture = binary.parent_path();
            if (binary.extension() == ".so" && architecture.filename() == "x86_64-linux" &&
                architecture.parent_path().filename() == "Contents")
                return (architecture.parent_path() / "Resources").string();
        }
        return std::string(PULVAN_BUILD_RESOURCES_DIR);
    }();
    return directory;
}

}  // namespace pulvan::ui
