// No editor side in the bundle yet: no store, no editor content, no stored width.
#include "vst3/editor_link.h"

namespace kez::editor_link {

void* createStore(const KezVst3EngineHooks&) { return nullptr; }
void releaseStore(void*) {}
void* createEditorContent(void*, unsigned long, double, double) { return nullptr; }
void releaseEditorContent(void*) {}
double preferredEditorWidth() { return 0.0; }

}  // namespace kez::editor_link
