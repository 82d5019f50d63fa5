#include "platform/foundation/pasteboard.h"

#include "platform/foundation/x11_pasteboard.h"

#include <cstdlib>

namespace pulvan::foundation {

Pasteboard& Pasteboard::general() {
    static const std::unique_ptr<Pasteboard> board = []() -> std::unique_ptr<Pasteboard> {
        const char* display = std::getenv("DISPLAY");
        if (display && *display) {
            if (auto x11 = X11Pasteboard::open()) return x11;
        }
        return std::make_unique<MemoryPasteboard>();
    }();
    return *board;
}

}  // namespace pulvan::foundation
