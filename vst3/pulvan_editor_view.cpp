#include "vst3/pulvan_editor_view.h"

#include "editor/link/entry_points.h"
#include "vst3/editor_size.h"

#include <cmath>
#include <cstring>
#include <utility>

using namespace Steinberg;

namespace kez {

PulvanEditorView::PulvanEditorView(SharedEngineHandle engine, void* editorHolder)
    : CPluginView(nullptr),
      engine_(std::move(engine)),
      editorHolder_(editorHolder) {
    rect = initialEditorRect(KezVst3EditorPreferredWidth());
}

PulvanEditorView::~PulvanEditorView() { detach(); }

tresult PLUGIN_API PulvanEditorView::isPlatformTypeSupported(FIDString type) {
    return type && std::strcmp(type, kPlatformTypeX11EmbedWindowID) == 0 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API PulvanEditorView::attached(void* parent, FIDString type) {
    if (isPlatformTypeSupported(type) != kResultTrue) return kResultFalse;
    windowRefused_ = false;
    const tresult result = CPluginView::attached(parent, type);
    // A host told of the failure can say so, where an empty frame says nothing.
    if (result != kResultOk || !windowRefused_) return result;
    CPluginView::removed();
    return kResultFalse;
}

void PulvanEditorView::attachedToParent() {
    if (!systemWindow || !engine() || !editorHolder_ || editorContent_) return;
    const auto parent = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(systemWindow));
    // Listening first: the editor may ask for its size while it starts.
    startRequestDelivery();
    editorContent_ = KezVst3EditorViewCreate(editorHolder_, parent, rect.getWidth(), rect.getHeight());
    if (!editorContent_) stopRequestDelivery();
    windowRefused_ = !editorContent_;
}

void PulvanEditorView::removedFromParent() { detach(); }

void PulvanEditorView::detach() {
    stopRequestDelivery();
    if (editorContent_) KezVst3EditorViewRelease(editorContent_);
    editorContent_ = nullptr;
}

tresult PLUGIN_API PulvanEditorView::setFrame(IPlugFrame* frame) {
    stopRequestDelivery();
    const tresult result = CPluginView::setFrame(frame);
    startRequestDelivery();
    return result;
}

void PulvanEditorView::startRequestDelivery() {
    if (uiQueue_ || !systemWindow || !plugFrame) return;
    // A host without a run loop gives us no way onto its UI thread, and calling
    // its frame or its component handler from the editor thread is not allowed:
    // the editor's requests are then dropped, and the window keeps the size the
    // host gives it.
    uiQueue_ = HostRunLoopQueue::open(plugFrame);
    if (!uiQueue_) return;
    const auto wake = [this, queue = uiQueue_.get()] { queue->post([this] { deliverRequests(); }); };
    engine_->resizeRequests.listen(this, wake);
    engine_->presetEdits.listen(this, wake);
}

void PulvanEditorView::stopRequestDelivery() {
    if (!uiQueue_) return;
    engine_->resizeRequests.stopListening(this);
    engine_->presetEdits.stopListening(this);
    uiQueue_.reset();
}

void PulvanEditorView::deliverRequests() {
    if (const auto size = engine_->resizeRequests.collect(this)) resizeFromEditor(size->width, size->height);
    if (engine_->presetEdits.collect(this) && engine_->markProjectModified) engine_->markProjectModified();
}

void PulvanEditorView::resizeFromEditor(double width, double height) {
    if (!plugFrame || !std::isfinite(width) || !std::isfinite(height)) return;
    // Beyond any screen; keeps the rounding inside the int32 range.
    auto pixels = [](double value) { return static_cast<int32>(std::round(std::clamp(value, 0.0, 100000.0))); };
    ViewRect wanted(0, 0, pixels(width), pixels(height));
    constrainEditorRect(wanted);
    plugFrame->resizeView(this, &wanted);
}

tresult PLUGIN_API PulvanEditorView::onSize(ViewRect* newSize) {
    if (!newSize) return kInvalidArgument;
    rect = *newSize;
    if (editorContent_) KezVst3EditorViewResize(editorContent_, rect.getWidth(), rect.getHeight());
    return kResultOk;
}

tresult PLUGIN_API PulvanEditorView::checkSizeConstraint(ViewRect* rect) {
    if (!rect) return kInvalidArgument;
    constrainEditorRect(*rect);
    return kResultOk;
}

}  // namespace kez
