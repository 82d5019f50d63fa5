#include "vst3/pulvan_editor_view.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "editor/link/entry_points.h"
#include "vst3/editor_size.h"

using namespace Steinberg;

namespace kez {

PulvanEditorView::PulvanEditorView(SharedEngineHandle engine, void* editorHolder)
    : CPluginView(nullptr), engine_(std::move(engine)), editorHolder_(editorHolder) {
    rect = initialEditorRect(KezVst3EditorPreferredWidth());
}

PulvanEditorView::~PulvanEditorView() { detach(); }

tresult PLUGIN_API PulvanEditorView::isPlatformTypeSupported(FIDString type) {
    return type && std::strcmp(type, kPlatformTypeX11EmbedWindowID) == 0 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API PulvanEditorView::attached(void* parent, FIDString type) {
    if (isPlatformTypeSupported(type) != kResultTrue) return kResultFalse;
    return CPluginView::attached(parent, type);
}

void PulvanEditorView::attachedToParent() {
    if (!systemWindow || !engine() || !editorHolder_ || editorContent_) return;
    const auto parent = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(systemWindow));
    // Listening first: the editor may ask for its size while it starts.
    startResizeDelivery();
    editorContent_ = KezVst3EditorViewCreate(editorHolder_, parent, rect.getWidth(), rect.getHeight());
    if (!editorContent_) stopResizeDelivery();
}

void PulvanEditorView::removedFromParent() { detach(); }

void PulvanEditorView::detach() {
    stopResizeDelivery();
    if (editorContent_) KezVst3EditorViewRelease(editorContent_);
    editorContent_ = nullptr;
}

tresult PLUGIN_API PulvanEditorView::setFrame(IPlugFrame* frame) {
    stopResizeDelivery();
    const tresult result = CPluginView::setFrame(frame);
    startResizeDelivery();
    return result;
}

void PulvanEditorView::startResizeDelivery() {
    if (uiQueue_ || !systemWindow || !plugFrame) return;
    // A host without a run loop gives us no way onto its UI thread, and calling
    // its frame from the editor thread is not allowed: the editor's requests
    // are then dropped, and the window keeps the size the host gives it.
    uiQueue_ = HostRunLoopQueue::open(plugFrame);
    if (!uiQueue_) return;
    engine_->resizeRequests.listen(this, [this, queue = uiQueue_.get()] { queue->post([this] { applyRequestedSize(); }); });
}

void PulvanEditorView::stopResizeDelivery() {
    if (!uiQueue_) return;
    engine_->resizeRequests.stopListening(this);
    uiQueue_.reset();
}

void PulvanEditorView::applyRequestedSize() {
    if (const auto size = engine_->resizeRequests.collect(this)) resizeFromEditor(size->width, size->height);
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
