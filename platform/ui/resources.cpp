#include "platform/ui/resources.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>
#include <optional>

namespace pulvan::ui {

namespace {

// A bundle's binary is Contents/x86_64-linux/<name>.so, next to Contents/Resources.
std::optional<std::string> bundleResources(const char* binaryPath) {
    if (!binaryPath || !*binaryPath) return std::nullopt;
    const std::filesystem::path binary = std::filesystem::absolute(binaryPath);
    const std::filesystem::path architecture = binary.parent_path();
    if (binary.extension() != ".so" || architecture.filename() != "x86_64-linux" || architecture.parent_path().filename() != "Contents")
        return std::nullopt;
    return (architecture.parent_path() / "Resources").string();
}

}  // namespace

std::string resourcesDirectory() {
    static const std::string directory = [] {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&resourcesDirectory), &info))
            if (auto inside = bundleResources(info.dli_fname)) return *inside;
        // A program that loaded the bundle (the standalone application) uses the bundle's resources.
        std::optional<std::string> loaded;
        dl_iterate_phdr(
            [](dl_phdr_info* object, std::size_t, void* found) {
                auto& result = *static_cast<std::optional<std::string>*>(found);
                if (!result) result = bundleResources(object->dlpi_name);
                return result ? 1 : 0;
            },
            &loaded);
        return loaded.value_or(std::string(PULVAN_BUILD_RESOURCES_DIR));
    }();
    return directory;
}

}  // namespace pulvan::ui
