#pragma once
// The plug-in bundle, loaded into the standalone application: everything the application runs lies in it.
#include "platform/audiounit/component_registry.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::app {

class LoadedBundle {
public:
    // Nothing when the library cannot be loaded or is not the bundle; error says why.
    static std::unique_ptr<LoadedBundle> open(const std::filesystem::path& library, std::string& error);
    // Leaves the module; the units it made must be gone by then.
    ~LoadedBundle();
    LoadedBundle(const LoadedBundle&) = delete;
    LoadedBundle& operator=(const LoadedBundle&) = delete;

    // The bundle's registry: the sequencer's audio unit is instantiated by its component description there.
    const au::ComponentRegistry& registry() const { return *registry_; }

    // The folders the bundle (Pulvan.vst3) is looked for in, in order: the program's own, the build tree,
    // the installation under the program's prefix, the user's, the one it was to be installed in.
    static std::vector<std::filesystem::path> placesToLook();
    // The bundle's library in the first of the places that holds it; nothing when none does.
    static std::optional<std::filesystem::path> find(const std::vector<std::filesystem::path>& places);

private:
    LoadedBundle() = default;
    void* handle_ = nullptr;
    bool (*exit_)() = nullptr;
    au::ComponentRegistry* registry_ = nullptr;
};

}  // namespace pulvan::app
