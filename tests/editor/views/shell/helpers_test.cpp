#include <gtest/gtest.h>

#include "editor/model/skin.h"
#include "editor/views/shell/editor_helpers.h"
#include "editor/views/shell/environment_keys.h"
#include "platform/ui/content.h"
#include "platform/ui/harness.h"

#include <limits>

namespace pulvan::views {
namespace {

TEST(EditorHelpers, StepColumnAndSemitoneRow) {
    struct Case {
        double position, extent;
        int column, row;  // stepColumnAtX(position, extent), semitoneRowAtY(position, extent)
    };
    const Case cases[] = {
        {130, 640, 3, 9}, {-5, 640, 0, 11},  {640, 640, 15, 0}, {130, 0, 0, 0},    {1e30, 640, 15, 0},
        {0, 120, 0, 11},  {119, 120, 15, 0}, {60, 120, 8, 6},   {130, 120, 15, 0}, {std::numeric_limits<double>::quiet_NaN(), 640, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.position << " in " << c.extent);
        EXPECT_EQ(stepColumnAtX(c.position, c.extent), c.column);
        EXPECT_EQ(semitoneRowAtY(c.position, c.extent), c.row);
    }
}

TEST(EditorHelpers, Labels) {
    EXPECT_EQ(signedNumberLabels(-2, 2), (std::vector<SignedNumberLabel>{{"-2", -2}, {"-1", -1}, {"0", 0}, {"+1", 1}, {"+2", 2}}));
    const std::pair<int, const char*> fractions[] = {{0, "1/1"}, {1, "1/2"}, {2, "2/2"}, {3, "1/4"}, {4, "2/4"},
                                                     {5, "3/4"}, {6, "4/4"}, {7, "7"},   {-1, "-1"}};
    for (const auto& [value, label] : fractions) EXPECT_EQ(cycleFractionLabel(value), label) << value;
}

TEST(ThemeColours, FromHexClampsAndSplits) {
    EXPECT_EQ(colorFromHex(0x607594), makeSRGBColor(0x60 / 255.0, 0x75 / 255.0, 0x94 / 255.0));
    EXPECT_EQ(colorFromHex(-1), Color::black());
    EXPECT_EQ(colorFromHex(0x1000000), Color::white());
    EXPECT_EQ(trackAccentColors().back(), colorFromHex(model::defaultSkin().trackAccents().back()));
}

// A view outside every parent that sets them reads the keys' defaults.
TEST(EnvironmentKeys, DefaultsBelowNoSetter) {
    struct Reader {
        double* width;
        ui::View body(ui::BuildContext& context) const {
            *width = context.env<KezModalOptionFillHeightKey>() ? 0 : context.env<KezModalViewportWidthKey>();
            return ui::rectangle().fill(context.env<KezAccentKey>());
        }
    };
    double width = 0;
    ui::Harness harness([&] { return Reader{&width}; }, {4, 4});
    EXPECT_EQ(harness.render().pixel(2, 2), trackAccentColors().front());
    EXPECT_EQ(width, std::numeric_limits<double>::max());
}

}  // namespace
}  // namespace pulvan::views
