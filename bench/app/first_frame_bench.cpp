// How long until the editor is first on screen: from starting the pulvan program to its first frame, and
// from a host's attaching the plug-in's view to the editor's first frame in the host's window.
// Both need an X display (DISPLAY); Xvfb will do.
#include "editor/link/entry_points.h"
#include "editor/link/live_engines.h"
#include "engine/engine_hooks.h"
#include "engine/sequencer_engine.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/x11/x_client.h"

#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace {

constexpr std::uint32_t kEditorBackground = 0x0E0E10;
// In the editor's leading margin (16 points, scaled to 8 pixels at the smallest size), beside every view.
constexpr int kBackgroundX = 4, kBackgroundY = 300;

bool waitFor(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

void ProgramStartToFirstFrame(benchmark::State& state) {
    pulvan::x11::test::XClient x;
    if (!std::getenv("DISPLAY") || !x.open()) return state.SkipWithError("no X display");
    pulvan::test::TempFolder home;
    pulvan::test::ScopedEnvironment config("XDG_CONFIG_HOME", home.path().string()), data("XDG_DATA_HOME", home.path().string());
    for (auto _ : state) {
        char* argv[] = {const_cast<char*>(PULVAN_PROGRAM), nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, PULVAN_PROGRAM, nullptr, nullptr, argv, environ) != 0) return state.SkipWithError("pulvan does not start");
        xcb_window_t window = 0;
        const bool shown = waitFor([&] {
            if (!window) window = x.topLevelNamed("Pulvan");
            if (!window) return false;
            const auto g = x.geometry(window);
            return g && x.pixel(g->x + 8, g->y + 400) == kEditorBackground;
        });
        state.PauseTiming();
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        if (!shown) return state.SkipWithError("no first frame");
        state.ResumeTiming();
    }
}
BENCHMARK(ProgramStartToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

void PluginViewFirstFrame(benchmark::State& state) {
    pulvan::x11::test::XClient x;
    if (!std::getenv("DISPLAY") || !x.open()) return state.SkipWithError("no X display");
    pulvan::test::TempFolder home;
    pulvan::test::ScopedEnvironment config("XDG_CONFIG_HOME", home.path().string()), data("XDG_DATA_HOME", home.path().string());
    auto engine = std::make_unique<pulvan::engine::SequencerEngine>();
    pulvan::link::LiveEngineRegistration live(engine.get());
    const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(engine.get());
    void* holder = KezVst3StoreCreate(&hooks);
    const xcb_window_t parent = x.createWindow(1280, 730);
    const std::uint32_t black = 0;
    xcb_change_window_attributes(x.get(), parent, XCB_CW_BACK_PIXEL, &black);
    const auto g = *x.geometry(parent);
    for (auto _ : state) {
        void* view = KezVst3EditorViewCreate(holder, parent, 1280, 730);
        const bool shown = waitFor([&] { return x.pixel(g.x + kBackgroundX, g.y + kBackgroundY) == kEditorBackground; });
        state.PauseTiming();
        KezVst3EditorViewRelease(view);
        xcb_clear_area(x.get(), 0, parent, 0, 0, 0, 0);
        waitFor([&] { return x.pixel(g.x + kBackgroundX, g.y + kBackgroundY) != kEditorBackground; });
        if (!shown) return state.SkipWithError("no first frame");
        state.ResumeTiming();
    }
    x.destroyWindow(parent);
    KezVst3StoreRelease(holder);
}
BENCHMARK(PluginViewFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
