// One GATE toggle in the running application: a click on a GATE step (pressed and released through
// XTest), its new look checked on screen, with the CPU time it cost the pulvan process and the X server
// (both read from /proc, so the server's share, which no in-process benchmark sees, is counted). Also
// the CPU of both while the application plays with the editor open. Needs DISPLAY; Xvfb will do.
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/x11/x_client.h"

#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr std::uint32_t kEditorBackground = 0x0E0E10;

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return true;
}

// User and system time of a process, in seconds.
double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string skip;
    for (int i = 3; i <= 13; ++i) fields >> skip;
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The X server of DISPLAY: the process whose command line names the display (Xvfb :N, Xorg :N).
pid_t serverOfDisplay() {
    const char* display = std::getenv("DISPLAY");
    if (!display) return 0;
    std::string name(display);
    if (const auto dot = name.find('.', name.find(':')); dot != std::string::npos) name.resize(dot);
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "cmdline");
        std::string cmdline((std::istreambuf_iterator<char>(in)), {});
        std::vector<std::string> args;
        std::stringstream split(cmdline);
        for (std::string arg; std::getline(split, arg, '\0');) args.push_back(arg);
        if (args.size() < 2 || std::filesystem::path(args[0]).filename().string().rfind('X', 0) != 0) continue;
        for (const auto& arg : args)
            if (arg == name) return static_cast<pid_t>(std::stol(pid));
    }
    return 0;
}

struct RunningApp {
    pulvan::x11::test::XClient x;
    pulvan::test::TempFolder home;
    pulvan::test::ScopedEnvironment config{"XDG_CONFIG_HOME", home.path().string()}, data{"XDG_DATA_HOME", home.path().string()};
    pid_t pid = 0;
    std::optional<pulvan::x11::test::XClient::Geometry> window;

    bool start() {
        if (!std::getenv("DISPLAY") || !x.open()) return false;
        char* argv[] = {const_cast<char*>(PULVAN_PROGRAM), nullptr};
        if (posix_spawn(&pid, PULVAN_PROGRAM, nullptr, nullptr, argv, environ) != 0) return false;
        xcb_window_t w = 0;
        return waitFor([&] {
            if (!w) w = x.topLevelNamed("Pulvan");
            if (w) window = x.geometry(w);
            return window && x.pixel(window->x + 8, window->y + 400) == kEditorBackground;
        });
    }
    ~RunningApp() {
        if (pid) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

// The first GATE step of the default 1280 x 730 window, and the "App play" button.
constexpr int kGateStepX = 205, kGateStepY = 188;
constexpr int kAppPlayX = 747, kAppPlayY = 35;

// A checksum of the pixels around a point: the step's dots come and go inside it.
std::uint64_t areaChecksum(pulvan::x11::test::XClient& x, int cx, int cy) {
    auto* r = xcb_get_image_reply(x.get(),
                                  xcb_get_image(x.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, x.root(), static_cast<std::int16_t>(cx - 12),
                                                static_cast<std::int16_t>(cy - 4), 24, 8, ~0u),
                                  nullptr);
    std::uint64_t sum = 0;
    if (r) {
        const std::uint8_t* data = xcb_get_image_data(r);
        for (int i = 0; i < xcb_get_image_data_length(r); ++i) sum = sum * 1099511628211ULL + data[i];
    }
    std::free(r);
    return sum;
}

// What the processes spend with nothing to do (timers, the playhead's polls) is measured first and taken
// off, so the counters are the toggle's own cost.
void GateToggleInTheApplication(benchmark::State& state) {
    RunningApp app;
    if (!app.start()) return state.SkipWithError("no X display or no first frame");
    const pid_t server = serverOfDisplay();
    const int x = app.window->x + kGateStepX, y = app.window->y + kGateStepY;
    const auto cpu = [&] { return std::pair{cpuSeconds(app.pid), server ? cpuSeconds(server) : 0.0}; };
    const auto idleStart = cpu();
    const auto idleSeconds = std::chrono::seconds(5);
    std::this_thread::sleep_for(idleSeconds);
    const auto idleEnd = cpu();
    const double appIdle = (idleEnd.first - idleStart.first) / static_cast<double>(idleSeconds.count());
    const double serverIdle = (idleEnd.second - idleStart.second) / static_cast<double>(idleSeconds.count());

    const auto loopStart = std::chrono::steady_clock::now();
    const auto before = cpu();
    std::int64_t toggles = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::uint64_t shown = areaChecksum(app.x, x, y);
        state.ResumeTiming();
        app.x.click(x, y);
        app.x.sync();
        state.PauseTiming();
        // Looked at once, after a pause that also keeps two clicks from making a double click: asking the
        // server for pixels while it works would count as its work.
        std::this_thread::sleep_for(std::chrono::milliseconds(450));
        if (areaChecksum(app.x, x, y) == shown) return state.SkipWithError("the step did not change");
        ++toggles;
        state.ResumeTiming();
    }
    const auto after = cpu();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - loopStart).count();
    const auto perToggleMs = [&](double spent, double idle) { return (spent - idle * seconds) * 1000 / static_cast<double>(toggles); };
    state.counters["pulvan_cpu_ms"] = perToggleMs(after.first - before.first, appIdle);
    state.counters["pulvan_idle_percent"] = appIdle * 100;
    if (server) {
        state.counters["xserver_cpu_ms"] = perToggleMs(after.second - before.second, serverIdle);
        state.counters["xserver_idle_percent"] = serverIdle * 100;
    }
}
BENCHMARK(GateToggleInTheApplication)->Unit(benchmark::kMillisecond)->Iterations(40)->UseRealTime();

// "App play" starts play; CPU over the seconds given, as a share of one core.
void PlayingWithTheEditorOpen(benchmark::State& state) {
    RunningApp app;
    if (!app.start()) return state.SkipWithError("no X display or no first frame");
    const pid_t server = serverOfDisplay();
    const auto seconds = std::chrono::seconds(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        // The engine is ready for play a moment after the first frame.
        std::this_thread::sleep_for(std::chrono::seconds(2));
        app.x.click(app.window->x + kAppPlayX, app.window->y + kAppPlayY);
        app.x.sync();
        const double appBefore = cpuSeconds(app.pid), serverBefore = server ? cpuSeconds(server) : 0;
        state.ResumeTiming();
        std::this_thread::sleep_for(seconds);
        state.counters["pulvan_cpu_percent"] = (cpuSeconds(app.pid) - appBefore) * 100 / static_cast<double>(seconds.count());
        if (server)
            state.counters["xserver_cpu_percent"] = (cpuSeconds(server) - serverBefore) * 100 / static_cast<double>(seconds.count());
        app.x.click(app.window->x + kAppPlayX, app.window->y + kAppPlayY);  // stopped before the program ends
        app.x.sync();
    }
}
BENCHMARK(PlayingWithTheEditorOpen)->Arg(30)->ArgName("seconds")->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
