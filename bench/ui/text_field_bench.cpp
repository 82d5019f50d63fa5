// A click in a text field holding long pasted text: the caret placed from the point, and the repaint.
#include "bench/ui/damage_painter.h"
#include "platform/ui/layout.h"
#include "platform/ui/text_field.h"

#include <benchmark/benchmark.h>

namespace pulvan::bench {
namespace {

void BM_LongTextFieldClick(benchmark::State& state) {
    std::string text;
    while (text.size() < static_cast<std::size_t>(state.range(0))) text += "Deep House Chords ♪ ";
    ui::Harness h([&] { return ui::textField({.text = text}).frame({.width = 240}).testId("field"); }, {260, 40});
    ui::Bitmap bitmap(260, 40);
    paintDamage(h, bitmap, 1);
    const ui::Rect field = h.frame("field");
    int i = 0;
    for (auto _ : state) {
        h.click({field.x + 10 + (i++ % 20) * 11, field.midY()});
        paintDamage(h, bitmap, 1);
        state.PauseTiming();
        h.advance(0.5);  // apart, so no click counts as a double click
        paintDamage(h, bitmap, 1);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LongTextFieldClick)->Arg(1'000)->Arg(100'000)->ArgName("bytes")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pulvan::bench
