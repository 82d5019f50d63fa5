#pragma once
// The plug-in's edit controller: the hidden MIDI-controller parameters and
// their MIDI mapping, the hand-over of the processor's engine to the editor
// side, and the editor view.
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "public.sdk/source/vst/vsteditcontroller.h"
#include "vst3/engine_handle.h"

#include <cstdint>

namespace kez {

class PulvanController : public Steinberg::Vst::EditController, public Steinberg::Vst::IMidiMapping {
public:
    PulvanController() = default;
    ~PulvanController() override;

    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API terminate() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API disconnect(Steinberg::Vst::IConnectionPoint* other) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) SMTG_OVERRIDE;
    Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) SMTG_OVERRIDE;

    Steinberg::tresult PLUGIN_API getMidiControllerAssignment(Steinberg::int32 busIndex, Steinberg::int16 channel,
                                                              Steinberg::Vst::CtrlNumber midiControllerNumber,
                                                              Steinberg::Vst::ParamID& id) SMTG_OVERRIDE;

    OBJ_METHODS(PulvanController, Steinberg::Vst::EditController)
    DEFINE_INTERFACES
    DEF_INTERFACE(Steinberg::Vst::IMidiMapping)
    END_DEFINE_INTERFACES(Steinberg::Vst::EditController)
    REFCOUNT_METHODS(Steinberg::Vst::EditController)

private:
    void startEditorSide(void* engine);
    void releaseEditorSide();

    SharedEngineHandle engine_;
    void* editorHolder_ = nullptr;
};

}  // namespace kez
