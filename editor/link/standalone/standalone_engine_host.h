#pragma once
#include "audiounit/app_play_audio_unit.h"
#include "editor/link/standalone/serial_queue.h"
#include "editor/link/standalone/slice_renderer.h"
#include "platform/audiounit/audio_unit.h"
#include "platform/audiounit/component_registry.h"
#include "platform/foundation/clock.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace pulvan::link {

class StandaloneMIDISender;

// Stands in for an audio host in the standalone application: it instantiates the
// sequencer's audio unit, feeds it tempo 120 in 4/4 on its own sample clock, renders it
// on a serial render queue of raised priority every 3 ms, always 1024 frames (about
// 23 ms) ahead of a 44,100 Hz clock, or more where the output writes in longer cycles,
// and sends what it plays through the sender with timestamps taken from the sample
// times, so that notes leave on time however coarse the timer is.
class StandaloneEngineHost {
public:
    static constexpr std::int64_t kRenderTimerIntervalNanoseconds = 3'000'000;
    static constexpr const char* kRenderQueueLabel = "com.kezwerk.pulvan.standalone-render";

    // Null when the registry cannot instantiate the sequencer's audio unit.
    static std::unique_ptr<StandaloneEngineHost> create(StandaloneMIDISender& midiSender,
                                                        const au::ComponentRegistry& registry = au::ComponentRegistry::shared(),
                                                        const foundation::Clock& clock = foundation::systemClock());
    // Stops first when running.
    ~StandaloneEngineHost();
    StandaloneEngineHost(const StandaloneEngineHost&) = delete;
    StandaloneEngineHost& operator=(const StandaloneEngineHost&) = delete;

    au::AppPlayAudioUnit& audioUnit() { return *appPlay_; }

    // Both run on the render queue while the caller waits, so no tick interleaves.
    // start: anchors frame 0 one look-ahead from now and starts the render timer (nothing when running).
    void start();
    // stop: ends the timer and renders two more slices with the transport stopped, in
    // which the unit releases every held note; then nothing rendered ahead sounds any
    // more and every note that sounded is ended (nothing when stopped).
    void stop();

    // Readable from any thread.
    bool isRunning() const { return running_.load(std::memory_order_acquire); }
    std::int64_t renderedFrames() const { return renderer_.renderedFrames(); }
    // Clock time (nanoseconds) of frame 0; 0 while stopped.
    std::int64_t anchorHostTime() const { return anchorHostTime_.load(std::memory_order_acquire); }

private:
    StandaloneEngineHost(std::unique_ptr<au::AudioUnit> unit, au::AppPlayAudioUnit& appPlay, StandaloneMIDISender& midiSender,
                         const foundation::Clock& clock);
    void startOnRenderQueue();
    void stopOnRenderQueue();
    void renderTick();
    // Renders one slice, then sends what it played: the render call itself never allocates or locks.
    void renderSlice();
    void sendMessages();

    const foundation::Clock& clock_;
    std::unique_ptr<au::AudioUnit> audioUnit_;
    au::AppPlayAudioUnit* appPlay_;
    StandaloneMIDISender& midiSender_;
    SliceRenderer renderer_;
    std::atomic<std::int64_t> anchorHostTime_{0};
    std::atomic<bool> running_{false};
    // Last, so that it ends (and with it every tick) before the rest goes.
    SerialQueue renderQueue_{kRenderQueueLabel, SerialQueue::Priority::userInteractive};
};

}  // namespace pulvan::link
