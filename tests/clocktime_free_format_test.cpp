#include <gtest/gtest.h>

#include <string>

#include "core/clocktime/FreeFormat.h"
#include "core/clocktime/TimeText.h"

namespace horavex {
namespace {

ShownTime nineOFive() {
    ShownTime shown;
    shown.hours = 9;
    shown.minutes = 5;
    shown.seconds = 7;
    shown.milliseconds = 89;
    shown.day = 3;
    shown.month = 4;
    shown.year = 2018;
    return shown;
}

std::wstring freeLine(std::string_view format) { return freeFormatText(nineOFive(), format); }

TEST(FreeFormatText, FormatsTheShownTimeAndStartDate) {
    EXPECT_EQ(freeLine("%H:%M"), L"09:05");
    EXPECT_EQ(freeLine("%Y"), L"2018");
    EXPECT_EQ(freeLine("%d.%m.%y %S"), L"03.04.18 07");
    EXPECT_EQ(freeLine("Time %T"), L"Time 09:05:07");
}

TEST(FreeFormatText, WeekdayAndDayOfYearAreNotComputed) {
    EXPECT_EQ(freeLine("%a %A %j %b"), L"Sun Sunday 001 Apr");
}

TEST(FreeFormatText, TrailingPercentIsShownLiterally) {
    EXPECT_EQ(freeLine("100%"), L"100%");
    EXPECT_EQ(freeLine("%"), L"%");
    // "%%" plus the appended "%" is a literal percent and a lone one at the
    // end, which strftime rejects: the line shows the text itself.
    EXPECT_EQ(freeLine("50%%"), L"50%%%");
}

TEST(FreeFormatText, EmptyTextGivesAnEmptyLine) { EXPECT_EQ(freeLine(""), L""); }

TEST(FreeFormatText, BlankTextIsKept) { EXPECT_EQ(freeLine(" "), L" "); }

TEST(FreeFormatText, RejectedConversionShowsTheText) {
    EXPECT_EQ(freeLine("%H %Q"), L"%H %Q");
    EXPECT_EQ(freeLine("%k:%M"), L"%k:%M");
    EXPECT_EQ(freeLine("%-H"), L"%-H");
    EXPECT_EQ(freeLine("%Ez"), L"%Ez");
}

TEST(FreeFormatText, ResultLongerThanTheBufferShowsTheText) {
    std::string format;
    for (int i = 0; i < 60; ++i) {
        format += "%Y";
    }
    // 60 x "2018" is 240 bytes and fits; 64 of them do not.
    EXPECT_EQ(freeLine(format).size(), 240u);
    format += "%Y%Y%Y%Y";
    EXPECT_EQ(freeLine(format), std::wstring(format.begin(), format.end()));
}

TEST(FreeFormatText, LongTextIsCutTo254Characters) {
    const std::string format(1000, 'x');
    const std::wstring line = freeLine(format);
    EXPECT_EQ(line, std::wstring(kTimeTextMaxChars, L'x'));
}

TEST(FreeFormatText, LongTextEndingInPercentHasItBlanked) {
    std::string format(300, 'x');
    format.back() = '%';
    EXPECT_EQ(applyTrailingPercentRule(format).back(), ' ');
    EXPECT_EQ(applyTrailingPercentRule(format).size(), 300u);
    EXPECT_EQ(freeLine(format), std::wstring(kTimeTextMaxChars, L'x'));
}

TEST(FreeFormatText, TrailingPercentRuleBoundary) {
    std::string format(253, 'x');
    format += '%';
    EXPECT_EQ(applyTrailingPercentRule(format), format + '%');
    format.insert(format.begin(), 'x');
    EXPECT_EQ(applyTrailingPercentRule(format), std::string(254, 'x') + ' ');
    EXPECT_EQ(applyTrailingPercentRule("%%"), "%%%");
    EXPECT_EQ(applyTrailingPercentRule(""), "");
    EXPECT_EQ(applyTrailingPercentRule("%H"), "%H");
}

TEST(FreeFormatText, Utf8TextIsWidenedAsUtf8) {
    EXPECT_EQ(freeLine("%H Uhr \xE2\x9C\x93 \xC3\xA4"), L"09 Uhr \u2713 \u00E4");
    EXPECT_EQ(freeLine("\xF0\x9F\x95\x98 %H"), L"\U0001F558 09");
}

TEST(FreeFormatText, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(freeLine("%H \xFF\xC3"), L"09 \uFFFD\uFFFD");
    EXPECT_EQ(freeLine("\xE2\x9C"), L"\uFFFD");
}

TEST(FreeFormatText, TextEndsAtAnEmbeddedTerminator) {
    EXPECT_EQ(freeLine(std::string_view("%H\0%M", 5)), L"09");
}

TEST(FreeFormatText, CalendarFieldsAreClamped) {
    ShownTime shown = nineOFive();
    shown.hours = 30;
    shown.minutes = -4;
    shown.seconds = 75;
    shown.day = 0;
    shown.month = 13;
    shown.year = 12000;
    EXPECT_EQ(freeFormatText(shown, "%H:%M:%S %d.%m.%Y"), L"23:00:59 01.12.9999");
    shown.day = 40;
    shown.month = 0;
    shown.year = -7;
    EXPECT_EQ(freeFormatText(shown, "%d.%m"), L"31.01");
    const std::tm calendar = freeFormatCalendar(shown);
    EXPECT_EQ(calendar.tm_year, -1900);
    EXPECT_EQ(calendar.tm_wday, 0);
    EXPECT_EQ(calendar.tm_yday, 0);
    EXPECT_EQ(calendar.tm_isdst, 0);
}

TEST(FreeFormatConversions, StandardConversionsAreAccepted) {
    EXPECT_TRUE(isStandardStrftimeFormat("%a%A%b%B%c%C%d%D%e%F%g%G%h%H%I%j%m%M%n%p%r%R%S%t%T%u%U%V%w%W%x%X%y%Y%z%Z%%"));
    EXPECT_TRUE(isStandardStrftimeFormat("%Ec %EC %Ex %EX %Ey %EY"));
    EXPECT_TRUE(isStandardStrftimeFormat("%Od %Oe %OH %OI %Om %OM %OS %Ou %OU %OV %Ow %OW %Oy"));
    EXPECT_TRUE(isStandardStrftimeFormat("no conversion at all"));
}

TEST(FreeFormatConversions, OthersAreRejected) {
    for (const char* format : {"%", "abc%", "%E", "%O", "%Ed", "%OY", "%k", "%s", "%P", "%+", "%5H", "%#H", "%_H"}) {
        EXPECT_FALSE(isStandardStrftimeFormat(format)) << format;
    }
}

}  // namespace
}  // namespace horavex
