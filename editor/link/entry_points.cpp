#include "editor/link/entry_points.h"

#include "editor/link/editor_holder.h"
#include "editor/link/editor_view.h"
#include "editor/model/user_preferences.h"
#include "editor/store/stored_preferences.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

using pulvan::link::EditorView;
using pulvan::link::KezVst3EditorHolder;

namespace {

// Beyond any screen; keeps a window size inside what X11 can make.
double windowExtent(double value) { return std::isfinite(value) ? std::round(std::clamp(value, 1.0, 32767.0)) : 1; }

}  // namespace

extern "C" {

void* KezVst3StoreCreate(const KezVst3EngineHooks* hooks) {
    if (!hooks) return nullptr;
    return KezVst3EditorHolder::create(*hooks);
}

void KezVst3StoreRelease(void* holderPointer) {
    if (!holderPointer) return;
    auto* holder = static_cast<KezVst3EditorHolder*>(holderPointer);
    holder->thread().runSync([holder] { holder->bridge().stop(); });
    holder->release();
}

void KezVst3StoreSetPresetEditedCallback(void* holderPointer, void (*edited)(void* context), void* context) {
    if (!holderPointer) return;
    auto* holder = static_cast<KezVst3EditorHolder*>(holderPointer);
    holder->thread().runSync(
        [&] { holder->bridge().presetEdited = edited ? std::function<void()>([edited, context] { edited(context); }) : nullptr; });
}

void* KezVst3EditorViewCreate(void* holderPointer, unsigned long parentWindow, double width, double height) {
    if (!holderPointer) return nullptr;
    auto* holder = static_cast<KezVst3EditorHolder*>(holderPointer);
    auto view = std::make_unique<EditorView>(*holder);
    const bool opened = holder->thread().runSync([&] {
        return parentWindow == 0 || view->openWindow(parentWindow, {windowExtent(width), windowExtent(height)});
    });
    return opened ? view.release() : nullptr;
}

void KezVst3EditorViewResize(void* viewPointer, double width, double height) {
    if (!viewPointer) return;
    auto* view = static_cast<EditorView*>(viewPointer);
    view->holder().thread().runSync([&] {
        if (auto* window = view->window()) window->resize({windowExtent(width), windowExtent(height)});
    });
}

void KezVst3EditorViewRelease(void* viewPointer) {
    if (!viewPointer) return;
    auto* view = static_cast<EditorView*>(viewPointer);
    KezVst3EditorHolder& holder = view->holder();
    holder.thread().runSync([&] {
        auto& bridge = holder.bridge();
        bridge.store().cancelMIDILearn();
        bridge.pushPresetBlobIfNeeded();
        view->removeWindow();
    });
    delete view;
}

double KezVst3EditorPreferredWidth(void) {
    const auto preferences = pulvan::store::loadStoredUserPreferences(pulvan::foundation::UserDefaults::standard());
    return std::clamp(preferences.hostedWindowWidth, pulvan::model::kMinHostedWindowWidth, pulvan::model::kMaxHostedWindowWidth);
}

}  // extern "C"
