#include "editor/link/editor_thread.h"

namespace pulvan::link {

EditorThread::EditorThread() : thread_([this] { loop_.run(); }) {}

EditorThread::~EditorThread() {
    loop_.stop();
    thread_.join();
}

}  // namespace pulvan::link
