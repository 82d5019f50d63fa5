#include "engine/playback_timeline.h"

#include <algorithm>

namespace pulvan::engine {
namespace {
constexpr double kSameTime = 1e-6;
constexpr double kDueMargin = 1e-9;
}  // namespace

bool CommitRule::due(double target) const noexcept {
    if (position > target + maxDelay + kDueMargin) return true;
    return jumpedBack && target > position + kDueMargin && target + maxDelay <= horizon;
}

CommitRule commitRuleFor(double position, double maxDelay, bool jumpedBack, double previousEnd, double barLength) noexcept {
    return {position, maxDelay, jumpedBack, previousEnd + barLength + kDueMargin + maxDelay};
}

void insertTimedChange(PlaybackTimeline& timeline, double time, bool appliesSnapshot, bool resyncsGrid, std::uint32_t notesOffMask,
                       const EngineSnapshot* snapshot) noexcept {
    if (timeline.timedChangeCount < 0) timeline.timedChangeCount = 0;
    if (timeline.timedChangeCount >= kMaxTimedChanges) return;
    int place = timeline.timedChangeCount;
    while (place > 0 && timeline.timedChanges[place - 1].time > time + kSameTime) {
        timeline.timedChanges[place] = timeline.timedChanges[place - 1];
        --place;
    }
    TimedChange& change = timeline.timedChanges[place];
    change.time = time;
    change.appliesSnapshot = appliesSnapshot && snapshot != nullptr;
    change.resyncsGrid = resyncsGrid;
    change.notesOffMask = notesOffMask;
    if (change.appliesSnapshot) change.snapshot = *snapshot;
    ++timeline.timedChangeCount;
}

void retireTimedChanges(PlaybackTimeline& timeline, double upTo) noexcept {
    const int count = std::clamp(timeline.timedChangeCount, 0, kMaxTimedChanges);
    int retired = 0;
    while (retired < count && timeline.timedChanges[retired].time <= upTo) {
        const TimedChange& change = timeline.timedChanges[retired];
        if (change.appliesSnapshot) {
            timeline.playing = change.snapshot;
            timeline.playingSource = nullptr;
        }
        if (change.resyncsGrid && change.time > timeline.gridAnchor) timeline.gridAnchor = change.time;
        ++retired;
    }
    if (retired == 0) return;
    for (int i = retired; i < count; ++i) timeline.timedChanges[i - retired] = timeline.timedChanges[i];
    timeline.timedChangeCount = count - retired;
}

const EngineSnapshot& snapshotInForce(const PlaybackTimeline& timeline, double at) noexcept {
    const EngineSnapshot* inForce = &playingSnapshot(timeline);
    const int count = std::clamp(timeline.timedChangeCount, 0, kMaxTimedChanges);
    for (int i = 0; i < count; ++i) {
        const TimedChange& change = timeline.timedChanges[i];
        if (change.time > at + kSameTime) break;
        if (change.appliesSnapshot) inForce = &change.snapshot;
    }
    return *inForce;
}

double anchorInForce(const PlaybackTimeline& timeline, double at) noexcept {
    double anchor = timeline.gridAnchor;
    const int count = std::clamp(timeline.timedChangeCount, 0, kMaxTimedChanges);
    for (int i = 0; i < count; ++i) {
        const TimedChange& change = timeline.timedChanges[i];
        if (change.time > at + kSameTime) break;
        if (change.resyncsGrid) anchor = change.time;
    }
    return anchor;
}

}  // namespace pulvan::engine
