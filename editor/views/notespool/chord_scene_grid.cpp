#include "editor/views/notespool/chord_scene_grid.h"

#include "editor/library/preset_library.h"
#include "editor/views/notespool/notes_pool_chip.h"
#include "editor/views/notespool/notes_pool_layout.h"
#include "editor/views/notespool/scene_cell.h"
#include "editor/views/notespool/scene_launch_resolution.h"
#include "editor/views/shell/armed_tooltip.h"
#include "editor/views/shell/dropdown_keys.h"
#include "editor/views/shell/editor_services.h"
#include "editor/views/shell/modal_option.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;

namespace {

View option(std::string testId, ModalOption option, double width) {
    option.leadingSystemImageSize = 11;
    option.allowSecondaryTouches = true;
    return View(std::move(option)).frame({.width = width}).testId(std::move(testId));
}

// "Copy" and "Swap": lit red while armed, blinking with the cells, with the armed tooltip.
View armingButton(const std::string& label, bool armed, bool blinkOn, double width, std::function<void()> action) {
    return ArmedTooltipModifier{.text = "Select the target scene", .visible = armed, .yOffset = 35}(
        option(label, {.label = label, .active = armed, .activeColor = systemRedColor, .pressHighlight = true, .action = std::move(action)},
               width)
            .opacity(armed && blinkOn ? 0.45 : 1));
}

}  // namespace

void followPoolChange(store::SequencerStore& store, const State<KeyboardScrollRequest>& scrollRequest,
                      const std::function<void()>& command) {
    const std::vector<int> before = store.preset->notesPool;
    command();
    scrollRequest.set(scrollRequest->following(before, store.preset->notesPool));
}

void tapChordScene(store::SequencerStore& store, int scene, const State<KeyboardScrollRequest>& scrollRequest) {
    const int sceneBefore = store.activeSceneIndex.get();
    const std::vector<int> poolBefore = store.preset->notesPool;
    if (store.sceneCopyToActive().get()) {
        store.pasteChordToScene(scene);
        store.setSceneCopyToActive(false);
    } else if (store.sceneSwapWithActive().get()) {
        store.swapChordScenes(scene);
        store.setSceneSwapWithActive(false);
    }
    store.selectScene(scene);
    if (sceneBefore == scene && poolBefore == store.preset->notesPool) return;
    scrollRequest.set({scrollRequest->token + 1, poolBefore, store.preset->notesPool});
}

void tapCopy(store::SequencerStore& store) {
    if (store.sceneCopyToActive().get()) {
        store.setSceneCopyToActive(false);
        return;
    }
    store.setSceneSwapWithActive(false);
    store.copyChordOfScene();
    store.setSceneCopyToActive(true);
}

void tapSwap(store::SequencerStore& store) {
    if (store.sceneSwapWithActive().get()) {
        store.setSceneSwapWithActive(false);
        return;
    }
    store.setSceneCopyToActive(false);
    store.setSceneSwapWithActive(true);
}

Views auditioningSceneCells(store::SequencerStore& store, const SceneSectionContext& section, bool storeStripStyle,
                            const std::function<void(int scene)>& tap) {
    Views cells;
    for (int scene = 0; scene < 8; ++scene) {
        const State<SceneAudition> audition = section.sceneAudition;
        cells.push_back(View(SceneCell{
                                 .scene = scene,
                                 .storeStripStyle = storeStripStyle,
                                 .onPressStart =
                                     [&store, audition, scene, enabled = section.auditionEnabled] {
                                         audition.modify([&](SceneAudition& a) { a.start(store, scene, enabled); });
                                     },
                                 .onPressEnd = [&store, audition] { audition.modify([&](SceneAudition& a) { a.end(store); }); },
                                 .action = [tap, scene] { tap(scene); },
                             })
                            .frame({.width = section.layout.cellWidth})
                            .opacity(section.blinkOn ? 0.45 : 1));
    }
    return cells;
}

View sceneLaunchResolutionItem(double itemWidth, foundation::Uuid anchor) {
    const double inset = NotesPoolLayout::resolutionInsetIn(itemWidth);
    const double buttonWidth = std::max(itemWidth - 2 * inset, 1.0);
    return View(SceneLaunchResolutionButton{.width = buttonWidth, .anchorID = anchor, .dropdownWidth = std::max(buttonWidth, 98.0)})
        .anchorPreference<DropdownAnchorKey>(dropdownAnchor(anchor))
        .frame({.width = itemWidth});
}

View ProgressionRow::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    auto& library = context.object<EditorServices>().presetLibrary();
    const NotesPoolLayout& layout = section.layout;
    const bool sceneMode = store.preset->notesPoolInput == model::NotesPoolInput::internalChord;
    Views items;
    items.push_back(option("progressionPresets",
                           {.label = "Progression presets",
                            .pressHighlight = true,
                            .action = [&library, anchor = presetsAnchor] { library.presentChordProgressionPresetsDropdown(anchor); }},
                           layout.span(NotesPoolLayout::progressionSpan))
                        .anchorPreference<DropdownAnchorKey>(dropdownAnchor(presetsAnchor)));
    items.push_back(option("saveProgression",
                           {.label = "Save", .pressHighlight = true, .action = [&library] { library.presentSaveChordProgressionPrompt(); }},
                           layout.cellWidth));
    items.push_back(gridFiller(layout.span(NotesPoolLayout::progressionFillerColumns())));
    const std::pair<const char*, int> shifts[] = {{"← oct", -12}, {"oct →", 12}, {"←", -1}, {"→", 1}};
    for (const auto& [label, amount] : shifts) {
        items.push_back(
            option(std::string("shift") + std::to_string(amount),
                   {.label = label,
                    .pressHighlight = true,
                    .enabled = sceneMode,
                    .action = [&store, scroll = section.scrollRequest,
                               amount = amount] { followPoolChange(store, scroll, [&store, amount] { store.shiftChord(amount); }); }},
                   layout.cellWidth));
    }
    return hstackOf({.spacing = NotesPoolLayout::gridSpacing}, std::move(items))
        .frame({.width = layout.contentWidth, .alignment = unit::leading});
}

View ChordSceneGrid::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    const NotesPoolLayout& layout = section.layout;
    Views items = auditioningSceneCells(store, section, false,
                                        [&store, scroll = section.scrollRequest](int scene) { tapChordScene(store, scene, scroll); });
    items.push_back(sceneLaunchResolutionItem(layout.span(NotesPoolLayout::resolutionSpan), resolutionAnchor));
    items.push_back(armingButton("Copy", store.sceneCopyToActive().get(), section.blinkOn, layout.cellWidth, [&store] { tapCopy(store); }));
    items.push_back(
        armingButton("Swap", store.sceneSwapWithActive().get(), section.blinkOn, layout.cellWidth, [&store] { tapSwap(store); }));
    items.push_back(option("Clear", {.label = "Clear", .pressHighlight = true, .action = [&store] { store.clearActiveSceneChord(); }},
                           layout.cellWidth));
    return hstackOf({.spacing = NotesPoolLayout::gridSpacing}, std::move(items))
        .frame({.width = layout.contentWidth, .alignment = unit::leading});
}

}  // namespace pulvan::views
