// The module's entry points, linked from the same source as the bundle's:
// entering the module makes the Audio-Unit-style class it holds instantiable
// by its description; leaving it for the last time withdraws the class.
#include <gtest/gtest.h>

#include "audiounit/pulvan_audio_unit.h"
#include "platform/audiounit/component_registry.h"

extern "C" bool ModuleEntry(void*);
extern "C" bool ModuleExit();
extern "C" bool bundleEntry(void*);
extern "C" bool bundleExit();

namespace kez {
namespace {

using pulvan::au::ComponentDescription;
using pulvan::au::ComponentRegistry;
using pulvan::au::fourCharCode;

const ComponentDescription kPulvan{fourCharCode("aumi"), fourCharCode("kezs"), fourCharCode("kezm"), 0, 0};

bool instantiable(const ComponentDescription& query) { return ComponentRegistry::shared().instantiate(query).unit != nullptr; }

TEST(ModuleEntry, RegistersTheAudioUnitUntilTheLastExit) {
    EXPECT_FALSE(instantiable(kPulvan));
    ASSERT_TRUE(ModuleEntry(nullptr));
    auto made = ComponentRegistry::shared().instantiate(kPulvan);
    ASSERT_NE(made.unit, nullptr) << made.error;
    EXPECT_NE(dynamic_cast<pulvan::au::PulvanAudioUnit*>(made.unit.get()), nullptr);
    const auto found = ComponentRegistry::shared().findComponents({fourCharCode("aumi"), 0, 0, 0, 0});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "Kez: Pulvan");

    ASSERT_TRUE(bundleEntry(nullptr));  // a second user of the module
    ASSERT_TRUE(ModuleExit());
    EXPECT_TRUE(instantiable(kPulvan)) << "still entered once";
    ASSERT_TRUE(bundleExit());
    EXPECT_FALSE(instantiable(kPulvan));
    EXPECT_NE(made.unit, nullptr) << "a unit made before stays";
    EXPECT_FALSE(ModuleExit()) << "more exits than entries";

    ASSERT_TRUE(ModuleEntry(nullptr));  // entered again after leaving
    EXPECT_TRUE(instantiable(kPulvan));
    EXPECT_EQ(ComponentRegistry::shared().findComponents(kPulvan).size(), 1u);
    ASSERT_TRUE(ModuleExit());
}

TEST(ModuleEntry, OtherDescriptionsFindNothing) {
    ASSERT_TRUE(ModuleEntry(nullptr));
    struct Case {
        const char* type;
        const char* subType;
        const char* manufacturer;
    };
    for (const Case& c : {Case{"aumu", "kezs", "kezm"}, Case{"aumi", "kezx", "kezm"}, Case{"aumi", "kezs", "appl"}}) {
        const ComponentDescription query{fourCharCode(c.type), fourCharCode(c.subType), fourCharCode(c.manufacturer), 0, 0};
        auto result = ComponentRegistry::shared().instantiate(query);
        EXPECT_EQ(result.unit, nullptr) << c.type << " " << c.subType << " " << c.manufacturer;
        EXPECT_FALSE(result.error.empty());
    }
    ASSERT_TRUE(ModuleExit());
}

}  // namespace
}  // namespace kez
