#include <gtest/gtest.h>

#include "platform/foundation/user_defaults.h"
#include "tests/platform/foundation/temp_folder.h"

#include <string>
#include <thread>
#include <vector>

using pulvan::foundation::UserDefaults;
using pulvan::test::TempFolder;

TEST(UserDefaultsThreads, ConcurrentWritersOfDifferentKeysLoseNothing) {
    TempFolder folder;
    const auto file = folder.path() / "defaults.json";
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w) {
        writers.emplace_back([&, w] {
            UserDefaults defaults(file);  // each editor has its own handle on the shared file
            for (int i = 0; i < 25; ++i) ASSERT_TRUE(defaults.setValue("writer" + std::to_string(w) + "." + std::to_string(i), i));
        });
    }
    for (auto& writer : writers) writer.join();
    UserDefaults defaults(file);
    for (int w = 0; w < 4; ++w) {
        for (int i = 0; i < 25; ++i) EXPECT_EQ(defaults.value("writer" + std::to_string(w) + "." + std::to_string(i)), nlohmann::json(i));
    }
}
