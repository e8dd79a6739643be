#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "core/clocktime/TimeText.h"

namespace horavex {
namespace {

ShownTime at(int32_t h, int32_t m, int32_t s, int32_t ms) {
    ShownTime shown;
    shown.hours = h;
    shown.minutes = m;
    shown.seconds = s;
    shown.milliseconds = ms;
    shown.day = 3;
    shown.month = 4;
    shown.year = 2018;
    shown.frameNumber = 57;
    shown.frameRate = 25.0;
    return shown;
}

std::wstring text(int format, const ShownTime& shown) { return buildTimeText(format, shown, "%H"); }

TEST(TimeTextFixedFormats, TimeOfDayLayouts) {
    const ShownTime shown = at(9, 5, 7, 89);
    EXPECT_EQ(text(0, shown), L"09:05:07.089");
    EXPECT_EQ(text(1, shown), L"09:05:07.08");
    EXPECT_EQ(text(2, shown), L"09:05:07.0");
    EXPECT_EQ(text(3, shown), L"09:05:07");
    EXPECT_EQ(text(4, shown), L"09:05");
}

TEST(TimeTextFixedFormats, MinuteAndSecondTotalsAreNotLimitedToTwoDigits) {
    const ShownTime shown = at(9, 5, 7, 89);
    EXPECT_EQ(text(5, shown), L"545:07");
    EXPECT_EQ(text(6, shown), L"545");
    EXPECT_EQ(text(7, shown), L"545:07.0");
    EXPECT_EQ(text(8, shown), L"32707.0");
    EXPECT_EQ(text(6, at(10, 30, 0, 0)), L"630");
    EXPECT_EQ(text(6, at(0, 3, 0, 0)), L"03");
    EXPECT_EQ(text(8, at(0, 0, 5, 999)), L"05.9");
}

TEST(TimeTextFixedFormats, DateAndTimeInGermanAndEnglishOrder) {
    const ShownTime shown = at(9, 5, 7, 0);
    EXPECT_EQ(text(11, shown), L"03.04.2018 09:05:07");
    EXPECT_EQ(text(12, shown), L"04/03/2018 09:05:07");
}

TEST(TimeTextFixedFormats, FrameFormatsCountTimelineFrames) {
    ShownTime shown = at(9, 5, 7, 0);
    EXPECT_EQ(text(10, shown), L"000057");
    EXPECT_EQ(text(9, shown), L"09:05:07,07");
    shown.frameNumber = 1234567;
    EXPECT_EQ(text(10, shown), L"1234567");
    shown.frameNumber = -3;
    EXPECT_EQ(text(10, shown), L"-00003");
}

TEST(TimeTextFixedFormats, FrameWithinSecondFollowsTheFrameRate) {
    EXPECT_EQ(frameWithinSecond(57, 25.0), 7);
    EXPECT_EQ(frameWithinSecond(50, 25.0), 0);
    EXPECT_EQ(frameWithinSecond(59, 29.97), 29);
    EXPECT_EQ(frameWithinSecond(-27, 25.0), -2);
    EXPECT_EQ(frameWithinSecond(57, 0.0), 0);
    EXPECT_EQ(frameWithinSecond(57, std::numeric_limits<double>::quiet_NaN()), 0);
    // Subnormal rates overflow the division; the frame stays bounded.
    EXPECT_EQ(frameWithinSecond(-1207958528, 6.9913823868727882e-309), 0);
    EXPECT_EQ(frameWithinSecond(57, std::numeric_limits<double>::denorm_min()), 0);
    EXPECT_EQ(frameWithinSecond(-57, -std::numeric_limits<double>::denorm_min()), 0);
}

TEST(TimeTextFixedFormats, IndexOutsideTheTableGivesAnEmptyLine) {
    const ShownTime shown = at(9, 5, 7, 89);
    EXPECT_EQ(text(-1, shown), L"");
    EXPECT_EQ(text(kDigitalFormatCount, shown), L"");
    EXPECT_EQ(text(std::numeric_limits<int>::max(), shown), L"");
}

TEST(TimeTextFixedFormats, FreeFormatIndexUsesTheFreeText) {
    EXPECT_EQ(buildTimeText(kFreeFormatIndex, at(9, 5, 7, 89), "%H:%M"), L"09:05");
}

// The record is plain data: whatever it holds, the totals must not overflow
// and the line must stay within its buffer.
TEST(TimeTextFixedFormats, ExtremeFieldsNeitherOverflowNorOverrun) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    ShownTime shown = at(kMax, kMax, kMax, kMin);
    shown.day = kMin;
    shown.month = kMax;
    shown.year = kMin;
    shown.frameNumber = kMin;
    shown.frameRate = -0.0;
    EXPECT_EQ(text(8, shown), L"7861937631667.-21474836");
    for (int format = 0; format < kDigitalFormatCount; ++format) {
        EXPECT_LE(text(format, shown).size(), kTimeTextMaxChars) << format;
    }
}

TEST(TimeTextSpans, HoursBeyond24TakeAsManyDigitsAsTheyNeed) {
    ShownTime shown = at(100, 0, 5, 250);
    shown.isSpan = true;
    EXPECT_EQ(text(0, shown), L"100:00:05.250");
    EXPECT_EQ(text(3, shown), L"100:00:05");
    EXPECT_EQ(text(4, shown), L"100:00");
    EXPECT_EQ(text(5, shown), L"6000:05");
    EXPECT_EQ(text(14, shown), L"100:00:05:06");
}

TEST(TimeTextSpans, ANegativeSpanLeadsWithAMinusExceptInTheFrameCounter) {
    ShownTime shown = at(0, 0, 1, 500);
    shown.isSpan = true;
    shown.negative = true;
    shown.overtime = true;
    EXPECT_EQ(text(0, shown), L"-00:00:01.500");
    EXPECT_EQ(text(2, shown), L"-00:00:01.5");
    EXPECT_EQ(text(8, shown), L"-01.5");
    EXPECT_EQ(text(kFramecounterIndex, shown), L"000057");
    EXPECT_EQ(text(kTimecodeIndex, shown), L"-00:00:01:13");
    EXPECT_EQ(text(kFreeFormatIndex, shown), L"-00");
    // A line already at the limit stays within it.
    const std::string longFormat(kTimeTextMaxChars, 'x');
    EXPECT_EQ(buildTimeText(kFreeFormatIndex, shown, longFormat).size(), kTimeTextMaxChars);
    // Past the last format, still nothing.
    EXPECT_EQ(text(kDigitalFormatCount, shown), L"");
}

}  // namespace
}  // namespace horavex
