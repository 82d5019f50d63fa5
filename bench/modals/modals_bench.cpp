// The modals against the editor's budget: opening the 128-entry controller dropdown of the track settings
// (at most 8 ms) and one drag step of a live controller knob (at most 8 ms).
#include "bench/store/bench_store.h"
#include "editor/views/modals/performance_track_live_cc_section.h"
#include "editor/views/modals/track_settings_modal.h"
#include "editor/views/shell/dropdown_host.h"
#include "platform/ui/harness.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"

#include <benchmark/benchmark.h>

namespace pulvan::bench {
namespace {

// The track settings under a dropdown host that knows where its fields are.
struct SettingsWithDropdowns {
    ui::View body(ui::BuildContext& context) const {
        const auto anchors = context.state<views::DropdownAnchorKey::Value>();
        return ui::View(views::TrackSettingsModal{})
            .frame({.maxWidth = ui::infinity, .maxHeight = ui::infinity})
            .onPreferenceChange<views::DropdownAnchorKey>([anchors](const views::DropdownAnchorKey::Value& v) { anchors.set(v); })
            .overlay(views::DropdownHost{.anchors = *anchors});
    }
};

// Six track sections in rows of three, as the performance modal lays them out.
struct SixSections {
    ui::View body(ui::BuildContext& context) const {
        auto& store = context.object<store::SequencerStore>();
        context.observe(store.didChange);
        ui::Views sections;
        for (int i = 0; i < 6; ++i)
            sections.push_back(
                views::PerformanceTrackLiveCCSection{.trackIndex = i, .track = store.preset->tracks[static_cast<std::size_t>(i)]});
        return ui::adaptiveGrid({.minimumColumnWidth = 180, .columnSpacing = 26, .rowSpacing = 34, .alignment = ui::unit::leading},
                                sections);
    }
};

// The window redrawn whole after each step: more than a window's damaged area, so an upper bound.
struct Window {
    Window(store::SequencerStore& store, std::function<ui::View()> content)
        : harness([&store, content] { return content().environmentObject(store); }, {1280, 730}) {
        harness.root().setAnimationsEnabled(false);
    }
    void paint() { benchmark::DoNotOptimize(harness.render()); }
    ui::Harness harness;
};

void BM_OpenControllerDropdown(benchmark::State& state) {
    BenchStore bench;
    Window w(*bench.store, [] { return ui::View(SettingsWithDropdowns{}); });
    const ui::Point field = w.harness.center("ccA");
    for (auto _ : state) {
        w.harness.click(field);
        w.paint();
        state.PauseTiming();
        bench.store->dropdown.set(std::nullopt);
        w.harness.update();
        w.paint();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenControllerDropdown)->Unit(benchmark::kMillisecond);

void BM_KnobDragStep(benchmark::State& state) {
    BenchStore bench;
    Window w(*bench.store, [] { return ui::View(SixSections{}); });
    const ui::Rect knob = w.harness.frame("knobA0");
    const ui::Point dial{knob.midX(), knob.minY() + 26};
    w.harness.press(dial);
    double dy = 0;
    for (auto _ : state) {
        dy = dy > 100 ? 0 : dy + 3;
        w.harness.move({dial.x, dial.y - dy});
        w.paint();
    }
    w.harness.release(dial);
}
BENCHMARK(BM_KnobDragStep)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pulvan::bench
