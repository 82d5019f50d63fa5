#include "editor/link/standalone/endpoint_matching.h"

#include "editor/link/standalone/standalone_midi_receiver.h"
#include "editor/link/standalone/standalone_midi_sender.h"
#include "platform/foundation/unicode_text.h"
#include "platform/midi/virtual_source.h"

#include <unicode/unistr.h>

namespace pulvan::link {
namespace {

constexpr std::string_view kPreferredDestinationName = "Session 1";

icu::UnicodeString folded(std::string_view text) {
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
    unicode.foldCase();
    return unicode;
}

bool isValid(const midi::Endpoint& endpoint) { return !endpoint.address.empty(); }

bool isOwnVirtualSource(const midi::Endpoint& source) {
    return source.uniqueId == midi::kVirtualSourceUniqueId || foundation::equalIgnoringCase(endpointName(source), midi::kVirtualSourceName);
}

// The MIDI layer names another program's port by its client and the port.
bool isNamed(const midi::Endpoint& endpoint, std::string_view client, std::string_view port) {
    return foundation::equalIgnoringCase(endpointName(endpoint), std::string(client) + " " + std::string(port));
}

}  // namespace

std::string endpointName(const midi::Endpoint& endpoint) {
    if (!endpoint.displayName.empty()) return endpoint.displayName;
    return endpoint.name;
}

bool containsIgnoringCase(std::string_view text, std::string_view part) { return folded(text).indexOf(folded(part)) >= 0; }

std::optional<midi::Endpoint> chooseDestination(const std::vector<midi::Endpoint>& destinations) {
    std::optional<midi::Endpoint> fallback;
    for (const midi::Endpoint& destination : destinations) {
        if (!isValid(destination) || isPulvanInput(destination)) continue;
        if (!fallback) fallback = destination;
        if (containsIgnoringCase(endpointName(destination), kPreferredDestinationName)) return destination;
    }
    return fallback;
}

bool isPulvanSource(const midi::Endpoint& source) {
    return isOwnVirtualSource(source) || isNamed(source, StandaloneMIDISender::kClientName, StandaloneMIDISender::kPortName);
}

bool isPulvanInput(const midi::Endpoint& destination) {
    return isNamed(destination, StandaloneMIDIReceiver::kClientName, StandaloneMIDIReceiver::kPortName);
}

}  // namespace pulvan::link
