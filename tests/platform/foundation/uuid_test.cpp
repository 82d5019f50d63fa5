#include "platform/foundation/uuid.h"

#include <gtest/gtest.h>

#include <set>

using pulvan::foundation::Uuid;

TEST(Uuid, RandomIsVersionFourAndRoundTrips) {
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        Uuid id = Uuid::random();
        std::string text = id.string();
        EXPECT_EQ(text[14], '4');
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos);
        EXPECT_EQ(Uuid::parse(text), id);
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

TEST(Uuid, ParseAcceptsEitherCaseAndRejectsMalformedText) {
    EXPECT_EQ(Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f")->string(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    for (const char* bad :
         {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5", "G621E1F8-C36C-495A-93FC-0C247A3E6E5F",
          "E621E1F8-C36C-495A-93FC_0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F0"}) {
        EXPECT_FALSE(Uuid::parse(bad).has_value()) << bad;
    }
}
