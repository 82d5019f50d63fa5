#include "app/loaded_bundle.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace pulvan::app {
namespace {

constexpr const char* kBundleLibrary = "Pulvan.vst3/Contents/x86_64-linux/Pulvan.so";

}  // namespace

std::unique_ptr<LoadedBundle> LoadedBundle::open(const std::filesystem::path& library, std::string& error) {
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        error = dlerror();
        return nullptr;
    }
    auto enter = reinterpret_cast<bool (*)(void*)>(dlsym(handle, "ModuleEntry"));
    auto exit = reinterpret_cast<bool (*)()>(dlsym(handle, "ModuleExit"));
    auto registry = reinterpret_cast<au::ComponentRegistry* (*)()>(dlsym(handle, "KezBundleComponentRegistry"));
    if (!enter || !exit || !registry || !enter(handle)) {
        error = library.string() + " is not the Pulvan bundle";
        dlclose(handle);
        return nullptr;
    }
    std::unique_ptr<LoadedBundle> bundle(new LoadedBundle());
    bundle->handle_ = handle;
    bundle->exit_ = exit;
    bundle->registry_ = registry();
    return bundle;
}

LoadedBundle::~LoadedBundle() {
    exit_();
    // The library stays mapped: code of its threads may still be on their way out.
}

std::vector<std::filesystem::path> LoadedBundle::placesToLook() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    const std::filesystem::path prefix = folder.parent_path();
    // Beside the program (the two carried together), the build tree, an installation under the program's
    // own prefix, then a user's installation, whose bundle lives in ~/.vst3 whatever the prefix.
    std::vector<std::filesystem::path> places;
    if (!error) places = {folder, prefix, prefix / "lib/vst3"};
    if (const char* home = std::getenv("HOME"); home && *home) places.push_back(std::filesystem::path(home) / ".vst3");
    const std::filesystem::path installed(PULVAN_INSTALLED_VST3_DIR);
    if (std::find(places.begin(), places.end(), installed) == places.end()) places.push_back(installed);
    return places;
}

std::optional<std::filesystem::path> LoadedBundle::find(const std::vector<std::filesystem::path>& places) {
    for (const auto& place : places) {
        std::error_code error;
        if (std::filesystem::exists(place / kBundleLibrary, error)) return place / kBundleLibrary;
    }
    return std::nullopt;
}

}  // namespace pulvan::app
