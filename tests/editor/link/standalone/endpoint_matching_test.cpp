#include "editor/link/standalone/endpoint_matching.h"

#include <gtest/gtest.h>

#include "platform/midi/endpoint_naming.h"
#include "platform/midi/virtual_source.h"

#include <vector>

namespace pulvan::link {
namespace {

midi::Endpoint endpoint(std::string address, std::string displayName, std::string name = "port", midi::UniqueId id = 7) {
    return {std::move(address), std::move(name), std::move(displayName), id};
}
// Ports as the MIDI layer lists them.
midi::Endpoint jackPort(const std::string& fullName) { return midi::makeEndpoint(fullName, midi::jackPortIdentity(fullName)); }
midi::Endpoint alsaPort(const std::string& fullName) { return midi::makeEndpoint(fullName, midi::alsaPortIdentity(fullName)); }

struct DestinationCase {
    const char* name;
    std::vector<midi::Endpoint> destinations;
    std::optional<std::string> expectedAddress;
};

class DestinationChoiceTest : public ::testing::TestWithParam<DestinationCase> {};

TEST_P(DestinationChoiceTest, PrefersSessionOneElseTheFirstValid) {
    const auto chosen = chooseDestination(GetParam().destinations);
    ASSERT_EQ(chosen.has_value(), GetParam().expectedAddress.has_value());
    if (chosen) {
        EXPECT_EQ(chosen->address, *GetParam().expectedAddress);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Destinations, DestinationChoiceTest,
    ::testing::Values(DestinationCase{"None", {}, std::nullopt},
                      DestinationCase{"SecondIsSessionOne", {endpoint("a", "Synth In"), endpoint("b", "Session 1")}, "b"},
                      DestinationCase{"NoSessionTakesTheFirst", {endpoint("a", "Synth In"), endpoint("b", "Drums")}, "a"},
                      DestinationCase{"InvalidFirstIsSkipped", {endpoint("", "Synth In"), endpoint("b", "Drums")}, "b"},
                      DestinationCase{"IgnoresCase", {endpoint("a", "Synth"), endpoint("b", "SESSION 1")}, "b"},
                      DestinationCase{"ContainedAmongOtherWords", {endpoint("a", "Synth"), endpoint("b", "DAW session 1 input")}, "b"},
                      DestinationCase{"FirstMatchWins", {endpoint("a", "Session 1 A"), endpoint("b", "Session 1")}, "a"},
                      DestinationCase{"SessionTwoIsNotPreferred", {endpoint("a", "Synth"), endpoint("b", "Session 2")}, "a"},
                      DestinationCase{"AnotherInstancesInputIsPassedOver",
                                      {jackPort("PulvanStandaloneMIDIInClient-01:PulvanStandaloneMIDIInPort"), endpoint("b", "Drums")},
                                      "b"},
                      DestinationCase{"OnlyPulvanInputsGiveNone",
                                      {alsaPort("PulvanStandaloneMIDIInClient:PulvanStandaloneMIDIInPort 129:0")},
                                      std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct SourceCase {
    const char* name;
    midi::Endpoint source;
    bool own;
};

class PulvanSourceTest : public ::testing::TestWithParam<SourceCase> {};

TEST_P(PulvanSourceTest, RecognisedByIdentifierOrName) { EXPECT_EQ(isPulvanSource(GetParam().source), GetParam().own); }

INSTANTIATE_TEST_SUITE_P(
    Sources, PulvanSourceTest,
    ::testing::Values(SourceCase{"ByIdentifier", endpoint("a", "Renamed", "x", midi::kVirtualSourceUniqueId), true},
                      SourceCase{"ByDisplayNameIgnoringCase", endpoint("a", "kez virtual port"), true},
                      SourceCase{"NameMustBeWhole", endpoint("a", "Kez Virtual Port 2"), false},
                      SourceCase{"OtherSource", endpoint("a", "Keyboard"), false},
                      SourceCase{"ASendingPortOnJack", jackPort("PulvanStandaloneMIDIClient:PulvanStandaloneMIDIPort"), true},
                      SourceCase{"ASecondApplicationsSendingPort", jackPort("PulvanStandaloneMIDIClient-01:PulvanStandaloneMIDIPort"),
                                 true},
                      SourceCase{"ASendingPortOnAlsa", alsaPort("PulvanStandaloneMIDIClient:PulvanStandaloneMIDIPort 130:0"), true},
                      SourceCase{"AnotherProgramsPortOfTheSameName", jackPort("Keys:PulvanStandaloneMIDIPort"), false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::link
