#include "platform/foundation/unicode_text.h"

#include <unicode/brkiter.h>
#include <unicode/coll.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace pulvan::foundation {
namespace {

icu::UnicodeString toUnicode(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

// Code point at `offset`, or a negative value for an invalid sequence; advances `offset`.
UChar32 nextCodePoint(std::string_view text, std::size_t& offset) {
    int32_t i = static_cast<int32_t>(offset);
    UChar32 c = 0;
    U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), i, static_cast<int32_t>(text.size()), c);
    offset = static_cast<std::size_t>(i);
    return c;
}

bool isSpace(UChar32 c) { return c >= 0 && u_isUWhiteSpace(c); }

}  // namespace

std::string trimmed(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t next = begin;
        if (!isSpace(nextCodePoint(text, next))) break;
        begin = next;
    }
    std::size_t end = begin;
    for (std::size_t offset = begin; offset < text.size();) {
        if (!isSpace(nextCodePoint(text, offset))) end = offset;
    }
    return std::string(text.substr(begin, end - begin));
}

bool isBlank(std::string_view text) { return trimmed(text).empty(); }

std::string firstCharacters(std::string_view text, std::size_t count) {
    if (count == 0 || text.empty()) return {};
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    if (it && U_SUCCESS(status)) it->setText(utext, status);
    std::size_t cut = text.size();
    if (it && U_SUCCESS(status)) {
        std::size_t taken = 0;
        for (int32_t end = it->next(); end != icu::BreakIterator::DONE; end = it->next()) {
            if (++taken == count) {
                cut = static_cast<std::size_t>(end);
                break;
            }
        }
    }
    utext_close(utext);
    return std::string(text.substr(0, cut));
}

bool equalIgnoringCase(std::string_view a, std::string_view b) { return toUnicode(a).foldCase() == toUnicode(b).foldCase(); }

namespace {

const icu::Collator* caseInsensitiveCollator() {
    static std::once_flag once;
    static std::unique_ptr<icu::Collator> collator;
    std::call_once(once, [] {
        UErrorCode status = U_ZERO_ERROR;
        // The C locale maps to a code-point order; names then sort by the root collation.
        icu::Locale locale = icu::Locale::getDefault();
        if (std::strcmp(locale.getVariant(), "POSIX") == 0) locale = icu::Locale::getRoot();
        collator.reset(icu::Collator::createInstance(locale, status));
        if (U_FAILURE(status)) {
            collator.reset();
            return;
        }
        collator->setStrength(icu::Collator::SECONDARY);
    });
    return collator.get();
}

}  // namespace

bool localizedCaseInsensitiveLess(std::string_view a, std::string_view b) {
    if (const icu::Collator* collator = caseInsensitiveCollator()) {
        UErrorCode status = U_ZERO_ERROR;
        UCollationResult order = collator->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                                                       icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
        if (U_SUCCESS(status) && order != UCOL_EQUAL) return order == UCOL_LESS;
    }
    return a < b;
}

}  // namespace pulvan::foundation
