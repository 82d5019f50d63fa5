#include "engine/midi_message_ring.h"

namespace pulvan::engine {

bool MIDIMessageRing::push(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) noexcept {
    const std::uint32_t read = readIndex.load(std::memory_order_acquire);
    const std::uint32_t write = writeIndex.load(std::memory_order_relaxed);
    if (write - read > kCapacity - 1) return false;
    std::uint8_t* slot = data[write & (kCapacity - 1)];
    slot[0] = status;
    slot[1] = data1;
    slot[2] = data2;
    writeIndex.store(write + 1, std::memory_order_release);
    return true;
}

bool MIDIMessageRing::pop(std::uint8_t& status, std::uint8_t& data1, std::uint8_t& data2) noexcept {
    const std::uint32_t write = writeIndex.load(std::memory_order_acquire);
    const std::uint32_t read = readIndex.load(std::memory_order_relaxed);
    if (write == read) return false;
    const std::uint8_t* slot = data[read & (kCapacity - 1)];
    status = slot[0];
    data1 = slot[1];
    data2 = slot[2];
    readIndex.store(read + 1, std::memory_order_release);
    return true;
}

}  // namespace pulvan::engine
