// The moduleinfo.json in the built bundle's resources against what its factory says.
#include <gtest/gtest.h>

#include "tests/vst3/test_host.h"

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

using namespace Steinberg;

namespace kez::test {
namespace {

nlohmann::json readModuleInfo() {
    const auto bundleLibrary = std::filesystem::path(PULVAN_VST3_BUNDLE_PATH);
    std::ifstream in(bundleLibrary.parent_path().parent_path() / "Resources" / "moduleinfo.json");
    return nlohmann::json::parse(in, nullptr, false);
}

std::string joined(const nlohmann::json& list) {
    std::string text;
    for (const auto& item : list) {
        if (!text.empty()) text += '|';
        text += item.get<std::string>();
    }
    return text;
}

TEST(ModuleInfo, AgreesWithTheFactoryClassByClass) {
    const nlohmann::json info = readModuleInfo();
    ASSERT_TRUE(info.is_object()) << "Contents/Resources/moduleinfo.json is missing or not JSON";

    LoadedBundle bundle(PULVAN_VST3_BUNDLE_PATH);
    ASSERT_TRUE(bundle.loaded()) << bundle.error();
    IPluginFactory* factory = bundle.factory();
    IPluginFactory2* factory2 = nullptr;
    ASSERT_EQ(factory->queryInterface(IPluginFactory2::iid, reinterpret_cast<void**>(&factory2)), kResultOk);

    PFactoryInfo factoryInfo;
    ASSERT_EQ(factory->getFactoryInfo(&factoryInfo), kResultOk);
    const nlohmann::json& vendor = info["Factory Info"];
    EXPECT_EQ(vendor["Vendor"], factoryInfo.vendor);
    EXPECT_EQ(vendor["URL"], factoryInfo.url);
    EXPECT_EQ(vendor["E-Mail"], factoryInfo.email);
    EXPECT_EQ(vendor["Flags"]["Unicode"], (factoryInfo.flags & PFactoryInfo::kUnicode) != 0);
    EXPECT_EQ(info["Name"], "Pulvan");

    const nlohmann::json& classes = info["Classes"];
    ASSERT_EQ(classes.size(), static_cast<size_t>(factory->countClasses()));
    for (int32 index = 0; index < factory->countClasses(); ++index) {
        SCOPED_TRACE("class " + std::to_string(index));
        PClassInfo2 expected;
        ASSERT_EQ(factory2->getClassInfo2(index, &expected), kResultOk);
        const nlohmann::json& written = classes[index];
        FUID cid;
        ASSERT_TRUE(cid.fromString(written["CID"].get<std::string>().c_str()));
        EXPECT_EQ(cid, FUID::fromTUID(expected.cid));
        EXPECT_EQ(written["Category"], expected.category);
        EXPECT_EQ(written["Name"], expected.name);
        EXPECT_EQ(written["Vendor"], expected.vendor[0] ? expected.vendor : factoryInfo.vendor);
        EXPECT_EQ(written["Version"], expected.version);
        EXPECT_EQ(written["SDKVersion"], expected.sdkVersion);
        EXPECT_EQ(joined(written["Sub Categories"]), expected.subCategories);
        EXPECT_EQ(written["Class Flags"], expected.classFlags);
        EXPECT_EQ(written["Cardinality"], expected.cardinality);
        if (index == 0) {
            EXPECT_EQ(info["Version"], expected.version);
        }
    }
    factory2->release();
    factory->release();
}

}  // namespace
}  // namespace kez::test
