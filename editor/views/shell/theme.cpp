#include "editor/views/shell/theme.h"

#include "editor/model/skin.h"

namespace pulvan::views {

const Color& globalAccentColor() {
    static const Color accent = colorFromHex(model::defaultSkin().globalAccentHex());
    return accent;
}

const std::vector<Color>& trackAccentColors() {
    static const std::vector<Color> colors = [] {
        std::vector<Color> c;
        for (int hex : model::defaultSkin().trackAccents()) c.push_back(colorFromHex(hex));
        return c;
    }();
    return colors;
}

}  // namespace pulvan::views
