// The editor side of the bundle: each call goes to the engine link's C entry
// points, which carry it out on the instance's editor thread.
#include "vst3/editor_link.h"

#include "editor/link/entry_points.h"

namespace kez::editor_link {

void* createStore(const KezVst3EngineHooks& hooks) { return KezVst3StoreCreate(&hooks); }
void releaseStore(void* holder) { KezVst3StoreRelease(holder); }
void* createEditorContent(void* holder, unsigned long window, double width, double height) {
    return KezVst3EditorViewCreate(holder, window, width, height);
}
void releaseEditorContent(void* content) { KezVst3EditorViewRelease(content); }
double preferredEditorWidth() { return KezVst3EditorPreferredWidth(); }

}  // namespace kez::editor_link
