#include "platform/midi/endpoint_naming.h"

#include "platform/midi/virtual_source.h"

#include <algorithm>
#include <cctype>

namespace pulvan::midi {
namespace {

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

PortIdentity splitAtFirstColon(std::string_view fullName) {
    const auto colon = fullName.find(':');
    if (colon == std::string_view::npos) return {std::string(fullName), std::string(fullName)};
    return {std::string(fullName.substr(0, colon)), std::string(fullName.substr(colon + 1))};
}

UniqueId hashedId(std::string_view address) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (unsigned char c : address) hash = (hash ^ c) * 16777619u;
    auto id = static_cast<UniqueId>(hash);
    // 0 means "no identifier" and the shared source's identifier is reserved.
    if (id == 0 || id == kVirtualSourceUniqueId) id ^= 1;
    return id;
}

}  // namespace

PortIdentity jackPortIdentity(std::string_view fullName) {
    PortIdentity identity = splitAtFirstColon(fullName);
    const auto dash = identity.clientName.rfind('-');
    if (dash != std::string::npos && dash > 0 && allDigits(std::string_view(identity.clientName).substr(dash + 1))) {
        identity.clientName.resize(dash);
    }
    return identity;
}

PortIdentity alsaPortIdentity(std::string_view fullName) {
    const auto space = fullName.rfind(' ');
    if (space != std::string_view::npos) {
        const std::string_view address = fullName.substr(space + 1);
        const auto colon = address.find(':');
        if (colon != std::string_view::npos && allDigits(address.substr(0, colon)) && allDigits(address.substr(colon + 1))) {
            fullName = fullName.substr(0, space);
        }
    }
    return splitAtFirstColon(fullName);
}

Endpoint makeEndpoint(std::string address, const PortIdentity& identity) {
    Endpoint endpoint;
    endpoint.name = identity.portName;
    endpoint.displayName =
        identity.portName.starts_with(identity.clientName) ? identity.portName : identity.clientName + " " + identity.portName;
    endpoint.uniqueId =
        identity.clientName == kVirtualSourceName && identity.portName == kVirtualSourceName ? kVirtualSourceUniqueId : hashedId(address);
    endpoint.address = std::move(address);
    return endpoint;
}

}  // namespace pulvan::midi
