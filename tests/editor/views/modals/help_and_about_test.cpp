#include "editor/views/modals/about_modal.h"
#include "editor/views/modals/midi_setup_help_modal.h"
#include "platform/ui/image.h"
#include "tests/editor/views/modals/modal_test_rig.h"
#include "tests/platform/ui/golden.h"

namespace pulvan::views::test {
namespace {

using store::KezModal;

class HelpAndAboutTest : public ModalTest {
protected:
    void open(KezModal modal, std::function<ui::View()> view, ui::Size size) {
        store.setActiveModal(modal);
        show(std::move(view), size);
    }
};

TEST_F(HelpAndAboutTest, TheHelpPicturesShipInTheBundle) {
    for (const char* name : {"1_midi", "2_cc", "3_slide"}) {
        const auto picture = ui::Image::named(name);
        ASSERT_TRUE(picture) << name;
        EXPECT_EQ(picture->pixelSize(), (ui::Size{960, 600})) << name;
    }
}

TEST_F(HelpAndAboutTest, HelpShowsItsPicturesAndOneScrollHint) {
    open(KezModal::midiSetupHelp, [] { return ui::View(MidiSetupHelpModal::withStandardTexts()); }, {1000, 720});
    for (const char* name : {"1_midi", "2_cc", "3_slide"}) {
        const ui::Rect cell = harness->frame(std::string("midiSetupHelp.image.") + name);
        EXPECT_GT(cell.height, 120) << name;  // a picture, not the placeholder
    }
    EXPECT_TRUE(harness->exists("midiSetupHelp.scrollHint"));
    EXPECT_EQ(harness->frame("midiSetupHelp.scroll").height, 520);  // more content than fits: it scrolls
    expectMatchesGolden(harness->render(), "midi_setup_help");
    harness->scroll(harness->center("midiSetupHelp.scroll"), 0, 2000);
    expectMatchesGolden(harness->render(), "midi_setup_help_scrolled");
}

TEST_F(HelpAndAboutTest, AMissingPictureShowsItsNameAndKeepsTheCellsHeight) {
    show([] { return MidiSetupImageCell{.imageResourceName = "4_none"}.testId("cell"); }, {300, 200});
    EXPECT_EQ(harness->frame("cell").height, 120);
    expectMatchesGolden(harness->render(), "midi_setup_missing_image");
}

TEST_F(HelpAndAboutTest, OnlyTheWebAddressesAreLinksAndEachClickOpensOnce) {
    open(KezModal::about, [] { return ui::View(AboutModal{}); }, {420, 400});
    const std::pair<const char*, std::vector<std::string>> clicks[] = {
        {"about.Website", {AboutEndpoints::websiteURL}},
        {"about.Manual", {AboutEndpoints::websiteURL, AboutEndpoints::manualURL}},
        {"about.Support", {AboutEndpoints::websiteURL, AboutEndpoints::manualURL}},
    };
    for (const auto& [entry, opened] : clicks) {
        harness->clickOn(entry);
        EXPECT_EQ(services.openedURLs, opened) << entry;
        EXPECT_EQ(store.activeModal().get(), KezModal::about);  // a link leaves the panel open
    }
    expectMatchesGolden(harness->render(), "about");
}

TEST_F(HelpAndAboutTest, OnlyWellFormedWebAddressesOpen) {
    const std::pair<const char*, bool> cases[] = {{"https://kezwerk.com", true},
                                                  {"http://kezwerk.com/pulvan/", true},
                                                  {"https://", false},
                                                  {"https:///path", false},
                                                  {"kezwerk.com", false},
                                                  {"https://kez werk.com", false},
                                                  {"mailto:support@kezwerk.com", false},
                                                  {"", false}};
    for (const auto& [url, openable] : cases) EXPECT_EQ(isOpenableURL(url), openable) << url;
}

TEST_F(HelpAndAboutTest, CloseButtonsEndTheirModal) {
    const std::pair<KezModal, std::function<ui::View()>> modals[] = {
        {KezModal::about, [] { return ui::View(AboutModal{}); }},
        {KezModal::midiSetupHelp, [] { return ui::View(MidiSetupHelpModal::withStandardTexts()); }}};
    for (const auto& [modal, view] : modals) {
        open(modal, view, {1000, 720});
        store.dropdown.set(store::DropdownRequest{});
        harness->clickOn("modal.close");
        EXPECT_EQ(store.activeModal().get(), std::nullopt);
        EXPECT_EQ(store.dropdown.get(), std::nullopt);  // the store was told the modal changed
    }
}

}  // namespace
}  // namespace pulvan::views::test
