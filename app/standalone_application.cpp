#include "app/standalone_application.h"

#include "editor/views/shell/kez_root_view.h"

namespace pulvan::app {

std::unique_ptr<StandaloneApplication> StandaloneApplication::open(x11::EventLoop& loop, const au::ComponentRegistry& registry) {
    std::unique_ptr<StandaloneApplication> app(new StandaloneApplication(loop));
    app->composition_ = link::EditorComposition::standalone(loop.queue(), registry);
    link::EditorComposition& composition = *app->composition_;
    StandaloneApplication* self = app.get();
    app->root_ = std::make_unique<ui::Root>(
        [&composition, self] {
            std::optional<views::WindowReference> window;
            if (self->window_) window = self->window_->window();
            return ui::View(views::KezRootView{composition.store(), composition, false, window});
        },
        loop.queue());
    app->window_ = x11::WindowHost::openTopLevel(*app->root_, loop,
                                                 {"Pulvan", {1280, 730}, {640, 400}, [self] { self->close(); }, [self] { self->quit(); }});
    if (!app->window_) return nullptr;
    composition.screenVisibleFrameSource = [self]() -> std::optional<ui::Rect> { return self->window_->workArea(); };
    composition.cancelGestures = [self] { self->root_->cancelPointer(); };
    return app;
}

StandaloneApplication::~StandaloneApplication() {
    if (composition_) {
        composition_->screenVisibleFrameSource = nullptr;
        composition_->cancelGestures = nullptr;
    }
    window_.reset();
    root_.reset();
    composition_.reset();
}

void StandaloneApplication::close() {
    store::SequencerStore& store = composition_->store();
    if (!store.hasUnsavedChanges()) return quit();
    // The same question as a load over unsaved edits; the store, and the dialog with it, lives no longer than this.
    store.presentQuitOverUnsavedChangesDialog([this] { quit(); });
}

void StandaloneApplication::quit() {
    composition_->stopAppPlay();
    loop_.stop();
}

}  // namespace pulvan::app
