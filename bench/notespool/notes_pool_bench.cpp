// The notes-pool modal against its budget: its first frame, and a playhead tick while it is open (the
// active track's notes move, so the keyboard's lit keys and the scene cells redraw).
#include "bench/store/bench_store.h"
#include "bench/ui/damage_painter.h"
#include "editor/library/preset_library.h"
#include "editor/views/notespool/notes_pool_modal.h"
#include "editor/views/shell/editor_services.h"
#include "editor/views/shell/environment_keys.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/cairo_painter.h"
#include "platform/ui/harness.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

namespace pulvan::bench {
namespace {

class BenchServices final : public views::EditorServices {
public:
    explicit BenchServices(store::SequencerStore& store) : library_(store, {}) {}
    void setHostedUI(bool) override {}
    void startAppPlay() override {}
    void stopAppPlay() override {}
    void toggleHostedMIDIRecord() override {}
    library::PresetLibrary& presetLibrary() override { return library_; }
    void presentChooser(const views::ChooserRequest&, std::optional<views::WindowReference>,
                        std::function<void(const library::PickerResult&)>) override {}
    void openURL(const std::string&) override {}
    std::optional<ui::Rect> screenVisibleFrame() override { return std::nullopt; }

private:
    library::PresetLibrary library_;
};

struct OpenModal {
    BenchStore bench;
    BenchServices services{*bench.store};
    ui::Bitmap bitmap{1280, 730};
    std::unique_ptr<ui::Harness> harness;

    void open() {
        harness = std::make_unique<ui::Harness>(
            [this] {
                return ui::View(views::NotesPoolModal{})
                    .environment<views::KezModalViewportWidthKey>(1080)
                    .environmentObject(*bench.store)
                    .environmentObject(bench.store->playhead)
                    .environmentObject(static_cast<views::EditorServices&>(services));
            },
            ui::Size{1280, 730});
        harness->update();
        paintDamage(*harness, bitmap, 1);
    }
};

void BM_NotesPoolFirstFrame(benchmark::State& state) {
    OpenModal modal;
    for (auto _ : state) {
        modal.open();
        state.PauseTiming();
        modal.harness.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NotesPoolFirstFrame)->Unit(benchmark::kMillisecond);

void BM_PlayheadTickWithNotesPoolOpen(benchmark::State& state) {
    OpenModal modal;
    modal.open();
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 12;
        modal.bench.store->playhead.activeTrackNotes.set({60 + step, 64 + step});
        modal.bench.store->playhead.sceneSelectionProgress.set(step / 12.0);
        modal.harness->update();
        paintDamage(*modal.harness, modal.bitmap, 1);
    }
}
BENCHMARK(BM_PlayheadTickWithNotesPoolOpen)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pulvan::bench
