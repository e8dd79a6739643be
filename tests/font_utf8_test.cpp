#include <gtest/gtest.h>

#include <string>

#include "core/values/Utf8.h"

namespace horavex {
namespace {

TEST(FontUtf8, Utf16CutKeepsSurrogatePairsWhole) {
    char16_t out[4];
    EXPECT_EQ(utf8ToUtf16("ab\xF0\x9F\x98\x80", out, 4), 2u);
    EXPECT_EQ(std::u16string(out), u"ab");
    EXPECT_EQ(utf8ToUtf16("a", out, 0), 0u);
}

TEST(FontUtf8, LoneSurrogatesBecomeReplacementCharacters) {
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0};
    EXPECT_EQ(utf16ToUtf8(lone, 10), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    const char16_t pairAtLimit[] = {u'a', 0xD83D, 0xDE00, 0};
    EXPECT_EQ(utf16ToUtf8(pairAtLimit, 2), "a\xEF\xBF\xBD");
}

TEST(FontUtf8, OverlongAndSurrogateEncodingsAreRejected) {
    EXPECT_EQ(utf8ToWide("\xC0\xAF", 10), L"\uFFFD\uFFFD");
    EXPECT_EQ(utf8ToWide("\xE0\x80\xAF", 10), L"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf8ToWide("\xED\xA0\x80", 10), L"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf8ToWide("\xF4\x90\x80\x80", 10), L"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf8ToWide("\xF0\x9F\x98", 10), L"\uFFFD");
    EXPECT_EQ(utf8ToWide("\xF4\x8F\xBF\xBF", 10), L"\U0010FFFF");
}

TEST(FontUtf8, WideRoundTrip) {
    const std::wstring text = L"a\u00E4\u20AC\U0001F600";
    EXPECT_EQ(wideToUtf8(text), "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(utf8ToWide(wideToUtf8(text), 100), text);
    EXPECT_EQ(utf8ToWide(wideToUtf8(text), 2), L"a\u00E4");
}

TEST(FontUtf8, PrefixStopsAtACharacterBoundary) {
    EXPECT_EQ(utf8Prefix("ab\xE2\x82\xAC", 4), "ab");
    EXPECT_EQ(utf8Prefix("ab\xE2\x82\xAC", 5), "ab\xE2\x82\xAC");
    EXPECT_EQ(utf8Prefix("abc", 2), "ab");
}

}  // namespace
}  // namespace horavex
