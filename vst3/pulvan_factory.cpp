#include "vst3/pulvan_factory.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "vst3/class_ids.h"
#include "vst3/plugin_factory.h"
#include "vst3/pulvan_controller.h"
#include "vst3/pulvan_processor.h"

#include <mutex>

using namespace Steinberg;

namespace kez {
namespace {

std::mutex factoryMutex;
PluginFactory* keptFactory = nullptr;  // guarded by factoryMutex

void forgetFactory(PluginFactory* gone) {
    std::lock_guard lock(factoryMutex);
    if (keptFactory == gone) keptFactory = nullptr;
}

FUnknown* createProcessor() { return static_cast<Vst::IAudioProcessor*>(new PulvanProcessor()); }
FUnknown* createController() { return static_cast<Vst::IEditController*>(new PulvanController()); }

PluginFactory* buildFactory() {
    const PFactoryInfo info(kPluginVendor, "https://kezwerk.example/pulvan", "mailto:support@kezwerk.example", PFactoryInfo::kUnicode);
    auto* factory = new PluginFactory(info, forgetFactory);
    factory->registerClass(PClassInfo2(kProcessorClassId.toTUID(), PClassInfo::kManyInstances, kVstAudioEffectClass, "Pulvan",
                                       Vst::kDistributable, "Instrument", nullptr, kPluginVersion, kPluginSdkVersion),
                           createProcessor);
    factory->registerClass(PClassInfo2(kControllerClassId.toTUID(), PClassInfo::kManyInstances, kVstComponentControllerClass,
                                       "PulvanController", 0, "", nullptr, kPluginVersion, kPluginSdkVersion),
                           createController);
    return factory;
}

}  // namespace

IPluginFactory* acquirePulvanFactory() {
    std::lock_guard lock(factoryMutex);
    if (keptFactory) {
        keptFactory->addRef();
    } else {
        keptFactory = buildFactory();
    }
    return keptFactory;
}

}  // namespace kez
