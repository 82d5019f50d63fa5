#include "platform/midi/endpoint_naming.h"

#include <gtest/gtest.h>

#include "platform/midi/virtual_source.h"

namespace pulvan::midi {
namespace {

struct NamingCase {
    const char* fullName;
    bool alsa;
    const char* name;
    const char* displayName;
    bool sharedSource;  // carries the shared source's fixed identifier
};

void PrintTo(const NamingCase& c, std::ostream* os) { *os << '"' << c.fullName << '"' << (c.alsa ? " ALSA" : " JACK"); }

class EndpointNamingTest : public ::testing::TestWithParam<NamingCase> {};

TEST_P(EndpointNamingTest, NamesAndIdentifiesThePort) {
    const NamingCase& c = GetParam();
    const Endpoint endpoint = makeEndpoint(c.fullName, c.alsa ? alsaPortIdentity(c.fullName) : jackPortIdentity(c.fullName));
    EXPECT_EQ(endpoint.name, c.name);
    EXPECT_EQ(endpoint.displayName, c.displayName);
    EXPECT_EQ(endpoint.uniqueId == kVirtualSourceUniqueId, c.sharedSource);
    EXPECT_NE(endpoint.uniqueId, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ports, EndpointNamingTest,
    ::testing::Values(NamingCase{"Kez Virtual Port:Kez Virtual Port", false, "Kez Virtual Port", "Kez Virtual Port", true},
                      NamingCase{"Kez Virtual Port-02:Kez Virtual Port", false, "Kez Virtual Port", "Kez Virtual Port", true},
                      NamingCase{"Kez Virtual Port:Kez Virtual Port 129:0", true, "Kez Virtual Port", "Kez Virtual Port", true},
                      NamingCase{"Other:Kez Virtual Port", false, "Kez Virtual Port", "Other Kez Virtual Port", false},
                      NamingCase{"DAW:Session 1 128:3", true, "Session 1", "DAW Session 1", false},
                      NamingCase{"Synth-X:Synth-X MIDI 1", false, "Synth-X MIDI 1", "Synth-X MIDI 1", false},
                      NamingCase{"a2j:Midi Through [14] (playback): Port 0", false, "Midi Through [14] (playback): Port 0",
                                 "a2j Midi Through [14] (playback): Port 0", false}));

TEST(EndpointIdentifier, IsStablePerAddressAndDiffersBetweenAddresses) {
    EXPECT_EQ(makeEndpoint("Synth:in", {"Synth", "in"}).uniqueId, makeEndpoint("Synth:in", {"Synth", "in"}).uniqueId);
    EXPECT_NE(makeEndpoint("Synth:in", {"Synth", "in"}).uniqueId, makeEndpoint("Synth:in2", {"Synth", "in2"}).uniqueId);
}

}  // namespace
}  // namespace pulvan::midi
