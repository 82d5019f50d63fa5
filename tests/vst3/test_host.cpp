#include "tests/vst3/test_host.h"

#include "pluginterfaces/base/ustring.h"

#include <dlfcn.h>

#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace kez::test {
namespace {

template <typename Interface>
tresult answer(Interface* self, const TUID iid, void** obj) {
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, Interface::iid)) {
        self->addRef();
        *obj = self;
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

}  // namespace

LoadedBundle::LoadedBundle(const std::string& path, Unloading unloading) {
    // Kept mapped after dlclose, as many hosts keep modules: the system MIDI
    // libraries it pulls in keep caches for the life of the process, which
    // would read as leaks once unmapped.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | (unloading == Unloading::keepsMapped ? RTLD_NODELETE : 0));
    if (!handle_) {
        error_ = dlerror();
        return;
    }
    auto entry = reinterpret_cast<bool (*)(void*)>(symbol("ModuleEntry"));
    if (!entry || !entry(handle_)) error_ = "ModuleEntry failed";
}

LoadedBundle::~LoadedBundle() {
    if (!handle_) return;
    if (auto exit = reinterpret_cast<bool (*)()>(symbol("ModuleExit"))) exit();
    dlclose(handle_);
}

void* LoadedBundle::symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

IPluginFactory* LoadedBundle::factory() const {
    auto get = reinterpret_cast<IPluginFactory* (*)()>(symbol("GetPluginFactory"));
    return get ? get() : nullptr;
}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& e) {
    if (index < 0 || index >= getEventCount()) return kInvalidArgument;
    e = events[static_cast<size_t>(index)];
    return kResultOk;
}
tresult PLUGIN_API EventList::addEvent(Event& e) {
    events.push_back(e);
    return kResultOk;
}
tresult PLUGIN_API EventList::queryInterface(const TUID iid, void** obj) { return answer<IEventList>(this, iid, obj); }

tresult PLUGIN_API ParamQueue::getPoint(int32 index, int32& offset, ParamValue& value) {
    if (index < 0 || index >= getPointCount()) return kInvalidArgument;
    offset = points[static_cast<size_t>(index)].first;
    value = points[static_cast<size_t>(index)].second;
    return kResultOk;
}
tresult PLUGIN_API ParamQueue::addPoint(int32 offset, ParamValue value, int32& index) {
    index = getPointCount();
    points.emplace_back(offset, value);
    return kResultOk;
}
tresult PLUGIN_API ParamQueue::queryInterface(const TUID iid, void** obj) { return answer<IParamValueQueue>(this, iid, obj); }

ParamChanges::~ParamChanges() {
    for (ParamQueue* queue : queues_) queue->release();
}
void ParamChanges::add(ParamID id, ParamValue value) {
    int32 index = 0;
    IParamValueQueue* queue = addParameterData(id, index);
    int32 pointIndex = 0;
    queue->addPoint(0, value, pointIndex);
}
IParamValueQueue* PLUGIN_API ParamChanges::getParameterData(int32 index) {
    return index >= 0 && index < getParameterCount() ? queues_[static_cast<size_t>(index)] : nullptr;
}
IParamValueQueue* PLUGIN_API ParamChanges::addParameterData(const ParamID& id, int32& index) {
    for (size_t i = 0; i < queues_.size(); ++i) {
        if (queues_[i]->id == id) {
            index = static_cast<int32>(i);
            return queues_[i];
        }
    }
    auto* queue = new ParamQueue();
    queue->id = id;
    index = getParameterCount();
    queues_.push_back(queue);
    return queue;
}
tresult PLUGIN_API ParamChanges::queryInterface(const TUID iid, void** obj) { return answer<IParameterChanges>(this, iid, obj); }

std::vector<ComponentHandler::DirtyCall> ComponentHandler::dirtyCalls() const {
    std::lock_guard lock(mutex_);
    return dirtyCalls_;
}

tresult PLUGIN_API ComponentHandler::setDirty(TBool state) {
    std::lock_guard lock(mutex_);
    dirtyCalls_.push_back({state != 0, std::this_thread::get_id()});
    return kResultOk;
}

tresult PLUGIN_API ComponentHandler::queryInterface(const TUID iid, void** obj) {
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IComponentHandler::iid)) {
        *obj = static_cast<IComponentHandler*>(this);
    } else if (offersDirtyState_ && FUnknownPrivate::iidEqual(iid, IComponentHandler2::iid)) {
        *obj = static_cast<IComponentHandler2*>(this);
    } else {
        *obj = nullptr;
        return kNoInterface;
    }
    addRef();
    return kResultOk;
}

ConnectionProxy::ConnectionProxy(IConnectionPoint* to) : to_(to) {}

tresult PLUGIN_API ConnectionProxy::notify(IMessage* message) {
    if (!message) return kInvalidArgument;
    const char* id = message->getMessageID();
    messageIds.emplace_back(id ? id : "");
    const bool engineHooks = id && std::strcmp(id, "KezEngineHooks") == 0;
    if (engineHooks && message->getAttributes()) message->getAttributes()->getInt("enginePtr", enginePtr);
    if (engineHooks && !forwardsEngineHooks) return kResultOk;
    return to_ ? to_->notify(message) : kResultFalse;
}
tresult PLUGIN_API ConnectionProxy::queryInterface(const TUID iid, void** obj) { return answer<IConnectionPoint>(this, iid, obj); }

std::vector<NoteEvent> ofType(const std::vector<NoteEvent>& events, int type) {
    std::vector<NoteEvent> out;
    for (const NoteEvent& event : events)
        if (event.type == type) out.push_back(event);
    return out;
}

std::string narrow(const TChar* text) {
    char ascii[129] = {};
    UString(const_cast<TChar*>(text), 128).toAscii(ascii, 128);
    return ascii;
}

std::unique_ptr<HostApplication> makeHostContext() { return std::make_unique<HostApplication>(); }

}  // namespace kez::test
