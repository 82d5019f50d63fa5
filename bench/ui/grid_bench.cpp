// The main screen's grid with the densest preset: a full frame (store change, rebuild, layout, paint),
// a playhead tick, and one paint step on the tall lane from the pointer to the configuration the
// engine receives.
#include "bench/store/bench_store.h"
#include "bench/ui/damage_painter.h"
#include "editor/link/store_link.h"
#include "tests/editor/views/main/grid_card.h"

#include <benchmark/benchmark.h>

namespace pulvan::bench {
namespace {

struct Grid {
    explicit Grid(double scale)
        : harness([this] { return views::gridCard(*data.store); }, {1280, 730}, scale),
          bitmap(static_cast<int>(1280 * scale), static_cast<int>(730 * scale)) {
        repaint();
    }
    double scale() { return harness.root().displayScale(); }
    void repaint() { paintDamage(harness, bitmap, scale()); }
    ui::Point tallLaneStep(int column, double fromTop) const {
        const ui::Rect f = harness.frame("tall-lane");
        return {f.x + (column + 0.5) * f.width / 16, f.y + fromTop * f.height};
    }

    BenchStore data;
    ui::Harness harness;
    ui::Bitmap bitmap;
};

// One measured step each, out of line: `valgrind --tool=callgrind --toggle-collect='*measured*'` counts the
// instructions of the steps alone, which repeat on a busy machine where times do not.
[[gnu::noinline]] void measuredFullFrame(Grid& g) {
    g.data.store->didChange.emit();
    g.harness.update();
    g.bitmap.render(g.harness.root().displayList(), g.scale());
}

[[gnu::noinline]] void measuredTick(Grid& g, const foundation::Uuid& track, int step) {
    g.data.store->playhead.globalStepByTrackID.set({{track, step}});
    g.harness.update();
    g.repaint();
}

[[gnu::noinline]] void measuredClick(Grid& g, ui::Point at) {
    g.harness.click(at);
    g.repaint();
}

std::size_t nodeCount(const ui::Node& node) {
    std::size_t count = 1;
    for (const auto& child : node.children()) count += nodeCount(*child);
    return count;
}

void BM_GridFullFrame(benchmark::State& state) {
    Grid g(static_cast<double>(state.range(0)));
    for (auto _ : state) measuredFullFrame(g);
    state.counters["nodes"] = static_cast<double>(nodeCount(*g.harness.root().rootNode()));
    state.counters["commands"] = static_cast<double>(g.harness.root().displayList().commands().size());
}
BENCHMARK(BM_GridFullFrame)->Arg(1)->Arg(2)->ArgName("scale")->Unit(benchmark::kMillisecond);

void BM_GridPlayheadTick(benchmark::State& state) {
    Grid g(1);
    const foundation::Uuid track = g.data.store->preset->tracks[0].id;
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 16;
        measuredTick(g, track, step);
    }
    state.counters["commands"] = static_cast<double>(g.harness.root().displayList().commands().size());
}
BENCHMARK(BM_GridPlayheadTick)->Unit(benchmark::kMillisecond);

// The page wrap: the playhead leaves the last column for the first (and, every other time, back).
void BM_GridPlayheadWrap(benchmark::State& state) {
    Grid g(1);
    const foundation::Uuid track = g.data.store->preset->tracks[0].id;
    int step = 0;
    for (auto _ : state) {
        step = step == 15 ? 0 : 15;
        measuredTick(g, track, step);
    }
}
BENCHMARK(BM_GridPlayheadWrap)->Unit(benchmark::kMillisecond);

// A click on a GATE step, as in the application: the store's change, the rebuild and the repaint.
void BM_GridGateToggle(benchmark::State& state) {
    Grid g(1);
    const ui::Rect gate = g.harness.frame("gate-lane");
    int i = 0;
    for (auto _ : state) {
        measuredClick(g, {gate.x + (i++ % 16 + 0.5) * gate.width / 16, gate.midY()});
        state.PauseTiming();
        g.harness.advance(0.5);  // apart, so no click counts as a double click
        g.repaint();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GridGateToggle)->Unit(benchmark::kMillisecond);

// A press on the tall lane writes a step; its release closes the gesture, which hands the whole
// configuration to the (hosted) engine.
void BM_TallLanePaintStep(benchmark::State& state) {
    Grid g(1);
    g.data.store->activeLane.set(model::LaneKind::velocity);
    g.harness.update();
    link::StoreLink link(*g.data.store);
    g.data.store->isHostedUI.set(true);
    int configurations = 0;
    g.data.store->hooks.hostedAppPlayConfigure = [&](const store::HostedAppPlayPayload&) { ++configurations; };
    int i = 0;
    for (auto _ : state) {
        const ui::Point at = g.tallLaneStep(i % 16, (i % 7) / 7.0 + 0.05);
        ++i;
        measuredClick(g, at);
        state.PauseTiming();
        g.harness.advance(0.5);  // apart, so no click counts as a double click
        g.repaint();
        state.ResumeTiming();
    }
    state.counters["configurations"] = benchmark::Counter(configurations, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TallLanePaintStep)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pulvan::bench
