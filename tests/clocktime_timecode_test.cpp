// SMPTE timecode: exact rates, the drop-frame count around every kind of
// minute, and the text of the two timecode formats for a running clock.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/clocktime/ComputeShownTime.h"
#include "core/clocktime/TimeText.h"
#include "core/clocktime/Timecode.h"

namespace horavex {

// For gtest's messages; found by argument-dependent lookup.
std::ostream& operator<<(std::ostream& out, const FrameRateRatio& r) {
    return out << r.numerator << '/' << r.denominator;
}

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(TimecodeRate, RatesAreRecognisedAsExactRatios) {
    const struct {
        double fps;
        FrameRateRatio expected;
    } cases[] = {
        {29.97002997, {30000, 1001}}, {29.97, {30000, 1001}},    {30000.0 / 1001.0, {30000, 1001}},
        {23.976, {24000, 1001}},      {23.98, {24000, 1001}},    {47.952, {48000, 1001}},
        {59.94, {60000, 1001}},       {119.88, {120000, 1001}},  {25.0, {25, 1}},
        {30.0, {30, 1}},              {24.0, {24, 1}},           {60.0, {60, 1}},
        {12.5, {25, 2}},              {0.25, {1, 4}},            {1000.0, {1000, 1}},
        // Rates that cannot count frames.
        {0.0, {0, 1}},                {-25.0, {0, 1}},           {kNaN, {0, 1}},
        {kInf, {0, 1}},               {1000.5, {0, 1}},          {1e-9, {0, 1}},
        // Near an NTSC rate but not one of its spellings: taken as written.
        {23.96, {599, 25}},           {29.96, {749, 25}},        {59.93, {5993, 100}},
        {23.99, {2399, 100}},         {119.87, {11987, 100}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(exactFrameRate(c.fps), c.expected) << c.fps;
    }
    EXPECT_EQ(nominalFrameRate({24000, 1001}), 24);
    EXPECT_EQ(nominalFrameRate({60000, 1001}), 60);
    EXPECT_EQ(nominalFrameRate({25, 2}), 13);
    EXPECT_EQ(nominalFrameRate({1, 4}), 1);
    EXPECT_TRUE(hasDropFrameCount({30000, 1001}));
    EXPECT_TRUE(hasDropFrameCount({60000, 1001}));
    EXPECT_FALSE(hasDropFrameCount({30, 1}));
    EXPECT_FALSE(hasDropFrameCount({24000, 1001}));
}

std::string text(const Timecode& t, char separator = ':') {
    char line[64];
    std::snprintf(line, sizeof line, "%02lld:%02d:%02d%c%02d", static_cast<long long>(t.hours), t.minutes,
                  t.seconds, separator, t.frames);
    return line;
}

TEST(TimecodeCount, DropFrameAt2997AroundEveryKindOfMinute) {
    const struct {
        int64_t frame;
        const char* expected;
    } cases[] = {
        {0, "00:00:00;00"},        {29, "00:00:00;29"},        {30, "00:00:01;00"},
        {1799, "00:00:59;29"},     {1800, "00:01:00;02"},      {1801, "00:01:00;03"},
        {3597, "00:01:59;29"},     {3598, "00:02:00;02"},      {16183, "00:08:59;29"},
        {16184, "00:09:00;02"},    {17981, "00:09:59;29"},     {17982, "00:10:00;00"},
        {17983, "00:10:00;01"},    {19781, "00:10:59;29"},     {19782, "00:11:00;02"},     {107891, "00:59:59;29"},
        {107892, "01:00:00;00"},   {2589407, "23:59:59;29"},   {2589408, "24:00:00;00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text(timecodeFromFrames(c.frame, 30, true), ';'), c.expected) << c.frame;
    }
}

TEST(TimecodeCount, DropFrameAt5994DropsFourLabels) {
    const struct {
        int64_t frame;
        const char* expected;
    } cases[] = {
        {3599, "00:00:59;59"},     {3600, "00:01:00;04"},      {35963, "00:09:59;59"},
        {35964, "00:10:00;00"},    {215784, "01:00:00;00"},    {5178815, "23:59:59;59"},
        {5178816, "24:00:00;00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text(timecodeFromFrames(c.frame, 60, true), ';'), c.expected) << c.frame;
    }
}

TEST(TimecodeCount, NonDropCountsEveryLabelAndDropOnlyAppliesAt30And60) {
    EXPECT_EQ(text(timecodeFromFrames(1800, 30, false)), "00:01:00:00");
    EXPECT_EQ(text(timecodeFromFrames(90000, 25, false)), "01:00:00:00");
    EXPECT_EQ(text(timecodeFromFrames(1440, 24, true)), "00:01:00:00");
    // Hours go on past 24; nonsense inputs stay in range.
    EXPECT_EQ(text(timecodeFromFrames(int64_t{360000} * 25, 25, false)), "100:00:00:00");
    EXPECT_EQ(text(timecodeFromFrames(-5, 25, false)), "00:00:00:00");
    EXPECT_EQ(text(timecodeFromFrames(7, 0, false)), "00:00:07:00");
    EXPECT_GT(timecodeFromFrames(std::numeric_limits<int64_t>::max(), 30, true).hours, 0);
}

TEST(TimecodeCount, ElapsedFramesRoundDownForgivingOnlyTheErrorOfAnExactFrame) {
    // Frame n of a 29.97 timeline lies n x 1001/30000 s in: exactly frame n,
    // though the product comes back a few ulps either side of n.
    for (int frame : {1, 3, 29, 30, 1799, 1800, 17982, 107892, 2589407}) {
        SCOPED_TRACE(frame);
        EXPECT_EQ(wholeFramesElapsed(frame * 1001.0 / 30000.0, {30000, 1001}), frame);
        EXPECT_EQ(wholeFramesElapsed(frame / (30000.0 / 1001.0), {30000, 1001}), frame);
    }
    // Half a frame and more is still the frame before: never rounded half up.
    EXPECT_EQ(wholeFramesElapsed(1.5, {1, 1}), 1);
    EXPECT_EQ(wholeFramesElapsed(0.999, {1, 1}), 0);
    EXPECT_EQ(wholeFramesElapsed(0.0399, {25, 1}), 0);
    EXPECT_EQ(wholeFramesElapsed(-0.5, {1, 1}), -1);
    EXPECT_EQ(wholeFramesElapsed(1.0, {0, 1}), 0);
    EXPECT_EQ(wholeFramesElapsed(kNaN, {25, 1}), 0);
    EXPECT_EQ(wholeFramesElapsed(kInf, {25, 1}), 0);
    EXPECT_EQ(wholeFramesElapsed(1e300, {1000, 1}), int64_t{1'000'000'000'000'000});
    // Times whose frame count overflows a double saturate too, either way.
    EXPECT_EQ(wholeFramesElapsed(1.7e308, {120000, 1001}), int64_t{1'000'000'000'000'000});
    EXPECT_EQ(wholeFramesElapsed(-1.7e308, {120000, 1001}), -int64_t{1'000'000'000'000'000});
    EXPECT_EQ(wholeFramesElapsed(-1e300, {1000, 1}), -int64_t{1'000'000'000'000'000});
}

TEST(TimecodeCount, LabelsCountBackToTheirFrames) {
    // Every label of a day (in steps) comes back as the frame it was made of.
    for (const auto& [fps, drop] : {std::pair{30, true}, std::pair{60, true}, std::pair{30, false},
                                    std::pair{24, false}, std::pair{25, false}}) {
        SCOPED_TRACE(fps);
        const int64_t day = labelsPerDay(fps, drop);
        for (int64_t frame = 0; frame < day; frame += 997) {
            const Timecode code = timecodeFromFrames(frame, fps, drop);
            ASSERT_EQ(framesOfLabel(code.hours, code.minutes, code.seconds, code.frames, fps, drop), frame);
        }
        const Timecode last = timecodeFromFrames(day - 1, fps, drop);
        EXPECT_EQ(last, (Timecode{23, 59, 59, fps - 1}));
    }
    EXPECT_EQ(labelsPerDay(30, true), 2589408);
    EXPECT_EQ(labelsPerDay(30, false), 2592000);
    // A label the drop-frame count skips stands for the next one it keeps.
    EXPECT_EQ(framesOfLabel(0, 1, 0, 0, 30, true), 1800);
    EXPECT_EQ(framesOfLabel(0, 1, 0, 1, 30, true), 1800);
    EXPECT_EQ(framesOfLabel(0, 10, 0, 0, 30, true), 17982);
    EXPECT_EQ(framesOfLabel(10, 0, 0, 0, 30, true), 1078920);
    // Milliseconds read as a label: the fraction is the frames of the second.
    EXPECT_EQ(labelOfMilliseconds(36'000'000, 30, true), 1078920);
    EXPECT_EQ(labelOfMilliseconds(2'500, 30, false), 75);
    EXPECT_EQ(labelOfMilliseconds(-2'500, 30, false), -75);
    EXPECT_EQ(labelOfMilliseconds(std::numeric_limits<int64_t>::min(), 1000, false),
              -int64_t{1'000'000'000'000'000});
}

ClockValues timecodeClock(int format) {
    ClockValues values;
    values.digitalFormat = static_cast<int16_t>(format);
    return values;
}

std::wstring lineAt(double frame, double fps, const ClockValues& values) {
    return buildTimeText(values.digitalFormat, computeShownTime(frame, fps, values), "");
}

TEST(TimecodeText, ReferenceFramesAtTheRatesAsHostsWriteThem) {
    const ClockValues drop = timecodeClock(kDropFrameTimecodeIndex);
    for (double fps : {30000.0 / 1001.0, 29.97002997, 29.97}) {
        SCOPED_TRACE(fps);
        EXPECT_EQ(lineAt(1799, fps, drop), L"00:00:59;29");
        EXPECT_EQ(lineAt(1800, fps, drop), L"00:01:00;02");
        EXPECT_EQ(lineAt(17981, fps, drop), L"00:09:59;29");
        EXPECT_EQ(lineAt(17982, fps, drop), L"00:10:00;00");
        EXPECT_EQ(lineAt(107891, fps, drop), L"00:59:59;29");
        EXPECT_EQ(lineAt(107892, fps, drop), L"01:00:00;00");
        EXPECT_EQ(lineAt(2589407, fps, drop), L"23:59:59;29");
        // A time of day wraps its timecode into the next day.
        EXPECT_EQ(lineAt(2589408, fps, drop), L"00:00:00;00");
    }
    for (double fps : {60000.0 / 1001.0, 59.94}) {
        SCOPED_TRACE(fps);
        EXPECT_EQ(lineAt(3599, fps, drop), L"00:00:59;59");
        EXPECT_EQ(lineAt(3600, fps, drop), L"00:01:00;04");
        EXPECT_EQ(lineAt(5178815, fps, drop), L"23:59:59;59");
        EXPECT_EQ(lineAt(5178816, fps, drop), L"00:00:00;00");
    }
    const ClockValues plain = timecodeClock(kTimecodeIndex);
    EXPECT_EQ(lineAt(1800, 29.97, plain), L"00:01:00:00");
    EXPECT_EQ(lineAt(86399, 23.976, plain), L"00:59:59:23");
    EXPECT_EQ(lineAt(86400, 23.976, plain), L"01:00:00:00");
    EXPECT_EQ(lineAt(57, 25.0, plain), L"00:00:02:07");
}

TEST(TimecodeText, DropFrameFallsBackToTheFullCountAtOtherRates) {
    const ClockValues drop = timecodeClock(kDropFrameTimecodeIndex);
    EXPECT_EQ(lineAt(1800, 30.0, drop), L"00:01:00:00");
    EXPECT_EQ(lineAt(57, 25.0, drop), L"00:00:02:07");
    EXPECT_EQ(lineAt(1440, 23.976, drop), L"00:01:00:00");
}

TEST(TimecodeText, FollowsTheShownTimeNotTheTimelineFrame) {
    ClockValues values = timecodeClock(kTimecodeIndex);
    values.startHour = 10;
    values.speedFactor = 2.0;
    EXPECT_EQ(lineAt(0, 25.0, values), L"10:00:00:00");
    EXPECT_EQ(lineAt(13, 25.0, values), L"10:00:01:01");
    values.clockMode = kStopwatchMode;
    values.startHour = 99;
    values.speedFactor = 3600.0;
    EXPECT_EQ(lineAt(25, 25.0, values), L"100:00:00:00");
    values.clockMode = kCountdownMode;
    values.speedFactor = 1.0;
    values.countdownMinutes = 0;
    values.countdownSeconds = 1;
    values.showOvertime = 1;
    EXPECT_EQ(lineAt(24, 25.0, values), L"00:00:00:01");
    EXPECT_EQ(lineAt(26, 25.0, values), L"-00:00:00:01");
}

TEST(TimecodeText, TheStartIsTheFirstFramesLabelAtEveryRate) {
    for (const int format : {kTimecodeIndex, kDropFrameTimecodeIndex}) {
        ClockValues values = timecodeClock(format);
        values.startHour = 10;
        for (double fps : {23.976, 24.0, 25.0, 29.97, 30000.0 / 1001.0, 30.0, 50.0, 59.94, 60.0, 119.88}) {
            SCOPED_TRACE(fps);
            const bool dropRate = std::abs(fps - 29.97) < 0.01 || std::abs(fps - 59.94) < 0.01;
            const wchar_t sep = format == kDropFrameTimecodeIndex && dropRate ? L';' : L':';
            EXPECT_EQ(lineAt(0, fps, values), std::wstring(L"10:00:00") + sep + L"00");
            EXPECT_EQ(lineAt(1, fps, values), std::wstring(L"10:00:00") + sep + L"01");
        }
    }
    ClockValues drop = timecodeClock(kDropFrameTimecodeIndex);
    drop.startHour = 10;
    EXPECT_EQ(lineAt(1799, 29.97, drop), L"10:00:59;29");
    EXPECT_EQ(lineAt(1800, 29.97, drop), L"10:01:00;02");
    // A start second with a fraction starts on that frame of the second.
    ClockValues plain = timecodeClock(kTimecodeIndex);
    plain.startSecond = 2.5;
    EXPECT_EQ(lineAt(0, 30.0, plain), L"00:00:02:15");
}

TEST(TimecodeText, TheLabelIsTheWholeFramesElapsedRoundedDown) {
    ClockValues values = timecodeClock(kTimecodeIndex);
    values.speedFactor = 0.5;
    values.startHour = 2;
    values.startSecond = 59.0;
    // 1.5 s after 02:00:59 at 1 fps: one whole frame, as format 3 shows 02:01:00.
    EXPECT_EQ(lineAt(3, 1.0, values), L"02:01:00:00");
    EXPECT_EQ(lineAt(4, 1.0, values), L"02:01:01:00");
    values.startHour = 0;
    values.startSecond = 0.0;
    values.speedFactor = 1.0 / 3.0;
    // A third of a frame per frame: 2 frames after six timeline frames, not
    // before.
    EXPECT_EQ(lineAt(5, 25.0, values), L"00:00:00:01");
    EXPECT_EQ(lineAt(6, 25.0, values), L"00:00:00:02");
}

TEST(TimecodeText, ATimeOfDayWrapsOnceAtMidnightAtThe1001Rates) {
    for (const int format : {kTimecodeIndex, kDropFrameTimecodeIndex}) {
        ClockValues values = timecodeClock(format);
        values.startHour = 23;
        values.startMinute = 59;
        values.startSecond = 59.0;
        const wchar_t sep = format == kDropFrameTimecodeIndex ? L';' : L':';
        for (double fps : {29.97, 59.94}) {
            SCOPED_TRACE(fps);
            const int nominal = fps < 30.0 ? 30 : 60;
            EXPECT_EQ(lineAt(nominal - 1, fps, values), std::wstring(L"23:59:59") + sep + std::to_wstring(nominal - 1));
            EXPECT_EQ(lineAt(nominal, fps, values), std::wstring(L"00:00:00") + sep + L"00");
            EXPECT_EQ(lineAt(nominal + 2, fps, values), std::wstring(L"00:00:00") + sep + L"02");
            EXPECT_EQ(lineAt(nominal + 4, fps, values), std::wstring(L"00:00:00") + sep + L"04");
        }
        // Every label once, one per frame, across the midnight.
        std::wstring before = lineAt(0, 29.97, values);
        for (int frame = 1; frame < 120; ++frame) {
            const std::wstring line = lineAt(frame, 29.97, values);
            ASSERT_NE(line, before) << frame;
            before = line;
        }
    }
}

TEST(TimecodeText, ACountdownShowsItsZeroFrameAndNoNegativeZero) {
    ClockValues values = timecodeClock(kDropFrameTimecodeIndex);
    values.clockMode = kCountdownMode;
    values.countdownMinutes = 0;
    values.countdownSeconds = 1;
    values.showOvertime = 1;
    EXPECT_EQ(lineAt(0, 29.97, values), L"00:00:01;00");
    EXPECT_EQ(lineAt(29, 29.97, values), L"00:00:00;01");
    EXPECT_EQ(lineAt(30, 29.97, values), L"00:00:00;00");
    EXPECT_FALSE(computeShownTime(30, 29.97, values).overtime);
    EXPECT_EQ(lineAt(31, 29.97, values), L"-00:00:00;01");
    EXPECT_TRUE(computeShownTime(31, 29.97, values).overtime);
    values.showOvertime = 0;
    EXPECT_EQ(lineAt(31, 29.97, values), L"00:00:00;00");
    // A stopwatch counts its labels on from its start.
    values.clockMode = kStopwatchMode;
    values.startHour = 1;
    EXPECT_EQ(lineAt(0, 29.97, values), L"01:00:00;00");
    EXPECT_EQ(lineAt(31, 29.97, values), L"01:00:01;01");
}

TEST(TimecodeText, AnyShownTimeGivesAShortLine) {
    const double rates[] = {kNaN, kInf, -kInf, 0.0, -0.0, -29.97, 1e-300, 1e300, 29.97, 1000.0};
    const int32_t fields[] = {std::numeric_limits<int32_t>::min(), -1, 0, 59, std::numeric_limits<int32_t>::max()};
    for (double fps : rates) {
        for (int32_t field : fields) {
            ShownTime shown;
            shown.hours = shown.minutes = shown.seconds = shown.milliseconds = field;
            shown.frameRate = fps;
            shown.timecodeFrames = int64_t{field} * field;
            for (bool span : {false, true}) {
                shown.isSpan = span;
                for (bool drop : {false, true}) {
                    const std::wstring line = timecodeText(shown, drop);
                    EXPECT_GE(line.size(), 11u);
                    EXPECT_LE(line.size(), 30u);
                }
            }
        }
    }
    // Without a usable rate the shown time's own seconds stand, frame 00.
    ShownTime shown;
    shown.hours = 1;
    shown.minutes = 2;
    shown.seconds = 3;
    shown.frameRate = kNaN;
    EXPECT_EQ(timecodeText(shown, true), L"01:02:03:00");
}

}  // namespace
}  // namespace horavex
