#include "editor/views/modals/about_modal.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/shell/editor_services.h"
#include "editor/views/shell/modal_header.h"
#include "editor/views/shell/modal_panel.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <cctype>

namespace pulvan::views {
namespace {

using ui::Font;
using ui::FontWeight;
using ui::View;

// The link colour of the desktop's standard theme.
constexpr Color linkBlueColor = colorFromHex(0x3584E4);

}  // namespace

bool isOpenableURL(const std::string& url) {
    std::string_view rest = url;
    for (std::string_view scheme : {"https://", "http://"}) {
        if (rest.starts_with(scheme)) {
            rest.remove_prefix(scheme.size());
            const bool hasHost = !rest.empty() && rest.front() != '/';
            return hasHost && std::none_of(url.begin(), url.end(), [](unsigned char c) { return std::isspace(c) || std::iscntrl(c); });
        }
    }
    return false;
}

View AboutEntry::body(ui::BuildContext& context) const {
    auto& services = context.object<EditorServices>();
    View shown =
        ui::text(shownText).font(Font::system(14, FontWeight::semibold)).foregroundColor(isLink ? linkBlueColor : primaryTextColor);
    if (isLink && isOpenableURL(url)) {
        shown = shown.contentShape(ui::shapes::rectangle()).onTapGesture([&services, url = url] { services.openURL(url); });
    }
    return ui::vstack({.spacing = 4}, ui::text(caption).font(Font::system(12, FontWeight::semibold)).foregroundColor(secondaryTextColor),
                      shown.testId("about." + caption));
}

View AboutModal::body(ui::BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    using E = AboutEndpoints;
    return ModalPanel{
        .width = 380,
        .background = panelBackgroundColor,
        .borderColor = themeBorderColor,
        .content = {ui::View(ModalHeader{.title = "About", .inlineActionColor = secondaryTextColor, .inlineActionFontSize = 11})
                        .overlay(ui::View(ModalCloseButton{.allowSecondaryTouches = true,
                                                           .action = [&store] { store.setActiveModal(std::nullopt); }})
                                     .testId("about.close"),
                                 ui::unit::trailing),
                    ui::vstack({.spacing = 16},
                               ui::text("kez").font(Font::system(32, FontWeight::bold)).tracking(11).foregroundColor(primaryTextColor),
                               AboutEntry{.caption = "Website", .shownText = E::websiteText, .url = E::websiteURL, .isLink = true},
                               AboutEntry{.caption = "Manual", .shownText = E::manualText, .url = E::manualURL, .isLink = true},
                               AboutEntry{.caption = "Support", .shownText = E::supportAddress})
                        .frame({.maxWidth = ui::infinity})}};
}

}  // namespace pulvan::views
