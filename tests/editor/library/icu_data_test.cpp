// The ICU data linked in is trimmed to what the names need: these are the
// lookups that would quietly fall back to something worse if an item were missing.
#include <gtest/gtest.h>

#include <unicode/brkiter.h>
#include <unicode/coll.h>

#include <memory>

namespace {

struct OrderCase {
    const char* locale;
    const char* before;
    const char* after;
};

// Swedish, Danish, Spanish and Czech order these pairs against the root order.
TEST(IcuData, EachLanguageSortsNamesByItsOwnRules) {
    const OrderCase rows[] = {{"sv", "z", "å"}, {"en", "å", "z"},  {"de", "ä", "b"},  {"da", "z", "aa"},
                              {"es", "n", "ñ"}, {"cs", "h", "ch"}, {"root", "a", "B"}};
    for (const OrderCase& row : rows) {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale(row.locale), status));
        ASSERT_TRUE(U_SUCCESS(status)) << row.locale << ": " << u_errorName(status);
        collator->setStrength(icu::Collator::SECONDARY);
        status = U_ZERO_ERROR;
        EXPECT_EQ(collator->compareUTF8(row.before, row.after, status), UCOL_LESS)
            << row.locale << ": " << row.before << " before " << row.after;
    }
}

TEST(IcuData, GraphemeRulesArePresent) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    ASSERT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    it->setText(icu::UnicodeString::fromUTF8("e\xCC\x81x"));
    EXPECT_EQ(it->next(), 2);  // the accent stays with its letter
}

}  // namespace
