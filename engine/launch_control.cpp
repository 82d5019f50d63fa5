#include "engine/launch_control.h"

#include "engine/config_buffer.h"

namespace pulvan::engine {
namespace {

// Decodes straight into the queue's free slot: a launch is as large as a snapshot, and neither
// a copy nor an allocation of one is needed on the way.
void scheduleLaunch(LaunchQueue& queue, const std::int32_t* words, double targetBeat, std::int32_t onlyTrack) {
    queue.publish([&](PendingLaunch& launch) {
        decodeConfigBuffer(words, launch.snapshot);
        launch.targetBeat = targetBeat;
        const std::uint32_t silent = tracksWithNothingToPlay(launch.snapshot);
        launch.notesOffMask = onlyTrack < 0 ? silent : silent & (1u << onlyTrack);
        launch.valid = 1;
    });
}

}  // namespace

void scheduleSceneLaunch(SequencerEngine& engine, const std::int32_t* words, std::int32_t count, double targetBeat) noexcept {
    if (!isAcceptableConfigBuffer(words, count)) return;
    scheduleLaunch(engine.sceneQueue, words, targetBeat, -1);
}

void schedulePatternLaunch(SequencerEngine& engine, const std::int32_t* words, std::int32_t count, double targetBeat,
                           std::int32_t track) noexcept {
    if (track < 0 || track >= kTrackCount || !isAcceptableConfigBuffer(words, count)) return;
    scheduleLaunch(engine.patternQueue, words, targetBeat, track);
}

void cancelPatternLaunch(SequencerEngine& engine) noexcept { publishInvalidLaunch(engine.patternQueue); }

void setResyncArmed(SequencerEngine& engine, bool armed) noexcept {
    engine.resyncArmed.store(armed ? 1 : 0, std::memory_order_release);
    engine.resyncBar.store(kResyncBarUnset, std::memory_order_release);
}

bool isResyncArmed(const SequencerEngine& engine) noexcept { return engine.resyncArmed.load(std::memory_order_acquire) != 0; }

}  // namespace pulvan::engine
