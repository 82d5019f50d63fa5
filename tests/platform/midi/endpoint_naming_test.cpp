#include "platform/midi/endpoint_naming.h"

#include <gtest/gtest.h>

#include "platform/midi/virtual_source.h"

namespace pulvan::midi {
namespace {

struct IdentityCase {
    const char* fullName;
    bool alsa;
    const char* client;
    const char* port;
};

void PrintTo(const IdentityCase& c, std::ostream* os) { *os << '"' << c.fullName << '"' << (c.alsa ? " ALSA" : " JACK"); }

class PortIdentityTest : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(PortIdentityTest, SplitsProgramAndPort) {
    const IdentityCase& c = GetParam();
    const PortIdentity identity = c.alsa ? alsaPortIdentity(c.fullName) : jackPortIdentity(c.fullName);
    EXPECT_EQ(identity.clientName, c.client);
    EXPECT_EQ(identity.portName, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PortIdentityTest,
    ::testing::Values(IdentityCase{"Synth:MIDI In", false, "Synth", "MIDI In"},
                      IdentityCase{"Kez Virtual Port-01:Kez Virtual Port", false, "Kez Virtual Port", "Kez Virtual Port"},
                      IdentityCase{"a2j:Midi Through [14] (playback): Port 0", false, "a2j", "Midi Through [14] (playback): Port 0"},
                      IdentityCase{"Synth-X:in", false, "Synth-X", "in"},
                      IdentityCase{"-5:in", false, "-5", "in"},
                      IdentityCase{"Midi Through:Midi Through Port-0 14:0", true, "Midi Through", "Midi Through Port-0"},
                      IdentityCase{"DAW:Session 1 128:3", true, "DAW", "Session 1"},
                      IdentityCase{"DAW:Session 1 Bus", true, "DAW", "Session 1 Bus"},
                      IdentityCase{"NoColon", false, "NoColon", "NoColon"}));

struct DisplayCase {
    const char* client;
    const char* port;
    const char* displayName;
};

void PrintTo(const DisplayCase& c, std::ostream* os) { *os << '"' << c.client << "\" \"" << c.port << '"'; }

class DisplayNameTest : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayNameTest, NamesTheProgramOnlyWhenThePortDoesNot) {
    const DisplayCase& c = GetParam();
    const Endpoint endpoint = makeEndpoint("x", {c.client, c.port});
    EXPECT_EQ(endpoint.name, c.port);
    EXPECT_EQ(endpoint.displayName, c.displayName);
}

INSTANTIATE_TEST_SUITE_P(Names, DisplayNameTest,
                         ::testing::Values(DisplayCase{"Kez Virtual Port", "Kez Virtual Port", "Kez Virtual Port"},
                                           DisplayCase{"DAW", "Session 1", "DAW Session 1"},
                                           DisplayCase{"Synth", "Synth MIDI 1", "Synth MIDI 1"},
                                           DisplayCase{"", "in", "in"}));

TEST(EndpointIdentifier, TheSharedSourceKeepsItsFixedIdentifierWhateverItsAddress) {
    for (const char* address : {"Kez Virtual Port:Kez Virtual Port", "Kez Virtual Port-03:Kez Virtual Port"}) {
        EXPECT_EQ(makeEndpoint(address, jackPortIdentity(address)).uniqueId, kVirtualSourceUniqueId) << address;
    }
    const char* lookalike = "Other:Kez Virtual Port";
    EXPECT_NE(makeEndpoint(lookalike, jackPortIdentity(lookalike)).uniqueId, kVirtualSourceUniqueId);
}

TEST(EndpointIdentifier, IsStablePerAddressAndDiffersBetweenAddresses) {
    const auto first = makeEndpoint("Synth:in", {"Synth", "in"});
    EXPECT_EQ(first.uniqueId, makeEndpoint("Synth:in", {"Synth", "in"}).uniqueId);
    EXPECT_NE(first.uniqueId, makeEndpoint("Synth:in2", {"Synth", "in2"}).uniqueId);
    EXPECT_NE(first.uniqueId, 0);
}

}  // namespace
}  // namespace pulvan::midi
