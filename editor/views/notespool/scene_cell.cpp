#include "editor/views/notespool/scene_cell.h"

#include "editor/views/notespool/value_reader.h"
#include "editor/views/shell/modal_option.h"
#include "editor/views/shell/theme.h"

#include <optional>
#include <string>

namespace pulvan::views {

using namespace ui;

namespace {

struct CellLook {
    bool active = false;
    bool holdsChord = false;
    std::optional<double> progress;
    friend bool operator==(const CellLook&, const CellLook&) = default;
};

}  // namespace

View SceneCell::body(BuildContext& context) const {
    const SceneCell self = *this;
    const auto& store = context.object<store::SequencerStore>();
    return View(ValueReader<CellLook>{
                    .signals = {&context.object<store::PlayheadState>().didChange},
                    .value =
                        [self, &store] {
                            CellLook look{.holdsChord = !store.isChordSceneEmpty(self.scene)};
                            if (self.storeStripStyle) return look;
                            look.active = store.activeSceneIndex.get() == self.scene;
                            if (store.pendingSceneSelectionIndex == self.scene && store.isSceneLaunchResolutionBarOrBeat())
                                look.progress = store.playhead.sceneSelectionProgress.get();
                            return look;
                        },
                    .content =
                        [self](const CellLook& look) {
                            return View(ModalOption{
                                .label = "Scene " + std::to_string(self.scene + 1),
                                .leadingSystemImageSize = 11,
                                .active = look.active,
                                .progress = look.progress,
                                .pressHighlight = self.storeStripStyle,
                                .presenceIndicatorColor = look.holdsChord ? globalAccentColor() : Color::clear(),
                                .allowSecondaryTouches = true,
                                .onPressStart = self.onPressStart,
                                .onPressEnd = self.onPressEnd,
                                .action = self.action,
                            });
                        },
                })
        .testId("scene" + std::to_string(scene));
}

}  // namespace pulvan::views
