#include "vst3/plugin_factory.h"

#include <cstring>

using namespace Steinberg;

namespace kez {

PluginFactory::PluginFactory(const PFactoryInfo& info, GoneCallback onGone) : info_(info), onGone_(onGone) {}

void PluginFactory::registerClass(const PClassInfo2& info, CreateFunction create) { classes_.push_back({info, create}); }

const PluginFactory::Entry* PluginFactory::entryAt(int32 index) const {
    if (index < 0 || index >= static_cast<int32>(classes_.size())) return nullptr;
    return &classes_[static_cast<size_t>(index)];
}

tresult PLUGIN_API PluginFactory::getFactoryInfo(PFactoryInfo* info) {
    if (!info) return kInvalidArgument;
    *info = info_;
    return kResultOk;
}

int32 PLUGIN_API PluginFactory::countClasses() { return static_cast<int32>(classes_.size()); }

tresult PLUGIN_API PluginFactory::getClassInfo(int32 index, PClassInfo* info) {
    const Entry* entry = entryAt(index);
    if (!info) return kInvalidArgument;
    if (!entry) return kInvalidArgument;
    *info = PClassInfo(entry->info.cid, entry->info.cardinality, entry->info.category, entry->info.name);
    return kResultOk;
}

tresult PLUGIN_API PluginFactory::getClassInfo2(int32 index, PClassInfo2* info) {
    const Entry* entry = entryAt(index);
    if (!info || !entry) return kInvalidArgument;
    *info = entry->info;
    return kResultOk;
}

tresult PLUGIN_API PluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info) {
    const Entry* entry = entryAt(index);
    if (!info || !entry) return kInvalidArgument;
    info->fromAscii(entry->info);
    return kResultOk;
}

tresult PLUGIN_API PluginFactory::createInstance(FIDString cid, FIDString iid, void** obj) {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid) return kInvalidArgument;
    for (const Entry& entry : classes_) {
        if (std::memcmp(entry.info.cid, cid, sizeof(TUID)) != 0) continue;
        FUnknown* instance = entry.create();
        if (!instance) return kOutOfMemory;
        const tresult result = instance->queryInterface(iid, obj);
        instance->release();
        if (result != kResultOk) *obj = nullptr;
        return result == kResultOk ? kResultOk : kNoInterface;
    }
    return kNoInterface;
}

tresult PLUGIN_API PluginFactory::queryInterface(const TUID iid, void** obj) {
    if (!obj) return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) || FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid)) {
        addRef();
        *obj = this;
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API PluginFactory::addRef() { return refCount_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32 PLUGIN_API PluginFactory::release() {
    const uint32 remaining = refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (remaining == 0) {
        if (onGone_) onGone_(this);
        delete this;
    }
    return remaining;
}

}  // namespace kez
