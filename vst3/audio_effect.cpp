#include "vst3/audio_effect.h"

#include <utility>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace kez {

AudioEffect::AudioEffect() : processSetup_{kRealtime, kSample32, 1024, 44100.0} {}

namespace {

template <typename BusType, typename... Args>
BusType* addBus(BusList& list, Args&&... args) {
    auto* bus = new BusType(std::forward<Args>(args)...);
    list.push_back(IPtr<Bus>(bus, false));
    return bus;
}

}  // namespace

AudioBus* AudioEffect::addAudioInput(const TChar* name, SpeakerArrangement arrangement, BusType busType, int32 flags) {
    return addBus<AudioBus>(audioInputs, name, busType, flags, arrangement);
}

AudioBus* AudioEffect::addAudioOutput(const TChar* name, SpeakerArrangement arrangement, BusType busType, int32 flags) {
    return addBus<AudioBus>(audioOutputs, name, busType, flags, arrangement);
}

EventBus* AudioEffect::addEventInput(const TChar* name, int32 channels, BusType busType, int32 flags) {
    return addBus<EventBus>(eventInputs, name, busType, flags, channels);
}

EventBus* AudioEffect::addEventOutput(const TChar* name, int32 channels, BusType busType, int32 flags) {
    return addBus<EventBus>(eventOutputs, name, busType, flags, channels);
}

tresult PLUGIN_API AudioEffect::setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs, int32 numOuts) {
    if (numIns < 0 || numOuts < 0) return kInvalidArgument;
    if (numIns > static_cast<int32>(audioInputs.size()) || numOuts > static_cast<int32>(audioOutputs.size())) return kResultFalse;
    if ((numIns > 0 && !inputs) || (numOuts > 0 && !outputs)) return kInvalidArgument;
    for (int32 i = 0; i < numIns; ++i) static_cast<AudioBus*>(audioInputs.at(i).get())->setArrangement(inputs[i]);
    for (int32 i = 0; i < numOuts; ++i) static_cast<AudioBus*>(audioOutputs.at(i).get())->setArrangement(outputs[i]);
    return kResultTrue;
}

tresult PLUGIN_API AudioEffect::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arrangement) {
    BusList* list = getBusList(kAudio, dir);
    if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
    arrangement = static_cast<AudioBus*>(list->at(index).get())->getArrangement();
    return kResultTrue;
}

tresult PLUGIN_API AudioEffect::canProcessSampleSize(int32 symbolicSampleSize) {
    return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API AudioEffect::setupProcessing(ProcessSetup& setup) {
    if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue) return kResultFalse;
    processSetup_ = setup;
    return kResultOk;
}

uint32 PLUGIN_API AudioEffect::getProcessContextRequirements() {
    using R = IProcessContextRequirements;
    return R::kNeedSystemTime | R::kNeedProjectTimeMusic | R::kNeedTempo | R::kNeedTimeSignature | R::kNeedTransportState;
}

}  // namespace kez
