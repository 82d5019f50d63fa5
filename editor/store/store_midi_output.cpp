#include "editor/store/sequencer_store.h"

#include <algorithm>

namespace pulvan::store {

namespace {

std::uint8_t statusByte(int kind, int channel) { return static_cast<std::uint8_t>(kind | (std::clamp(channel, 1, 16) - 1)); }
std::uint8_t dataByte(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 127)); }

}  // namespace

// Audition notes go to the engine's immediate queue in a host, else to the standalone sender.
void SequencerStore::sendNoteOn(int note, int velocity, int channel) {
    sendMIDI(statusByte(0x90, channel), dataByte(note), dataByte(velocity));
}

void SequencerStore::sendNoteOff(int note, int channel) { sendMIDI(statusByte(0x80, channel), dataByte(note), 0); }

void SequencerStore::sendCC(int controller, int value, int channel) {
    // Remembered first, so that a host routing it back to our input cannot race the record.
    noteOutgoingCCEcho(controller, value);
    sendMIDI(statusByte(0xB0, channel), dataByte(controller), dataByte(value));
}

void SequencerStore::sendMIDI(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    if (isHostedUI.get()) {
        if (hooks.hostedSendImmediateMIDI) hooks.hostedSendImmediateMIDI(status, data1, data2);
    } else if (services_.standaloneMIDISend) {
        services_.standaloneMIDISend(status, data1, data2);
    }
}

}  // namespace pulvan::store
