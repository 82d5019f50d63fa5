#pragma once
// The editor side as the plug-in's controller and editor view reach it. Holder
// and view pointers are opaque to the callers. Each call is carried out on the
// instance's editor thread and waited for.
#include "engine/engine_hooks.h"

#ifdef __cplusplus
extern "C" {
#endif

// Copies the table and starts the editor side on its engine; null for a null
// table or an engine that is not alive. The result holds one reference.
void* KezVst3StoreCreate(const KezVst3EngineHooks* hooks);
// Pushes the preset one last time, detaches from the engine and drops the
// caller's reference.
void KezVst3StoreRelease(void* holder);
// `edited(context)` runs on the editor thread whenever an edit changes the
// preset that the engine keeps for the host's project; never for a state the
// host restores, and no more once the store is released. Null: nothing runs.
void KezVst3StoreSetPresetEditedCallback(void* holder, void (*edited)(void* context), void* context);
// The editor's view at the given size inside the X11 window `parentWindow`
// (0: a view without a window); it holds a reference to the holder. Null for
// a null holder or a parent window that cannot be used.
void* KezVst3EditorViewCreate(void* holder, unsigned long parentWindow, double width, double height);
// The size the host gives the view's window (pixels); the editor follows it.
void KezVst3EditorViewResize(void* view, double width, double height);
// Leaves MIDI learn, pushes the preset once more and ends the view.
void KezVst3EditorViewRelease(void* view);
// The stored hosted editor width, 640...3200; 1280 when none is stored.
double KezVst3EditorPreferredWidth(void);

#ifdef __cplusplus
}
#endif
