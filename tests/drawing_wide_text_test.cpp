// What the font engine is handed: UTF-8 from wide and UTF-16 text, with
// nothing that could end or corrupt the run it is given.
#include <gtest/gtest.h>

#include "core/drawing/WideText.h"

namespace horavex {
namespace {

TEST(WideText, EncodesEveryPlaneAsUtf8) {
    EXPECT_EQ(utf8FromWide(L"12:34"), "12:34");
    EXPECT_EQ(utf8FromWide(L"\u00e9\u20ac"), "\xc3\xa9\xe2\x82\xac");
    // One wchar_t on Linux, a surrogate pair on Windows.
    EXPECT_EQ(utf8FromWide(L"\U0001F600"), "\xf0\x9f\x98\x80");
}

TEST(WideText, NulsAndNonCharactersBecomeReplacementCharacters) {
    const std::string replacement = "\xef\xbf\xbd";
    EXPECT_EQ(utf8FromWide(std::wstring_view(L"a\0b", 3)), "a" + replacement + "b");
    EXPECT_EQ(utf8FromWide(std::wstring(1, static_cast<wchar_t>(0xD800))), replacement);
    EXPECT_EQ(utf8FromWide(std::wstring(1, static_cast<wchar_t>(0x110000))), replacement);
}

TEST(WideText, FaceNamesStopAtTheirTerminatorAndJoinSurrogatePairs) {
    const char16_t face[] = {u'A', 0xD83D, 0xDE00, u'b', 0, u'x'};
    EXPECT_EQ(utf8FromUtf16(std::u16string_view(face, 6)), "A\xf0\x9f\x98\x80" "b");
    const char16_t lone[] = {0xDC00, u'c'};
    EXPECT_EQ(utf8FromUtf16(std::u16string_view(lone, 2)), "\xef\xbf\xbd" "c");
}

}  // namespace
}  // namespace horavex
