#include "editor/views/main/hosted_zoom.h"

#include "tests/editor/store/store_fixture.h"

namespace pulvan::views {
namespace {

class HostedZoomTest : public test::StoreTest {};

TEST_F(HostedZoomTest, ListsEveryStepWithTheNearestActive) {
    auto store = makeStore();
    const foundation::Uuid anchor = foundation::Uuid::random();
    struct Case {
        double scale;
        const char* active;
    };
    const Case cases[] = {{1.0, "100%"}, {1.1, "100%"}, {0.625, "50%"}, {0.63, "75%"}, {1.875, "175%"}, {0.2, "50%"}, {3.0, "200%"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        presentHostedZoomDropdown(*store, anchor, c.scale, std::nullopt);
        ASSERT_TRUE(store->dropdown->has_value());
        const store::DropdownRequest& request = *store->dropdown.get();
        EXPECT_EQ(request.anchorID, anchor);
        EXPECT_EQ(request.width, 120);
        EXPECT_TRUE(request.vertical && request.presetStyle && request.verticalAlignLeading);
        std::vector<std::string> labels, active;
        for (const store::DropdownItem& item : request.items) {
            labels.push_back(item.label);
            if (item.active) active.push_back(item.label);
            EXPECT_TRUE(item.pressHighlight && !item.highlight && !item.disabled && !item.isSeparator);
        }
        EXPECT_EQ(labels, (std::vector<std::string>{"50%", "75%", "100%", "125%", "150%", "175%", "200%"}));
        EXPECT_EQ(active, std::vector<std::string>{c.active});
    }
}

TEST_F(HostedZoomTest, AsksTheHostForTheSizeWithinTheScreenAndRemembersANewWidth) {
    auto store = makeStore();
    std::vector<ui::Size> requests;
    store->hooks.hostedRequestEditorResize = [&](double w, double h) { requests.push_back({w, h}); };
    struct Case {
        const char* name;
        int option;
        std::optional<ui::Size> screen;
        ui::Size window;
        bool saved;
    };
    const Case cases[] = {
        {"the design size", 100, std::nullopt, {1280, 730}, false},
        {"half", 50, std::nullopt, {640, 365}, true},
        {"the same width again", 50, ui::Size{1920, 1080}, {640, 365}, false},
        {"limited by the screen's width", 200, ui::Size{1728, 1079}, {1728, 986}, true},
        {"limited by the screen's height", 175, ui::Size{2560, 1000}, {1753, 1000}, true},
        {"a screen narrower than the floor wins", 75, ui::Size{600, 400}, {600, 342}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        requests.clear();
        const int widthBefore = store->hostedWindowWidth;
        applyHostedZoom(*store, c.option, c.screen);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0], c.window);
        const int expectedWidth = std::clamp(static_cast<int>(c.window.width), 640, 3200);
        EXPECT_EQ(store->hostedWindowWidth, c.saved ? expectedWidth : widthBefore);
        EXPECT_EQ(makeStore()->hostedWindowWidth, store->hostedWindowWidth) << "kept in the user preferences";
    }
}

}  // namespace
}  // namespace pulvan::views
