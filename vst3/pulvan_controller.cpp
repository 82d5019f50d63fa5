#include "vst3/pulvan_controller.h"

#include "editor/link/entry_points.h"
#include "editor/link/live_engines.h"
#include "engine/engine_hooks.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "vst3/midi_input_mapping.h"
#include "vst3/pulvan_editor_view.h"

#include <cstdio>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace kez {
namespace {

constexpr int kPitchBendController = 129;

bool hasId(IMessage* message, const char* id) {
    const char* messageId = message->getMessageID();
    return messageId && std::strcmp(messageId, id) == 0;
}

}  // namespace

PulvanController::~PulvanController() { releaseEditorSide(); }

tresult PLUGIN_API PulvanController::initialize(FUnknown* context) {
    const tresult result = EditController::initialize(context);
    if (result != kResultOk) return result;
    for (int channel = 0; channel < kMidiControllerChannels; ++channel) {
        for (int controller = 0; controller < kMidiControllersPerChannel; ++controller) {
            char title[32];
            std::snprintf(title, sizeof title, "MIDI ch%d #%d", channel + 1, controller);
            UString128 wideTitle(title);
            const ParamValue defaultValue = controller == kPitchBendController ? 0.5 : 0.0;
            parameters.addParameter(wideTitle, nullptr, 0, defaultValue, ParameterInfo::kIsHidden,
                                    static_cast<int32>(midiControllerParamId(channel, controller)), kRootUnitId);
        }
    }
    return kResultOk;
}

tresult PLUGIN_API PulvanController::getMidiControllerAssignment(int32 busIndex, int16 channel, CtrlNumber midiControllerNumber,
                                                                 ParamID& id) {
    if (busIndex != 0 || channel < 0 || channel >= kMidiControllerChannels || midiControllerNumber < 0 ||
        midiControllerNumber >= kMidiControllersPerChannel)
        return kResultFalse;
    id = midiControllerParamId(channel, midiControllerNumber);
    return kResultTrue;
}

void PulvanController::releaseEditorSide() {
    if (editorHolder_) KezVst3StoreRelease(editorHolder_);
    editorHolder_ = nullptr;
    // Views may outlive the engine: they lose it here. The editor side has
    // stopped, so its thread no longer calls the engine's resize callback.
    if (engine_) {
        forgetEngine(*engine_);
        engine_->markProjectModified = nullptr;
    }
    engine_.reset();
}

void PulvanController::startEditorSide(void* engine) {
    engine_ = makeEngineHandle(static_cast<pulvan::engine::SequencerEngine*>(engine));
    const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(engine);
    editorHolder_ = KezVst3StoreCreate(&hooks);
    if (!editorHolder_) return;
    // The host takes component-handler calls on its UI thread only: an edit
    // reaches it through the view that listens there.
    engine_->markProjectModified = [this] { setDirty(true); };
    KezVst3StoreSetPresetEditedCallback(
        editorHolder_, [](void* route) { static_cast<PresetEditRoute*>(route)->request({}); }, &engine_->presetEdits);
}

tresult PLUGIN_API PulvanController::notify(IMessage* message) {
    if (!message || !message->getMessageID()) return EditController::notify(message);
    if (hasId(message, "KezEngineHooks")) {
        IAttributeList* attributes = message->getAttributes();
        int64 address = 0;
        if (!attributes || attributes->getInt("enginePtr", address) != kResultOk) return kResultOk;
        releaseEditorSide();
        void* engine = reinterpret_cast<void*>(static_cast<std::intptr_t>(address));
        // An address that names no live engine of this process is not acted on.
        if (address != 0 && pulvan::link::LiveEngines::contains(engine)) startEditorSide(engine);
        return kResultOk;
    }
    if (hasId(message, "KezEngineGone")) {
        releaseEditorSide();
        return kResultOk;
    }
    return EditController::notify(message);
}

tresult PLUGIN_API PulvanController::terminate() {
    releaseEditorSide();
    return EditController::terminate();
}

tresult PLUGIN_API PulvanController::disconnect(IConnectionPoint* other) {
    releaseEditorSide();
    return EditController::disconnect(other);
}

IPlugView* PLUGIN_API PulvanController::createView(FIDString name) {
    if (!name || std::strcmp(name, ViewType::kEditor) != 0 || !engine_ || !editorHolder_) return nullptr;
    return new PulvanEditorView(engine_, editorHolder_);
}

}  // namespace kez
