#pragma once
#include "platform/audiounit/audio_unit.h"
#include "platform/audiounit/component_description.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pulvan::au {

struct InstantiationResult {
    std::unique_ptr<AudioUnit> unit;  // null on failure
    std::string error;                // why, when unit is null
};

// Builds one unit; fills error and returns null when it cannot.
using AudioUnitFactory = std::function<std::unique_ptr<AudioUnit>(const ComponentDescription&, std::uint32_t options, std::string& error)>;

struct RegisteredComponent {
    ComponentDescription description;
    std::string name;
};

// The components one module (a bundle, or a program) provides, instantiated by description.
// A module registers its components when it is loaded; a program that loads the module asks
// the module's registry, so the unit's code and its registry always come from the same module.
class ComponentRegistry {
public:
    // The registry of the module this code is linked into.
    static ComponentRegistry& shared();

    // Registering a description again replaces the earlier factory.
    void registerComponent(const ComponentDescription& description, std::string name, AudioUnitFactory factory);
    void unregisterComponent(const ComponentDescription& description);

    // Every registered component that the query describes, in registration order.
    std::vector<RegisteredComponent> findComponents(const ComponentDescription& query) const;

    // Instantiates the first component that the query describes.
    InstantiationResult instantiate(const ComponentDescription& query, std::uint32_t options = 0) const;

private:
    struct Entry {
        RegisteredComponent component;
        AudioUnitFactory factory;
    };
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

}  // namespace pulvan::au
