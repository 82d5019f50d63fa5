#include "platform/audiounit/component_registry.h"

#include <gtest/gtest.h>

namespace pulvan::au {
namespace {

class SilentUnit final : public AudioUnit {
public:
    SilentUnit(const ComponentDescription& description, int tag) : AudioUnit(description), tag(tag) {}
    RenderBlock internalRenderBlock() override { return {}; }
    const int tag;
};

constexpr ComponentDescription kSequencer{fourCharCode("aumi"), fourCharCode("kezs"), fourCharCode("kezm"), 0, 0};
constexpr ComponentDescription kOther{fourCharCode("aumi"), fourCharCode("othr"), fourCharCode("kezm"), 0, 0};

AudioUnitFactory factoryTagged(int tag) {
    return [tag](const ComponentDescription& d, std::uint32_t, std::string&) { return std::make_unique<SilentUnit>(d, tag); };
}

TEST(FourCharCode, PacksBigEndian) {
    EXPECT_EQ(fourCharCode("aumi"), 0x61756D69u);
    EXPECT_EQ(fourCharCode("kezm"), 0x6B657A6Du);
}

TEST(ComponentRegistry, InstantiatesByExactOrWildcardDescription) {
    ComponentRegistry registry;
    registry.registerComponent(kSequencer, "Kez: Pulvan", factoryTagged(1));
    registry.registerComponent(kOther, "Kez: Other", factoryTagged(2));

    struct Case {
        ComponentDescription query;
        int expectedTag;  // 0: nothing found
    };
    const Case cases[] = {
        {kSequencer, 1},
        {kOther, 2},
        {{fourCharCode("aumi"), 0, fourCharCode("kezm"), 0, 0}, 1},  // first in registration order
        {{fourCharCode("aumu"), fourCharCode("kezs"), fourCharCode("kezm"), 0, 0}, 0},
        {{fourCharCode("aumi"), fourCharCode("kezs"), fourCharCode("appl"), 0, 0}, 0},
    };
    for (const Case& c : cases) {
        InstantiationResult result = registry.instantiate(c.query);
        if (c.expectedTag == 0) {
            EXPECT_EQ(result.unit, nullptr);
            EXPECT_FALSE(result.error.empty());
            continue;
        }
        ASSERT_NE(result.unit, nullptr) << result.error;
        EXPECT_EQ(static_cast<SilentUnit&>(*result.unit).tag, c.expectedTag);
    }
}

TEST(ComponentRegistry, ReRegistrationReplacesAndUnregistrationRemoves) {
    ComponentRegistry registry;
    registry.registerComponent(kSequencer, "first", factoryTagged(1));
    registry.registerComponent(kSequencer, "second", factoryTagged(2));
    auto found = registry.findComponents(kSequencer);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "second");
    EXPECT_EQ(static_cast<SilentUnit&>(*registry.instantiate(kSequencer).unit).tag, 2);
    registry.unregisterComponent(kSequencer);
    EXPECT_TRUE(registry.findComponents(kSequencer).empty());
}

TEST(ComponentRegistry, AFactoryThatFailsReportsItsReason) {
    ComponentRegistry registry;
    registry.registerComponent(kSequencer, "broken", [](const ComponentDescription&, std::uint32_t, std::string& error) {
        error = "out of memory";
        return std::unique_ptr<AudioUnit>();
    });
    InstantiationResult result = registry.instantiate(kSequencer);
    EXPECT_EQ(result.unit, nullptr);
    EXPECT_EQ(result.error, "out of memory");
}

}  // namespace
}  // namespace pulvan::au
