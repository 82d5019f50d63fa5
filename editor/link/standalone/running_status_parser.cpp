#include "editor/link/standalone/running_status_parser.h"

namespace pulvan::link {
namespace {

// Data bytes a status needs; 0 for statuses whose data bytes are ignored (system exclusive, undefined).
int dataBytesNeeded(std::uint8_t status) {
    if (status < 0xC0) return 2;  // note off, note on, poly pressure, control change
    if (status < 0xE0) return 1;  // program change, channel pressure
    if (status < 0xF0) return 2;  // pitch bend
    switch (status) {
        case 0xF1: return 1;  // time code quarter frame
        case 0xF2: return 2;  // song position
        case 0xF3: return 1;  // song select
        default: return 0;
    }
}

}  // namespace

void RunningStatusParser::parse(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        if (byte >= 0xF8) continue;  // real-time bytes may appear anywhere and leave the message intact
        if (byte >= 0x80) {
            runningStatus_ = byte;
            pendingDataByteCount_ = 0;
        } else {
            acceptDataByte(byte);
        }
    }
}

void RunningStatusParser::acceptDataByte(std::uint8_t byte) {
    if (!runningStatus_) return;
    const int needed = dataBytesNeeded(*runningStatus_);
    if (needed == 0) return;
    pendingDataBytes_[pendingDataByteCount_++] = byte;
    if (pendingDataByteCount_ < needed) return;
    pendingDataByteCount_ = 0;
    if (needed == 2) deliver(*runningStatus_, pendingDataBytes_[0], pendingDataBytes_[1]);
}

void RunningStatusParser::deliver(std::uint8_t status, std::uint8_t data0, std::uint8_t data1) const {
    const std::uint8_t kind = status & 0xF0;
    if (kind == 0x90 && noteHandler_) {
        noteHandler_(status & 0x0F, data0 & 0x7F, (data1 & 0x7F) != 0);
    } else if (kind == 0x80 && noteHandler_) {
        noteHandler_(status & 0x0F, data0 & 0x7F, false);
    } else if (kind == 0xB0 && controlChangeHandler_) {
        controlChangeHandler_(data0 & 0x7F, data1 & 0x7F);  // any channel, as a host's drain passes them
    }
}

}  // namespace pulvan::link
