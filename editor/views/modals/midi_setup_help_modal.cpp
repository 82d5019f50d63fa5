#include "editor/views/modals/midi_setup_help_modal.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/shell/modal_header.h"
#include "editor/views/shell/modal_panel.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/image.h"
#include "platform/ui/layout.h"
#include "platform/ui/scroll_view.h"

namespace pulvan::views {
namespace {

using ui::Edge;
using ui::Font;
using ui::FontWeight;
using ui::View;

// Filled, outlined and clipped as the help's cards are.
View card(View content) {
    return content.background(ui::color(controlBackgroundColor))
        .overlay(ui::continuousRoundedRectangle(8).stroke(themeBorderColor, 1))
        .clipShape(ui::shapes::continuousRoundedRectangle(8));
}

}  // namespace

View MidiSetupTextCell::body(ui::BuildContext&) const {
    ui::Views lineViews;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lineViews.push_back(
            ui::text(lines[i]).font(Font::system(13, FontWeight::medium)).foregroundColor(primaryTextColor).id(static_cast<int>(i)));
    }
    return card(ui::vstack({.alignment = Edge::leading, .spacing = 10},
                           ui::text(title).font(Font::system(14, FontWeight::bold)).foregroundColor(primaryTextColor),
                           ui::vstackOf({.alignment = Edge::leading, .spacing = 6}, std::move(lineViews)))
                    .padding(12)
                    .frame({.maxWidth = ui::infinity, .alignment = ui::unit::topLeading}));
}

View MidiSetupImageCell::body(ui::BuildContext&) const {
    const bool found = ui::Image::named(imageResourceName) != nullptr;
    return card(ui::zstack({}, found ? ui::image(imageResourceName).aspectRatio(std::nullopt, ui::View::ContentMode::fit)
                                     : ui::text("Missing image: " + imageResourceName + ".png")
                                           .font(Font::system(12, FontWeight::semibold))
                                           .foregroundColor(secondaryTextColor))
                    .padding(8)
                    .frame({.maxWidth = ui::infinity, .minHeight = 120}));
}

View MidiSetupScrollHint::body(ui::BuildContext&) const {
    return ui::vstack({.spacing = 10}, ui::text("Scroll down to view more").font(Font::system(18)),
                      ui::symbol("arrow.down").font(Font::system(24, FontWeight::semibold)))
        .foregroundColor(secondaryTextColor.opacity(0.9))
        .frame({.maxWidth = ui::infinity})
        .padding(Edge::top, 50);
}

View MidiSetupHelpRow::body(ui::BuildContext&) const {
    return ui::hstack({.alignment = Edge::top, .spacing = 12},
                      ui::vstack({.spacing = 0}, MidiSetupTextCell{.title = title, .lines = lines},
                                 showsScrollHint ? MidiSetupScrollHint{}.testId("midiSetupHelp.scrollHint") : View())
                          .frame({.maxWidth = ui::infinity, .alignment = ui::unit::top}),
                      MidiSetupImageCell{.imageResourceName = imageResourceName}
                          .frame({.maxWidth = ui::infinity})
                          .testId("midiSetupHelp.image." + imageResourceName));
}

MidiSetupHelpModal MidiSetupHelpModal::withStandardTexts() {
    return {
        .midiChannelLines = {"1. In your host, choose the MIDI IN settings for your instrument",
                             "2. Select \"Pulvan\" as a source (\"PulvanStandaloneMIDIPort\" for the standalone application)",
                             "3. Filter a MIDI channel (without filter, your instrument will receive all Pulvan tracks)"},
        .midiCCLines = {"- In your instrument, find or set 2 CCs on parameters you want to sequence (e.g. Cutoff and Resonance)",
                        "- In Pulvan, define the 2 CCs (CC A and CC B) in each track settings dialog."},
        .midiSlideLines = {"- In your instrument, enable MONO mode",
                           "- In your instrument, enable \"legato\" (aka portamento, glide, slide, auto) and increase the portamento time",
                           "- In Pulvan, add a \"legato\" step in the HOLD/LEGATO lane"}};
}

View MidiSetupHelpModal::body(ui::BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    return ModalPanel{
        .width = 900,
        .background = panelBackgroundColor,
        .borderColor = themeBorderColor,
        .content = {
            ui::View(ModalHeader{.title = "Midi setup help", .inlineActionColor = secondaryTextColor, .inlineActionFontSize = 11})
                .overlay(
                    ui::View(ModalCloseButton{.allowSecondaryTouches = true, .action = [&store] { store.setActiveModal(std::nullopt); }})
                        .testId("midiSetupHelp.close"),
                    ui::unit::trailing),
            ui::text("Quick help to route MIDI from Pulvan into your instruments.")
                .font(Font::system(12, FontWeight::medium))
                .foregroundColor(secondaryTextColor),
            ui::scrollView(
                {.showsIndicators = true},
                ui::vstack(
                    {.spacing = 40},
                    MidiSetupHelpRow{
                        .title = "MIDI Channels", .lines = midiChannelLines, .imageResourceName = "1_midi", .showsScrollHint = true},
                    MidiSetupHelpRow{.title = "MIDI CCs (Continuous Controllers)", .lines = midiCCLines, .imageResourceName = "2_cc"},
                    MidiSetupHelpRow{
                        .title = "The 303 slide (aka glide, legato, portamento)", .lines = midiSlideLines, .imageResourceName = "3_slide"}))
                .frame({.maxHeight = 520})
                .testId("midiSetupHelp.scroll")}};
}

}  // namespace pulvan::views
