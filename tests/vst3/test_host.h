#pragma once
// A small VST3 host for the tests: loads the built bundle with dlopen and
// offers what a host gives a plug-in (host context, event lists, parameter
// changes, a connection between processor and controller that it can watch).
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kez::test {

// The loaded module. Entry and exit calls balance. It stays mapped after
// dlclose unless the host unmaps it, as some hosts do.
class LoadedBundle {
public:
    enum class Unloading { keepsMapped, unmaps };
    explicit LoadedBundle(const std::string& path, Unloading unloading = Unloading::keepsMapped);
    ~LoadedBundle();
    bool loaded() const { return handle_ != nullptr; }
    std::string error() const { return error_; }
    void* symbol(const char* name) const;
    // One new reference on the module's factory.
    Steinberg::IPluginFactory* factory() const;

private:
    void* handle_ = nullptr;
    std::string error_;
};

// A minimal reference count shared by the host objects below.
#define KEZ_TEST_REFCOUNT                                              \
    std::atomic<Steinberg::uint32> refs_{1};                           \
                                                                       \
public:                                                                \
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs_; } \
    Steinberg::uint32 PLUGIN_API release() override {                  \
        const Steinberg::uint32 left = --refs_;                        \
        if (left == 0) delete this;                                    \
        return left;                                                   \
    }

class EventList final : public Steinberg::Vst::IEventList {
public:
    std::vector<Steinberg::Vst::Event> events;

    Steinberg::int32 PLUGIN_API getEventCount() override { return static_cast<Steinberg::int32>(events.size()); }
    Steinberg::tresult PLUGIN_API getEvent(Steinberg::int32 index, Steinberg::Vst::Event& e) override;
    Steinberg::tresult PLUGIN_API addEvent(Steinberg::Vst::Event& e) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    KEZ_TEST_REFCOUNT
};

class ParamQueue final : public Steinberg::Vst::IParamValueQueue {
public:
    Steinberg::Vst::ParamID id = 0;
    std::vector<std::pair<Steinberg::int32, Steinberg::Vst::ParamValue>> points;

    Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return id; }
    Steinberg::int32 PLUGIN_API getPointCount() override { return static_cast<Steinberg::int32>(points.size()); }
    Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& offset, Steinberg::Vst::ParamValue& value) override;
    Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 offset, Steinberg::Vst::ParamValue value, Steinberg::int32& index) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    KEZ_TEST_REFCOUNT
};

class ParamChanges final : public Steinberg::Vst::IParameterChanges {
public:
    ~ParamChanges();
    void add(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value);
    Steinberg::int32 PLUGIN_API getParameterCount() override { return static_cast<Steinberg::int32>(queues_.size()); }
    Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id, Steinberg::int32& index) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    KEZ_TEST_REFCOUNT
private:
    std::vector<ParamQueue*> queues_;
};

// Stands between processor and controller as real hosts do, and keeps the
// integer attribute "enginePtr" of the last "KezEngineHooks" it passed on.
class ConnectionProxy final : public Steinberg::Vst::IConnectionPoint {
public:
    explicit ConnectionProxy(Steinberg::Vst::IConnectionPoint* to);
    Steinberg::tresult PLUGIN_API connect(Steinberg::Vst::IConnectionPoint*) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API disconnect(Steinberg::Vst::IConnectionPoint*) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;

    std::vector<std::string> messageIds;
    Steinberg::int64 enginePtr = 0;
    // False: the engine's announcement is recorded but not passed on, as for a
    // controller that never gets an editor side.
    bool forwardsEngineHooks = true;
    KEZ_TEST_REFCOUNT
private:
    Steinberg::Vst::IConnectionPoint* to_;
};

// The host's handler of the controller's calls, which hosts answer by marking
// the project modified: it records each setDirty with the thread it came on.
// It offers IComponentHandler2, where that call lives, unless told not to.
// Owned by the test; the count shows what the plug-in still holds.
class ComponentHandler final : public Steinberg::Vst::IComponentHandler, public Steinberg::Vst::IComponentHandler2 {
public:
    enum class Offers { dirtyState, parametersOnly };
    explicit ComponentHandler(Offers offers = Offers::dirtyState) : offersDirtyState_(offers == Offers::dirtyState) {}

    struct DirtyCall {
        bool state;
        std::thread::id thread;
    };
    std::vector<DirtyCall> dirtyCalls() const;
    Steinberg::uint32 references() const { return refs_; }

    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID, Steinberg::Vst::ParamValue) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API setDirty(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API requestOpenEditor(Steinberg::FIDString) override { return Steinberg::kResultFalse; }
    Steinberg::tresult PLUGIN_API startGroupEdit() override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API finishGroupEdit() override { return Steinberg::kResultOk; }

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs_; }
    Steinberg::uint32 PLUGIN_API release() override { return --refs_; }

private:
    bool offersDirtyState_;
    std::atomic<Steinberg::uint32> refs_{0};
    // A call from a wrong thread must show up in the test, not as a race.
    mutable std::mutex mutex_;
    std::vector<DirtyCall> dirtyCalls_;
};

// ASCII text of a VST3 string of at most 128 characters.
std::string narrow(const Steinberg::Vst::TChar* text);

// Host context answering IHostApplication (which creates messages). The
// SDK's host application does not count references: its owner deletes it.
std::unique_ptr<Steinberg::Vst::HostApplication> makeHostContext();

struct NoteEvent {
    std::int64_t sample;  // absolute position in the played stream
    int type;             // Event::kNoteOnEvent / kNoteOffEvent / kLegacyMIDICCOutEvent
    int channel;
    int data1;
    int data2;
};

// The events of one kind (Event::kNoteOnEvent and so on), in order.
std::vector<NoteEvent> ofType(const std::vector<NoteEvent>& events, int type);

}  // namespace kez::test
