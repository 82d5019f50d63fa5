#pragma once
// The plug-in bundle, loaded into the standalone application: everything the application runs lies in it.
#include "platform/audiounit/component_registry.h"

#include <filesystem>
#include <memory>
#include <string>

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

    // The bundle beside the program in the build tree, else the one installed with it, else where it was to be installed.
    static std::filesystem::path find();

private:
    LoadedBundle() = default;
    void* handle_ = nullptr;
    bool (*exit_)() = nullptr;
    au::ComponentRegistry* registry_ = nullptr;
};

}  // namespace pulvan::app
