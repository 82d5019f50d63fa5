#pragma once
// The about panel: the maker's brand word, website, manual page and support address.
#include "platform/ui/view_modifiers.h"

#include <string>

namespace pulvan::views {

struct AboutEndpoints {
    static constexpr const char* websiteURL = "https://kezwerk.com";
    static constexpr const char* websiteText = "kezwerk.com";
    static constexpr const char* manualURL = "https://kezwerk.com/pulvan/";
    static constexpr const char* manualText = "kezwerk.com/pulvan/";
    static constexpr const char* supportAddress = "support@kezwerk.com";
};

// Whether the text is a web address a link can open: http or https, a host, no spaces.
bool isOpenableURL(const std::string& url);

// A caption over a text; with a URL that can be opened, the text is a link that opens it through
// the editor's services.
struct AboutEntry : ui::ViewModifiers<AboutEntry> {
    std::string caption;
    std::string shownText;
    std::string url;  // empty: plain text
    bool isLink = false;

    ui::View body(ui::BuildContext& context) const;
};

struct AboutModal : ui::ViewModifiers<AboutModal> {
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
