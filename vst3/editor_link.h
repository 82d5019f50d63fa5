#pragma once
// The calls from the plug-in into the editor side (the store of one instance
// and the editor's root view). One function per entry point of the editor link.
#include "engine/engine_hooks.h"

namespace kez::editor_link {

// KezVst3StoreCreate: the holder of a new store driving the engine through hooks; null when none.
void* createStore(const KezVst3EngineHooks& hooks);
// KezVst3StoreRelease.
void releaseStore(void* holder);
// KezVst3EditorViewCreate: the editor's root view, drawn into the X11 window
// `window` of the given size; null when none.
void* createEditorContent(void* holder, unsigned long window, double width, double height);
// KezVst3EditorViewRelease.
void releaseEditorContent(void* content);
// KezVst3EditorPreferredWidth: the stored editor width; 0 or less when there is none.
double preferredEditorWidth();

}  // namespace kez::editor_link
