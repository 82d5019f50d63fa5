// The view layer against its budget: a full rebuild, layout and paint of a main-screen-sized screen, a
// playhead tick that rebuilds only its readers, and one drag step through a store-like change.
#include "bench/ui/damage_painter.h"
#include "bench/ui/synthetic_screen.h"

#include <benchmark/benchmark.h>

namespace pulvan::bench {
namespace {

struct Screen {
    explicit Screen(double scale)
        : scale(scale),
          harness([this] { return syntheticScreen(model); }, {1280, 730}, scale),
          bitmap(int(1280 * scale), int(730 * scale)) {
        paintDamage(harness, bitmap, scale);
    }
    SyntheticModel model;
    double scale;
    ui::Harness harness;
    ui::Bitmap bitmap;
};

void BM_FullRebuildLayoutPaint(benchmark::State& state) {
    Screen s(static_cast<double>(state.range(0)));
    std::size_t nodes = 0;
    for (auto _ : state) {
        s.model.changed.emit();
        s.harness.update();
        paintDamage(s.harness, s.bitmap, s.scale);
    }
    const auto count = [&](auto& self, const ui::Node& n) -> void {
        ++nodes;
        for (const auto& c : n.children()) self(self, *c);
    };
    count(count, *s.harness.root().rootNode());
    state.counters["nodes"] = static_cast<double>(nodes);
}
BENCHMARK(BM_FullRebuildLayoutPaint)->Arg(1)->Arg(2)->ArgName("scale")->Unit(benchmark::kMillisecond);

void BM_PlayheadTick(benchmark::State& state) {
    Screen s(1);
    for (auto _ : state) {
        s.model.playheadColumn = (s.model.playheadColumn + 1) % 16;
        s.model.playhead.emit();
        s.harness.update();
        paintDamage(s.harness, s.bitmap, s.scale);
    }
}
BENCHMARK(BM_PlayheadTick)->Unit(benchmark::kMillisecond);

void BM_DragStep(benchmark::State& state) {
    Screen s(1);
    const ui::Point start{400, 200};
    s.harness.press(start);
    double y = 0;
    for (auto _ : state) {
        y = y > 40 ? 0 : y + 1;
        s.harness.move({start.x, start.y + y});
        paintDamage(s.harness, s.bitmap, s.scale);
    }
    s.harness.release(start);
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pulvan::bench
