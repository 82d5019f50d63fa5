#include "platform/foundation/pasteboard.h"

#include "platform/foundation/x11_pasteboard.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

namespace pulvan::foundation {
namespace {

// Never destroyed: a host may end the plug-in from its exit handlers, after the statics went.
struct Boards {
    std::mutex mutex;
    std::unique_ptr<Pasteboard> general;
    std::vector<std::unique_ptr<Pasteboard>> retired;
};

Boards& boards() {
    static auto* kept = new Boards;
    return *kept;
}

std::unique_ptr<Pasteboard> openGeneral() {
    const char* display = std::getenv("DISPLAY");
    if (display && *display) {
        if (auto x11 = X11Pasteboard::open()) return x11;
    }
    return std::make_unique<MemoryPasteboard>();
}

}  // namespace

Pasteboard& Pasteboard::general() {
    std::lock_guard lock(boards().mutex);
    if (!boards().general) boards().general = openGeneral();
    return *boards().general;
}

void Pasteboard::retireGeneral() {
    std::lock_guard lock(boards().mutex);
    if (!boards().general) return;
    boards().general->stop();
    boards().retired.push_back(std::move(boards().general));
}

}  // namespace pulvan::foundation
