#include "editor/link/config_buffer_writer.h"

#include "editor/link/track_configs.h"
#include "tests/editor/link/link_fixture.h"

namespace pulvan::test {
namespace {

namespace layout = engine::config_layout;

// A payload whose every array holds distinct values, so that a word written at
// the wrong place shows.
store::HostedAppPlayPayload markedPayload(int tracks) {
    store::HostedAppPlayPayload p;
    p.trackCount = tracks;
    int next = 1000;
    const auto fill = [&](std::vector<int>& v, int n) {
        v.clear();
        for (int i = 0; i < n; ++i) v.push_back(next++);
    };
    for (auto* v : {&p.resolutions,          &p.channels,           &p.trackMutes,          &p.ccANumbers,        &p.ccBNumbers,
                    &p.portamentoCCs,        &p.portamentoOnValues, &p.portamentoOffValues, &p.lastSteps,         &p.directions,
                    &p.tieLastSteps,         &p.notesLastSteps,     &p.octaveLastSteps,     &p.velocityLastSteps, &p.lengthLastSteps,
                    &p.probabilityLastSteps, &p.ccALastSteps,       &p.ccBLastSteps,        &p.fillModes,         &p.trackOctaves,
                    &p.trackTransposes,      &p.outputChordCounts})
        fill(*v, tracks);
    for (auto* v : {&p.gateSteps, &p.tieSteps, &p.notesSteps, &p.noteStepChordCounts, &p.octaveSteps, &p.velocitySteps, &p.lengthSteps,
                    &p.probabilitySteps, &p.ccASteps, &p.ccBSteps, &p.fixSteps})
        fill(*v, tracks * 64);
    fill(p.noteStepChordValues, tracks * 64 * 17);
    fill(p.outputChordIntervals, tracks * 16);
    fill(p.notePool, 3);
    p.swingPercent = 61;
    return p;
}

struct OffsetCase {
    const char* name;
    std::vector<int> store::HostedAppPlayPayload::*field;
    int offset;
    int slots;
};

TEST(ConfigBufferWriterTest, EveryArrayLandsAtItsOwnOffsetPaddedWithZeros) {
    const auto payload = markedPayload(2);
    auto words = std::make_unique<engine::EngineConfigBuffer>();
    words->fill(-7);
    link::writeEngineConfigBuffer(payload, *words);
    using P = store::HostedAppPlayPayload;
    const OffsetCase cases[] = {
        {"resolutions", &P::resolutions, layout::kResolutions, 6},
        {"fill modes", &P::fillModes, layout::kFillModes, 6},
        {"output chord counts", &P::outputChordCounts, layout::kOutputChordCounts, 6},
        {"output chord intervals", &P::outputChordIntervals, layout::kOutputChordIntervals, 96},
        {"ccB last steps", &P::ccBLastSteps, layout::kCcBLastSteps, 6},
        {"gate", &P::gateSteps, layout::kGateSteps, 384},
        {"fix", &P::fixSteps, layout::kFixSteps, 384},
        {"chord counts", &P::noteStepChordCounts, layout::kNoteStepChordCounts, 384},
        {"chord values", &P::noteStepChordValues, layout::kNoteStepChordValues, 6528},
        {"octave", &P::octaveSteps, layout::kOctaveSteps, 384},
        {"ccB", &P::ccBSteps, layout::kCcBSteps, 384},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto& values = payload.*c.field;
        for (int i = 0; i < c.slots; ++i) {
            const int expected = i < static_cast<int>(values.size()) ? values[static_cast<std::size_t>(i)] : 0;
            ASSERT_EQ((*words)[static_cast<std::size_t>(c.offset + i)], expected) << "slot " << i;
        }
    }
    EXPECT_EQ((*words)[0], 0x4B455A31);
    EXPECT_EQ((*words)[1], 2);
    EXPECT_EQ((*words)[2], 61);
    EXPECT_EQ((*words)[3], 3);
    EXPECT_EQ(std::count(words->begin(), words->end(), -7), 0) << "a word was left unwritten";
}

struct PoolCase {
    int notes;
    int expectedCount;
};

TEST(ConfigBufferWriterTest, TheNotePoolIsCutTo128AndFollowedByZeros) {
    for (const PoolCase c : {PoolCase{200, 128}, PoolCase{3, 3}, PoolCase{0, 0}}) {
        SCOPED_TRACE(c.notes);
        store::HostedAppPlayPayload payload;
        for (int i = 0; i < c.notes; ++i) payload.notePool.push_back(i + 1);
        auto words = std::make_unique<engine::EngineConfigBuffer>();
        link::writeEngineConfigBuffer(payload, *words);
        EXPECT_EQ((*words)[layout::kNotePoolCount], c.expectedCount);
        for (int i = 0; i < 128; ++i) EXPECT_EQ((*words)[static_cast<std::size_t>(layout::kNotePool + i)], i < c.expectedCount ? i + 1 : 0);
    }
}

}  // namespace
}  // namespace pulvan::test
