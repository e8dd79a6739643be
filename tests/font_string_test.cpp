#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "core/values/FontString.h"

namespace horavex {
namespace {

std::u16string face(const LogFont& font) {
    return std::u16string(reinterpret_cast<const char16_t*>(font.lfFaceName));
}

LogFont zeroFont() {
    LogFont font;
    std::memset(&font, 0, sizeof font);
    return font;
}

TEST(FontStringDecode, DefaultString) {
    LogFont font = zeroFont();
    ASSERT_EQ(decodeFont(kDefaultFontString, font), kOfxStatOK);
    EXPECT_EQ(font.lfHeight, 27);
    EXPECT_EQ(font.lfItalic, 0);
    EXPECT_EQ(font.lfStrikeOut, 0);
    EXPECT_EQ(font.lfUnderline, 0);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.lfPitchAndFamily, 34);
    EXPECT_EQ(face(font), u"Arial");
    EXPECT_EQ(encodeFont(font), kDefaultFontString);
}

TEST(FontStringDecode, FlagsComeInTheOrderItalicStrikeOutUnderline) {
    LogFont font = zeroFont();
    ASSERT_EQ(decodeFont("-27 1 2 3 700 34 Arial", font), kOfxStatOK);
    EXPECT_EQ(font.lfHeight, -27);
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.lfStrikeOut, 2);
    EXPECT_EQ(font.lfUnderline, 3);
    EXPECT_EQ(font.lfWeight, 700);
}

TEST(FontStringDecode, NumbersReadLikePercentI) {
    LogFont font = zeroFont();
    ASSERT_EQ(decodeFont("0x1B 010 +1 -0 0X190 042 Arial", font), kOfxStatOK);
    EXPECT_EQ(font.lfHeight, 27);
    EXPECT_EQ(font.lfItalic, 8);
    EXPECT_EQ(font.lfStrikeOut, 1);
    EXPECT_EQ(font.lfUnderline, 0);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.lfPitchAndFamily, 34);
}

TEST(FontStringDecode, ByteFieldsKeepTheLowEightBits) {
    LogFont font = zeroFont();
    ASSERT_EQ(decodeFont("27 300 -1 256 400 290 Arial", font), kOfxStatOK);
    EXPECT_EQ(font.lfItalic, 44);
    EXPECT_EQ(font.lfStrikeOut, 255);
    EXPECT_EQ(font.lfUnderline, 0);
    EXPECT_EQ(font.lfPitchAndFamily, 34);
}

TEST(FontStringDecode, NumbersBeyondIntSaturate) {
    LogFont font = zeroFont();
    ASSERT_EQ(decodeFont("99999999999999999999999 0 0 0 -4294967296 34 Arial", font), kOfxStatOK);
    EXPECT_EQ(font.lfHeight, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(font.lfWeight, std::numeric_limits<int32_t>::min());
}

TEST(FontStringDecode, ExtraBlanksAndTrailingTextAreAccepted) {
    LogFont font = zeroFont();
    ASSERT_EQ(decodeFont("  27\t0\n0 0  400 34   Liberation_Sans  trailing", font), kOfxStatOK);
    EXPECT_EQ(face(font), u"Liberation Sans");
}

TEST(FontStringDecode, ShortStringKeepsWhatWasReadAndReportsFormatError) {
    LogFont font = zeroFont();
    EXPECT_EQ(decodeFont("27 0 0", font), kOfxStatErrFormat);
    EXPECT_EQ(font.lfHeight, 27);
    EXPECT_EQ(font.lfItalic, 0);
    EXPECT_EQ(font.lfStrikeOut, 0);
    EXPECT_EQ(font.lfUnderline, 0);
    EXPECT_EQ(font.lfWeight, 0);

    font = zeroFont();
    EXPECT_EQ(decodeFont("-5 1 1 x 400 34 Arial", font), kOfxStatErrFormat);
    EXPECT_EQ(font.lfHeight, -5);
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.lfStrikeOut, 1);
    EXPECT_EQ(font.lfUnderline, 0);
    EXPECT_EQ(font.lfWeight, 0);
}

TEST(FontStringDecode, MissingFaceLeavesTheFaceAsItWas) {
    LogFont font = zeroFont();
    setFaceName(font, "Courier");
    EXPECT_EQ(decodeFont("27 0 0 0 400 34 ", font), kOfxStatErrFormat);
    EXPECT_EQ(font.lfPitchAndFamily, 34);
    EXPECT_EQ(face(font), u"Courier");
}

TEST(FontStringDecode, NullOrEmptyChangesNothing) {
    LogFont font = dialogDefaultFont();
    const LogFont before = font;
    EXPECT_EQ(decodeFont(nullptr, font), kOfxStatErrFormat);
    EXPECT_EQ(decodeFont("", font), kOfxStatErrFormat);
    EXPECT_EQ(decodeFont("   ", font), kOfxStatErrFormat);
    EXPECT_EQ(std::memcmp(&font, &before, sizeof font), 0);
}

TEST(FontStringDecode, SignWithoutDigitsIsAMismatch) {
    LogFont font = zeroFont();
    EXPECT_EQ(decodeFont("- 27 0 0 0 400 34 Arial", font), kOfxStatErrFormat);
    EXPECT_EQ(font.lfHeight, 0);
}

TEST(FontStringFace, BlanksTravelAsUnderscores) {
    LogFont font = dialogDefaultFont();
    setFaceName(font, "DejaVu Sans Mono");
    const std::string text = encodeFont(font);
    EXPECT_EQ(text, "-27 0 0 0 400 34 DejaVu_Sans_Mono");
    LogFont back = zeroFont();
    ASSERT_EQ(decodeFont(text.c_str(), back), kOfxStatOK);
    EXPECT_EQ(face(back), u"DejaVu Sans Mono");
}

TEST(FontStringFace, RealUnderscoresComeBackAsBlanks) {
    LogFont font = zeroFont();
    ASSERT_EQ(decodeFont("27 0 0 0 400 34 My_Font", font), kOfxStatOK);
    EXPECT_EQ(face(font), u"My Font");
}

TEST(FontStringFace, LongFaceTokenIsCutTo31Bytes) {
    LogFont font = zeroFont();
    const std::string name(100, 'A');
    ASSERT_EQ(decodeFont(("27 0 0 0 400 34 " + name).c_str(), font), kOfxStatOK);
    EXPECT_EQ(face(font), std::u16string(31, u'A'));
    EXPECT_EQ(font.lfFaceName[31], u'\0');
}

TEST(FontStringFace, CutNeverSplitsAUtf8Character) {
    LogFont font = zeroFont();
    // 30 ASCII bytes, then a two-byte letter that would end on byte 32.
    const std::string name = std::string(30, 'b') + "\xC3\xA9" + "tail";
    ASSERT_EQ(decodeFont(("27 0 0 0 400 34 " + name).c_str(), font), kOfxStatOK);
    EXPECT_EQ(face(font), std::u16string(30, u'b'));
}

TEST(FontStringFace, NonAsciiFacesRoundTripAsUtf8) {
    LogFont font = zeroFont();
    ASSERT_EQ(decodeFont("-20 0 0 0 400 34 \xE6\xB8\xB8\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF", font),
              kOfxStatOK);
    EXPECT_EQ(face(font), u"\u6E38\u30B4\u30B7\u30C3\u30AF");
    EXPECT_EQ(encodeFont(font), "-20 0 0 0 400 34 \xE6\xB8\xB8\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF");
}

TEST(FontStringFace, InvalidUtf8FaceBecomesReplacementCharacters) {
    LogFont font = zeroFont();
    ASSERT_EQ(decodeFont("27 0 0 0 400 34 A\xFF\xE2\x82Z", font), kOfxStatOK);
    EXPECT_EQ(face(font), u"A\uFFFD\uFFFDZ");
}

TEST(FontStringFace, InvalidUtf8FaceSurvivesARoundTripUnchanged) {
    // The bad byte becomes a three-byte replacement; were the token cut at 31
    // bytes before that, the face would no longer fit its own string and
    // would lose its end with every store.
    const std::string text = std::string("27 0 0 0 400 34 DejaVu_Sans_Mono_Bold_") + "\xCF" + "blique_Condensed";
    LogFont font = zeroFont();
    ASSERT_EQ(decodeFont(text.c_str(), font), kOfxStatOK);
    const std::string stored = encodeFont(font);
    LogFont again = zeroFont();
    ASSERT_EQ(decodeFont(stored.c_str(), again), kOfxStatOK);
    EXPECT_EQ(face(again), face(font));
    EXPECT_EQ(encodeFont(again), stored);
    EXPECT_EQ(face(font), u"DejaVu Sans Mono Bold \uFFFDblique");
}

TEST(FontStringFace, FaceOfFullWidthCharactersStaysTerminated) {
    LogFont font = zeroFont();
    std::string name;
    for (int i = 0; i < 20; ++i) {
        name += "\xF0\x9F\x98\x80";  // four bytes, two UTF-16 units each
    }
    ASSERT_EQ(decodeFont(("27 0 0 0 400 34 " + name).c_str(), font), kOfxStatOK);
    // 31 bytes hold seven whole four-byte characters: 14 units.
    EXPECT_EQ(face(font).size(), 14u);
    EXPECT_EQ(font.lfFaceName[31], u'\0');
}

TEST(FontStringEncode, FlagsAndNegativeHeight) {
    LogFont font = dialogDefaultFont();
    font.lfItalic = 1;
    font.lfStrikeOut = 1;
    font.lfUnderline = 1;
    const std::string text = encodeFont(font);
    EXPECT_EQ(text, "-27 1 1 1 400 34 Arial");
    LogFont back = zeroFont();
    ASSERT_EQ(decodeFont(text.c_str(), back), kOfxStatOK);
    EXPECT_EQ(back.lfItalic, 1);
    EXPECT_EQ(back.lfStrikeOut, 1);
    EXPECT_EQ(back.lfUnderline, 1);
}

TEST(FontStringEncode, ByteFieldsPrintUnsigned) {
    LogFont font = dialogDefaultFont();
    font.lfItalic = 255;
    font.lfPitchAndFamily = 200;
    EXPECT_EQ(encodeFont(font), "-27 255 0 0 400 200 Arial");
}

TEST(FontStringEncode, UnterminatedFaceIsReadOnlyWithinItsField) {
    LogFont font = dialogDefaultFont();
    for (auto& unit : font.lfFaceName) {
        unit = u'Z';
    }
    EXPECT_EQ(encodeFont(font), "-27 0 0 0 400 34 " + std::string(31, 'Z'));
}

TEST(FontStringEncode, OutputIsCutToTheBufferAndTerminated) {
    const LogFont font = dialogDefaultFont();
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    encodeFont(font, buffer, 5);
    EXPECT_STREQ(buffer, "-27 ");
    EXPECT_EQ(buffer[5], '#');
    encodeFont(font, buffer, 0);
    EXPECT_EQ(buffer[0], '-');
    encodeFont(font, nullptr, 10);
}

TEST(FontStringDefaults, DialogStartsFromArial27) {
    const LogFont font = dialogDefaultFont();
    EXPECT_EQ(font.lfHeight, -27);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.lfPitchAndFamily, 34);
    EXPECT_EQ(font.lfItalic, 0);
    EXPECT_EQ(font.lfCharSet, 0);
    EXPECT_EQ(face(font), u"Arial");
    EXPECT_EQ(encodeFont(font), "-27 0 0 0 400 34 Arial");
}

TEST(FontStringSize, PointsToHeightRoundsAt96Dpi) {
    EXPECT_EQ(pointsToLfHeight(20.0), -27);
    EXPECT_EQ(pointsToLfHeight(12.0), -16);
    EXPECT_EQ(pointsToLfHeight(10.5), -14);
    EXPECT_EQ(pointsToLfHeight(0.0), 0);
    EXPECT_EQ(pointsToLfHeight(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(pointsToLfHeight(1e300), std::numeric_limits<int32_t>::min());
}

TEST(FontStringSize, HeightToPointsRoundsTheMagnitude) {
    EXPECT_EQ(lfHeightToPoints(-27), 20);
    EXPECT_EQ(lfHeightToPoints(27), 20);
    EXPECT_EQ(lfHeightToPoints(-16), 12);
    EXPECT_EQ(lfHeightToPoints(-14), 11);  // 10.5 rounds up
    EXPECT_EQ(lfHeightToPoints(std::numeric_limits<int32_t>::min()), 1610612736);
    for (int points = 1; points <= 200; ++points) {
        EXPECT_EQ(lfHeightToPoints(pointsToLfHeight(points)), points) << points;
    }
}

}  // namespace
}  // namespace horavex
