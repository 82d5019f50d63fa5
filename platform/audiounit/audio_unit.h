#pragma once
#include "platform/audiounit/audio_format.h"
#include "platform/audiounit/component_description.h"
#include "platform/audiounit/host_blocks.h"
#include "platform/audiounit/render_types.h"

#include <string>
#include <vector>

namespace pulvan::au {

// The base of every audio unit: its description, its buses, render resources and the blocks
// through which a host supplies musical context and transport and collects MIDI output.
// A host installs the blocks before it asks for the render block; the unit takes them then.
class AudioUnit {
public:
    explicit AudioUnit(const ComponentDescription& description) : componentDescription_(description) {}
    virtual ~AudioUnit() = default;
    AudioUnit(const AudioUnit&) = delete;
    AudioUnit& operator=(const AudioUnit&) = delete;

    const ComponentDescription& componentDescription() const { return componentDescription_; }

    // Null when the unit has no bus array of that kind.
    virtual AudioUnitBusArray* inputBusses() { return nullptr; }
    virtual AudioUnitBusArray* outputBusses() { return nullptr; }
    virtual std::vector<std::string> midiOutputNames() const { return {}; }

    // Prepares the unit for rendering; false with a reason when it cannot.
    virtual bool allocateRenderResources(std::string* error);
    virtual void deallocateRenderResources();
    bool renderResourcesAllocated() const { return renderResourcesAllocated_; }

    // Called from the host's render thread; the returned block must not allocate, lock or wait.
    virtual RenderBlock internalRenderBlock() = 0;

    const MusicalContextBlock& musicalContextBlock() const { return musicalContextBlock_; }
    void setMusicalContextBlock(MusicalContextBlock block) { musicalContextBlock_ = std::move(block); }
    const TransportStateBlock& transportStateBlock() const { return transportStateBlock_; }
    void setTransportStateBlock(TransportStateBlock block) { transportStateBlock_ = std::move(block); }
    const MIDIOutputEventBlock& midiOutputEventBlock() const { return midiOutputEventBlock_; }
    void setMIDIOutputEventBlock(MIDIOutputEventBlock block) { midiOutputEventBlock_ = std::move(block); }

private:
    ComponentDescription componentDescription_;
    bool renderResourcesAllocated_ = false;
    MusicalContextBlock musicalContextBlock_;
    TransportStateBlock transportStateBlock_;
    MIDIOutputEventBlock midiOutputEventBlock_;
};

}  // namespace pulvan::au
