#pragma once
// The plug-in's editor inside the host's window: the editor's own X11 window
// inside the host's frame at the editor's fixed aspect, following every size
// the host gives, and resizes that the editor asks the host for. The editor asks
// on its own thread; the request reaches the plug frame on the host's UI
// thread through the host's run loop, and so does the word that the preset the
// host keeps was edited.
#include "public.sdk/source/common/pluginview.h"
#include "vst3/engine_handle.h"
#include "vst3/host_run_loop_queue.h"

#include <memory>

namespace kez {

class PulvanEditorView : public Steinberg::CPluginView {
public:
    PulvanEditorView(SharedEngineHandle engine, void* editorHolder);
    ~PulvanEditorView() override;

    Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) SMTG_OVERRIDE;
    // Refuses a parent of any other window system before taking it, and one that no window can be made in.
    Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API canResize() SMTG_OVERRIDE { return Steinberg::kResultTrue; }
    Steinberg::tresult PLUGIN_API checkSizeConstraint(Steinberg::ViewRect* rect) SMTG_OVERRIDE;
    // Hosts may hand over the frame before or after attaching the view.
    Steinberg::tresult PLUGIN_API setFrame(Steinberg::IPlugFrame* frame) SMTG_OVERRIDE;

    void attachedToParent() override;
    void removedFromParent() override;

    // What the editor's resize request ends in, on the host's UI thread: the
    // host frame resizes us.
    void resizeFromEditor(double width, double height);

    // Whether the editor is shown in the host's window.
    bool isShowingEditor() const { return editorContent_ != nullptr; }

private:
    void detach();
    void startRequestDelivery();
    void stopRequestDelivery();
    void deliverRequests();

    pulvan::engine::SequencerEngine* engine() const { return engine_ ? engine_->engine : nullptr; }

    SharedEngineHandle engine_;
    void* editorHolder_;
    void* editorContent_ = nullptr;
    // The last attachment's window could not be made inside the parent.
    bool windowRefused_ = false;
    // While attached to a frame whose host offers a run loop.
    std::unique_ptr<HostRunLoopQueue> uiQueue_;
};

}  // namespace kez
