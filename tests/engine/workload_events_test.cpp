// Every benchmark workload plays exactly the events it played when workload_events.txt was
// recorded: bit for bit, block for block. Cutting the engine's cost must not move an event.
// PULVAN_UPDATE_GOLDEN=1 records the file again.
#include <gtest/gtest.h>

#include "tests/support/block_workloads.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace pulvan::engine {
namespace {

// FNV-1a over every field of every event, each block's count and overflow flag.
struct EventFingerprint {
    std::uint64_t events = 0;
    std::uint64_t hash = 14695981039346656037ull;

    void mix(std::uint64_t value) {
        for (int i = 0; i < 8; ++i, value >>= 8) hash = (hash ^ (value & 0xFF)) * 1099511628211ull;
    }
    void add(const EngineEventBuffer& buffer) {
        mix(static_cast<std::uint64_t>(buffer.count) << 8 | buffer.overflow);
        for (int i = 0; i < buffer.count; ++i) {
            const EngineEvent& e = buffer.events[i];
            std::uint64_t time = 0;
            std::memcpy(&time, &e.time, sizeof time);
            mix(time);
            mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(e.track)) << 32 | std::uint64_t{e.kind} << 24 |
                std::uint64_t{e.channel} << 16 | std::uint64_t{e.data1} << 8 | e.data2);
        }
        events += static_cast<std::uint64_t>(buffer.count);
    }
    bool operator==(const EventFingerprint&) const = default;
};

std::map<std::string, EventFingerprint> playEveryWorkload() {
    std::map<std::string, EventFingerprint> played;
    for (const test::BlockWorkload& workload : test::blockWorkloads()) {
        for (int samples : test::kWorkloadBlockSizes) {
            EventFingerprint& print = played[workload.name + "/" + std::to_string(samples)];
            const test::EventReader read = [&print](const EngineEventBuffer& events) { print.add(events); };
            test::BlockSetup setup(workload.tempo, samples);
            workload.prepare(setup);
            test::warmUp(setup, workload, &read);
            for (const double end = setup.position + test::kMeasuredQN; setup.position < end;) {
                workload.between(setup);
                setup.render(&read);
            }
        }
    }
    return played;
}

TEST(WorkloadEvents, EveryWorkloadPlaysTheRecordedEvents) {
    const auto played = playEveryWorkload();
    if (std::getenv("PULVAN_UPDATE_GOLDEN")) {
        std::ofstream out(PULVAN_WORKLOAD_EVENTS);
        for (const auto& [label, print] : played) out << label << ' ' << print.events << ' ' << std::hex << print.hash << std::dec << '\n';
    }
    std::ifstream in(PULVAN_WORKLOAD_EVENTS);
    std::map<std::string, EventFingerprint> recorded;
    std::string label;
    EventFingerprint print;
    while (in >> label >> print.events >> std::hex >> print.hash >> std::dec) recorded[label] = print;
    ASSERT_EQ(recorded.size(), played.size()) << "no record at " << PULVAN_WORKLOAD_EVENTS;
    for (const auto& [name, now] : played) {
        EXPECT_EQ(now.events, recorded[name].events) << name;
        EXPECT_EQ(now.hash, recorded[name].hash) << name;
    }
}

}  // namespace
}  // namespace pulvan::engine
