#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/fontchooser/FontChooserProtocol.h"
#include "core/values/FontString.h"

namespace horavex {
namespace {

std::u16string face(const LogFont& font) { return reinterpret_cast<const char16_t*>(font.lfFaceName); }

std::vector<std::string_view> views(const std::vector<std::string>& strings) {
    return {strings.begin(), strings.end()};
}

FontChoice sampleChoice() {
    FontChoice choice;
    choice.face = "DejaVu Sans \xC3\xA4";
    choice.points = 10.5;
    choice.weight = 700;
    choice.italic = true;
    choice.underline = false;
    choice.strikeOut = true;
    return choice;
}

void expectSameChoice(const FontChoice& a, const FontChoice& b) {
    EXPECT_EQ(a.face, b.face);
    EXPECT_EQ(a.points, b.points);
    EXPECT_EQ(a.weight, b.weight);
    EXPECT_EQ(a.italic, b.italic);
    EXPECT_EQ(a.underline, b.underline);
    EXPECT_EQ(a.strikeOut, b.strikeOut);
}

TEST(FontChooserRecord, DefaultFontShowsAsArialTwentyPoints) {
    const FontChoice choice = fontChoiceFrom(dialogDefaultFont());
    EXPECT_EQ(choice.face, "Arial");
    EXPECT_EQ(choice.points, 20.0);
    EXPECT_EQ(choice.weight, 400);
    EXPECT_FALSE(choice.italic);
    EXPECT_FALSE(choice.underline);
    EXPECT_FALSE(choice.strikeOut);
}

TEST(FontChooserRecord, ChoiceChangesOnlyItsOwnFields) {
    LogFont font = dialogDefaultFont();
    font.lfPitchAndFamily = 49;
    font.lfCharSet = 7;
    font.lfQuality = 3;
    font.lfWidth = 11;
    applyFontChoice(sampleChoice(), font);
    EXPECT_EQ(font.lfHeight, -14);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.lfUnderline, 0);
    EXPECT_EQ(font.lfStrikeOut, 1);
    EXPECT_EQ(face(font), u"DejaVu Sans \u00E4");
    EXPECT_EQ(font.lfPitchAndFamily, 49);
    EXPECT_EQ(font.lfCharSet, 7);
    EXPECT_EQ(font.lfQuality, 3);
    EXPECT_EQ(font.lfWidth, 11);
}

TEST(FontChooserRecord, TwentyPointsComeBackAsMinus27) {
    LogFont font = dialogDefaultFont();
    applyFontChoice(fontChoiceFrom(font), font);
    EXPECT_EQ(encodeFont(font), "-27 0 0 0 400 34 Arial");
}

TEST(FontChooserArguments, RoundTrip) {
    const FontChoice choice = sampleChoice();
    const std::vector<std::string> arguments = fontChooserArguments(choice);
    EXPECT_EQ(arguments.front(), "--face=DejaVu Sans \xC3\xA4");
    expectSameChoice(parseFontChooserArguments(views(arguments)), choice);
}

TEST(FontChooserArguments, UnknownAndMalformedArgumentsKeepDefaults) {
    const FontChoice parsed = parseFontChooserArguments(
        {"--size=abc", "--weight=", "--italic=yes", "--colour=red", "face=Nope", "--underline=1", "-x"});
    const FontChoice defaults;
    EXPECT_EQ(parsed.face, defaults.face);
    EXPECT_EQ(parsed.points, defaults.points);
    EXPECT_EQ(parsed.weight, defaults.weight);
    EXPECT_FALSE(parsed.italic);
    EXPECT_TRUE(parsed.underline);
}

TEST(FontChooserAnswers, ChosenRoundTrip) {
    const FontChooserAnswer answer{FontChooserOutcome::Chosen, sampleChoice()};
    const std::string text = formatFontChooserAnswer(answer);
    EXPECT_EQ(text,
              "chosen\nface=DejaVu Sans \xC3\xA4\nsize=10.5\nweight=700\nitalic=1\nunderline=0\nstrikeout=1\n");
    const FontChooserAnswer parsed = parseFontChooserAnswer(text);
    EXPECT_EQ(parsed.outcome, FontChooserOutcome::Chosen);
    expectSameChoice(parsed.choice, answer.choice);
}

TEST(FontChooserAnswers, CancelledAndUnavailable) {
    EXPECT_EQ(parseFontChooserAnswer(formatFontChooserAnswer({FontChooserOutcome::Cancelled, {}})).outcome,
              FontChooserOutcome::Cancelled);
    EXPECT_EQ(parseFontChooserAnswer(formatFontChooserAnswer({FontChooserOutcome::Unavailable, {}})).outcome,
              FontChooserOutcome::Unavailable);
}

TEST(FontChooserAnswers, AnythingIncompleteOrMalformedIsUnavailable) {
    const std::string good = "chosen\nface=A\nsize=12\nweight=400\nitalic=0\nunderline=0\nstrikeout=0\n";
    ASSERT_EQ(parseFontChooserAnswer(good).outcome, FontChooserOutcome::Chosen);
    for (const char* bad : {
             "",
             "\n",
             "yes\n",
             "chosen\n",
             "chosen\nface=A\nsize=12\nweight=400\nitalic=0\nunderline=0\n",
             "chosen\nface=A\nsize=-1\nweight=400\nitalic=0\nunderline=0\nstrikeout=0\n",
             "chosen\nface=A\nsize=nan\nweight=400\nitalic=0\nunderline=0\nstrikeout=0\n",
             "chosen\nface=A\nsize=12\nweight=4e2\nitalic=0\nunderline=0\nstrikeout=0\n",
             "chosen\nface=A\nsize=12\nweight=99999999999\nitalic=0\nunderline=0\nstrikeout=0\n",
             "chosen\nface=A\nsize=12\nweight=400\nitalic=2\nunderline=0\nstrikeout=0\n",
             "chosen\nface=A\nsize=12\nweight=400\nitalic=0\nunderline=0\nstrikeout=0\ncolour=red\n",
             "chosen\nface=A\nsize=12\nweight=400\nitalic=0\nunderline=0\nstrikeout=0\ngarbage\n",
         }) {
        EXPECT_EQ(parseFontChooserAnswer(bad).outcome, FontChooserOutcome::Unavailable) << bad;
    }
}

TEST(FontChooserAnswers, LastLineNeedsNoNewline) {
    const FontChooserAnswer parsed =
        parseFontChooserAnswer("chosen\nface=A B\nsize=12\nweight=400\nitalic=0\nunderline=1\nstrikeout=0");
    EXPECT_EQ(parsed.outcome, FontChooserOutcome::Chosen);
    EXPECT_EQ(parsed.choice.face, "A B");
    EXPECT_TRUE(parsed.choice.underline);
}

}  // namespace
}  // namespace horavex
