#include "engine/engine_events.h"

namespace pulvan::engine {
namespace {

bool appendWithin(EngineEventBuffer& buffer, const EngineEvent& event, int limit) {
    if (buffer.count < 0) buffer.count = 0;
    if (buffer.count >= limit) {
        buffer.overflow = 1;
        return false;
    }
    buffer.events[buffer.count++] = event;
    return true;
}

}  // namespace

bool appendEvent(EngineEventBuffer& buffer, const EngineEvent& event, int keepFree) noexcept {
    return appendWithin(buffer, event, kEventCapacity - keepFree);
}

bool appendReleaseEvent(EngineEventBuffer& buffer, const EngineEvent& event) noexcept {
    return appendWithin(buffer, event, kEventCapacity);
}

}  // namespace pulvan::engine
