#include "editor/link/editor_thread.h"

namespace pulvan::link {

EditorThread::EditorThread() : thread_([this] { queue_.run(); }) {}

EditorThread::~EditorThread() {
    queue_.stop();
    thread_.join();
}

}  // namespace pulvan::link
