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
constexpr ComponentDescription kBroken{fourCharCode("aumi"), fourCharCode("brkn"), fourCharCode("kezm"), 0, 0};
constexpr ComponentDescription kGone{fourCharCode("aumi"), fourCharCode("gone"), fourCharCode("kezm"), 0, 0};

AudioUnitFactory factoryTagged(int tag) {
    return [tag](const ComponentDescription& d, std::uint32_t, std::string&) { return std::make_unique<SilentUnit>(d, tag); };
}

// Which unit a query makes: an exact description, a wildcard (the first in registration order),
// a replaced registration, nothing for a description no one registered or one withdrawn, and a
// failing factory's own reason.
TEST(ComponentRegistry, InstantiatesByDescription) {
    EXPECT_EQ(fourCharCode("aumi"), 0x61756D69u) << "codes pack big-endian";
    ComponentRegistry registry;
    registry.registerComponent(kSequencer, "first", factoryTagged(3));
    registry.registerComponent(kOther, "Kez: Other", factoryTagged(2));
    registry.registerComponent(kSequencer, "Kez: Pulvan", factoryTagged(1));  // replaces, keeping its place
    registry.registerComponent(kBroken, "broken", [](const ComponentDescription&, std::uint32_t, std::string& error) {
        error = "out of memory";
        return std::unique_ptr<AudioUnit>();
    });
    registry.registerComponent(kGone, "gone", factoryTagged(4));
    registry.unregisterComponent(kGone);

    const auto found = registry.findComponents({fourCharCode("aumi"), 0, 0, 0, 0});
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].name, "Kez: Pulvan");

    struct Case {
        ComponentDescription query;
        int expectedTag;  // 0: nothing made
        const char* expectedError;
    };
    const Case cases[] = {
        {kSequencer, 1, ""},
        {kOther, 2, ""},
        {{fourCharCode("aumi"), 0, fourCharCode("kezm"), 0, 0}, 1, ""},
        {{fourCharCode("aumu"), fourCharCode("kezs"), fourCharCode("kezm"), 0, 0}, 0, nullptr},
        {{fourCharCode("aumi"), fourCharCode("kezs"), fourCharCode("appl"), 0, 0}, 0, nullptr},
        {kGone, 0, nullptr},
        {kBroken, 0, "out of memory"},
    };
    for (const Case& c : cases) {
        InstantiationResult result = registry.instantiate(c.query);
        if (c.expectedTag == 0) {
            EXPECT_EQ(result.unit, nullptr);
            if (c.expectedError) EXPECT_EQ(result.error, c.expectedError);
            else EXPECT_FALSE(result.error.empty());
            continue;
        }
        ASSERT_NE(result.unit, nullptr) << result.error;
        EXPECT_EQ(static_cast<SilentUnit&>(*result.unit).tag, c.expectedTag);
    }
}

}  // namespace
}  // namespace pulvan::au
