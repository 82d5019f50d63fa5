// Build tool: loads the built bundle, asks its factory what it holds and writes
// Contents/Resources/moduleinfo.json from the answers, so the file that hosts
// read without loading the bundle cannot disagree with it.
//   moduleinfo_writer <Pulvan.so> <moduleinfo.json>
#include "pluginterfaces/base/ipluginbase.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

using namespace Steinberg;
using Json = nlohmann::ordered_json;

namespace {

Json subCategories(const char* joined) {
    Json list = Json::array();
    std::stringstream stream(joined);
    for (std::string part; std::getline(stream, part, '|');)
        if (!part.empty()) list.push_back(part);
    return list;
}

Json classEntry(const PClassInfo2& info, const PFactoryInfo& factory) {
    char cid[33] = {};
    FUID::fromTUID(info.cid).toString(cid);
    return Json{{"CID", cid},
                {"Category", info.category},
                {"Name", info.name},
                // An empty class vendor means the factory's.
                {"Vendor", info.vendor[0] ? info.vendor : factory.vendor},
                {"Version", info.version},
                {"SDKVersion", info.sdkVersion},
                {"Sub Categories", subCategories(info.subCategories)},
                {"Class Flags", info.classFlags},
                {"Cardinality", info.cardinality},
                {"Snapshots", Json::array()}};
}

Json describe(IPluginFactory2& factory, const std::string& moduleName) {
    PFactoryInfo info;
    factory.getFactoryInfo(&info);
    Json classes = Json::array();
    for (int32 index = 0; index < factory.countClasses(); ++index) {
        PClassInfo2 classInfo;
        if (factory.getClassInfo2(index, &classInfo) == kResultOk) classes.push_back(classEntry(classInfo, info));
    }
    return Json{{"Name", moduleName},
                {"Version", classes.empty() ? Json("") : classes.front()["Version"]},
                {"Factory Info",
                 {{"Vendor", info.vendor},
                  {"URL", info.url},
                  {"E-Mail", info.email},
                  {"Flags",
                   {{"Unicode", (info.flags & PFactoryInfo::kUnicode) != 0},
                    {"Classes Discardable", (info.flags & PFactoryInfo::kClassesDiscardable) != 0},
                    {"Component Non Discardable", (info.flags & PFactoryInfo::kComponentNonDiscardable) != 0}}}}},
                {"Compatibility", Json::array()},
                {"Classes", classes}};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <bundle library> <moduleinfo.json>\n", argv[0]);
        return 2;
    }
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 1;
    }
    auto* entry = reinterpret_cast<bool (*)(void*)>(dlsym(module, "ModuleEntry"));
    auto* exit = reinterpret_cast<bool (*)()>(dlsym(module, "ModuleExit"));
    auto* getFactory = reinterpret_cast<IPluginFactory* (*)()>(dlsym(module, "GetPluginFactory"));
    if (!entry || !exit || !getFactory || !entry(module)) {
        std::fprintf(stderr, "%s is not a VST3 module\n", argv[1]);
        return 1;
    }
    IPluginFactory* factory = getFactory();
    IPluginFactory2* factory2 = nullptr;
    if (!factory || factory->queryInterface(IPluginFactory2::iid, reinterpret_cast<void**>(&factory2)) != kResultOk) {
        std::fprintf(stderr, "%s has no class factory\n", argv[1]);
        return 1;
    }
    // The bundle is <Name>.vst3/Contents/x86_64-linux/<Name>.so.
    const Json document = describe(*factory2, std::filesystem::path(argv[1]).stem().string());
    factory2->release();
    factory->release();
    exit();
    dlclose(module);

    std::ofstream out(argv[2], std::ios::trunc);
    out << document.dump(2) << '\n';
    return out.good() ? 0 : 1;
}
