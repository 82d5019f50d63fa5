#include "platform/audiounit/component_registry.h"

#include <algorithm>

namespace pulvan::au {

namespace {

bool sameComponent(const ComponentDescription& a, const ComponentDescription& b) {
    return a.componentType == b.componentType && a.componentSubType == b.componentSubType &&
           a.componentManufacturer == b.componentManufacturer;
}

}  // namespace

// Never destroyed: a host may leave the module from its exit handlers, after the statics went.
ComponentRegistry& ComponentRegistry::shared() {
    static auto* registry = new ComponentRegistry;
    return *registry;
}

void ComponentRegistry::registerComponent(const ComponentDescription& description, std::string name, AudioUnitFactory factory) {
    std::lock_guard lock(mutex_);
    Entry entry{{description, std::move(name)}, std::move(factory)};
    auto existing =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return sameComponent(e.component.description, description); });
    if (existing != entries_.end()) {
        *existing = std::move(entry);
    } else {
        entries_.push_back(std::move(entry));
    }
}

void ComponentRegistry::unregisterComponent(const ComponentDescription& description) {
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [&](const Entry& e) { return sameComponent(e.component.description, description); });
}

std::vector<RegisteredComponent> ComponentRegistry::findComponents(const ComponentDescription& query) const {
    std::lock_guard lock(mutex_);
    std::vector<RegisteredComponent> found;
    for (const Entry& entry : entries_) {
        if (describesComponent(query, entry.component.description)) found.push_back(entry.component);
    }
    return found;
}

InstantiationResult ComponentRegistry::instantiate(const ComponentDescription& query, std::uint32_t options) const {
    AudioUnitFactory factory;
    ComponentDescription description;
    {
        std::lock_guard lock(mutex_);
        auto match = std::find_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& e) { return describesComponent(query, e.component.description); });
        if (match == entries_.end()) return {nullptr, "no audio unit is registered for that component description"};
        factory = match->factory;
        description = match->component.description;
    }
    InstantiationResult result;
    result.unit = factory(description, options, result.error);
    if (!result.unit && result.error.empty()) result.error = "the audio unit could not be created";
    return result;
}

}  // namespace pulvan::au
