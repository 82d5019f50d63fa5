#pragma once
// The module's class factory: a list of registered classes, each with its
// create function.
#include "pluginterfaces/base/ipluginbase.h"

#include <atomic>
#include <vector>

namespace kez {

class PluginFactory final : public Steinberg::IPluginFactory3 {
public:
    using CreateFunction = Steinberg::FUnknown* (*)();
    // Runs when the last reference goes, before the factory is freed.
    using GoneCallback = void (*)(PluginFactory*);

    PluginFactory(const Steinberg::PFactoryInfo& info, GoneCallback onGone);

    void registerClass(const Steinberg::PClassInfo2& info, CreateFunction create);

    // IPluginFactory3
    Steinberg::tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) SMTG_OVERRIDE;
    Steinberg::int32 PLUGIN_API countClasses() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getClassInfo(Steinberg::int32 index, Steinberg::PClassInfo* info) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid, void** obj) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getClassInfo2(Steinberg::int32 index, Steinberg::PClassInfo2* info) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getClassInfoUnicode(Steinberg::int32 index, Steinberg::PClassInfoW* info) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setHostContext(Steinberg::FUnknown*) SMTG_OVERRIDE { return Steinberg::kResultOk; }

    // FUnknown
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API addRef() SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API release() SMTG_OVERRIDE;

private:
    struct Entry {
        Steinberg::PClassInfo2 info;
        CreateFunction create;
    };
    const Entry* entryAt(Steinberg::int32 index) const;

    Steinberg::PFactoryInfo info_;
    GoneCallback onGone_;
    std::vector<Entry> classes_;
    std::atomic<Steinberg::uint32> refCount_{1};
};

}  // namespace kez
