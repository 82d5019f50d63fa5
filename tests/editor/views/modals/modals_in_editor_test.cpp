#include "editor/views/modals/global_settings_modal.h"
#include "editor/views/modals/performance_modal.h"
#include "editor/views/modals/track_settings_modal.h"
#include "tests/editor/views/shell/overlay_stage.h"
#include "tests/platform/ui/golden.h"

namespace pulvan::views {
namespace {

using store::KezModal;

// The modals as the editor shows them at its design size, placed by the modal host under their openers,
// with a dropdown open where one was tapped.
class ModalsInEditorTest : public OverlayTest {
protected:
    std::unique_ptr<ui::Harness> show(KezModal modal, ui::Point opener) {
        auto h = stage({modalOpener(opener, modal)}, [this](KezModal open) -> ui::View {
            switch (open) {
                case KezModal::performance: return ui::View(PerformanceModal{}).environmentObject(store->playhead);
                case KezModal::settings: return TrackSettingsModal{};
                default: return GlobalSettingsModal{};
            }
        });
        store->setActiveModal(modal);
        h->advance(0.2);
        return h;
    }
};

TEST_F(ModalsInEditorTest, PlacedUnderTheirOpenersWithTheirDropdowns) {
    const std::tuple<KezModal, ui::Point, const char*, const char*> cases[] = {
        {KezModal::settings, {700, 60}, "ccA", "modals/editor_track_settings_cc_dropdown"},
        {KezModal::globalSettings, {20, 20}, "defaultCCB", "modals/editor_global_settings_cc_dropdown"},
        {KezModal::performance, {40, 200}, "sceneLaunchResolution", "modals/editor_performance_resolution_dropdown"},
    };
    for (const auto& [modal, opener, field, golden] : cases) {
        SCOPED_TRACE(golden);
        const auto h = show(modal, opener);
        h->clickOn(field);
        ASSERT_TRUE(store->dropdown.get());
        EXPECT_EQ(store->activeModal().get(), modal);
        ui::expectMatchesGolden(h->render(), golden);
        store->dropdown.set(std::nullopt);
    }
}

// "65 Portamento On/Off" is wider than the field: the field keeps its width, the name loses its tail.
TEST_F(ModalsInEditorTest, ALongPortamentoControllerNameKeepsTheFieldAtItsWidth) {
    store->preset.modify([](model::Preset& p) { p.tracks[0].portamentoCC = 65; });
    const auto h = show(KezModal::settings, {700, 60});
    const ui::Rect field = h->frame("portamentoCC");
    EXPECT_EQ(field.width, 90);
    EXPECT_EQ(field.height, 32);
    EXPECT_EQ(field.minX(), h->frame("ccB").minX()) << "under the other fields";
}

}  // namespace
}  // namespace pulvan::views
