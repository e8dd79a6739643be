#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "core/clocktime/ComputeShownTime.h"
#include "core/clocktime/FrameRate.h"
#include "core/clocktime/TimeText.h"

namespace horavex {
namespace {

constexpr double kFps = 25.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

ClockValues startingAt(int hour, int minute, double second) {
    ClockValues values;
    values.startHour = static_cast<int16_t>(hour);
    values.startMinute = static_cast<int16_t>(minute);
    values.startSecond = second;
    return values;
}

void stopAt(ClockValues& values, int hour, int minute, double second) {
    values.stopHour = static_cast<int16_t>(hour);
    values.stopMinute = static_cast<int16_t>(minute);
    values.stopSecond = second;
}

struct Hms {
    int32_t hours, minutes, seconds, milliseconds;
    bool operator==(const Hms&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Hms& t) {
    return out << t.hours << ':' << t.minutes << ':' << t.seconds << '.' << t.milliseconds;
}

Hms hms(const ShownTime& shown) { return {shown.hours, shown.minutes, shown.seconds, shown.milliseconds}; }

Hms shownAt(double frame, const ClockValues& values, double fps = kFps) {
    return hms(computeShownTime(frame, fps, values));
}

TEST(ShownTimeForward, RunsAtTheSpeedFactor) {
    ClockValues values = startingAt(10, 0, 0.0);
    EXPECT_EQ(shownAt(0, values), (Hms{10, 0, 0, 0}));
    EXPECT_EQ(shownAt(25, values), (Hms{10, 0, 1, 0}));
    EXPECT_EQ(shownAt(90000, values), (Hms{11, 0, 0, 0}));
    EXPECT_EQ(shownAt(1, values), (Hms{10, 0, 0, 40}));

    values.speedFactor = 60.0;
    EXPECT_EQ(shownAt(25, values), (Hms{10, 1, 0, 0}));
}

// Only the timecode formats take 29.97 as 30000/1001; every other format runs
// at the rate exactly as the host gives it, as projects have always shown it.
TEST(ShownTimeForward, OnlyTimecodeTakesTheExactNtscRate) {
    ClockValues values = startingAt(0, 0, 0.0);
    for (int format = 0; format < 14; ++format) {
        values.digitalFormat = static_cast<int16_t>(format);
        EXPECT_EQ(shownAt(29970, values, 29.97), (Hms{0, 16, 40, 0})) << format;
    }
    values.digitalFormat = 14;
    // 29970 x 1001 / 30000 s is a millisecond short of 1000 s.
    EXPECT_EQ(shownAt(29970, values, 29.97), (Hms{0, 16, 39, 999}));
}

TEST(ShownTimeForward, NegativeSpeedFactorSlowsDownWithoutReversing) {
    ClockValues values = startingAt(10, 0, 0.0);
    values.speedFactor = -2.0;
    EXPECT_EQ(shownAt(50, values), (Hms{10, 0, 1, 0}));
    EXPECT_EQ(shownAt(100, values), (Hms{10, 0, 2, 0}));
}

TEST(ShownTimeForward, ZeroSpeedHoldsTheStartTime) {
    ClockValues values = startingAt(7, 30, 15.5);
    values.speedFactor = 0.0;
    EXPECT_EQ(shownAt(1000, values), (Hms{7, 30, 15, 500}));
}

TEST(ShownTimeForward, WrapsPastMidnightAndKeepsTheStartDate) {
    ClockValues values = startingAt(23, 59, 59.0);
    values.startDay = 31;
    values.startMonth = 12;
    values.startYear = 2018;
    const ShownTime shown = computeShownTime(50, kFps, values);
    EXPECT_EQ(hms(shown), (Hms{0, 0, 1, 0}));
    EXPECT_EQ(shown.day, 31);
    EXPECT_EQ(shown.month, 12);
    EXPECT_EQ(shown.year, 2018);
}

TEST(ShownTimeForward, ImpossibleStartDatePassesThroughUnchanged) {
    ClockValues values;
    values.startDay = 31;
    values.startMonth = 2;
    values.startYear = -5;
    const ShownTime shown = computeShownTime(0, kFps, values);
    EXPECT_EQ(shown.day, 31);
    EXPECT_EQ(shown.month, 2);
    EXPECT_EQ(shown.year, -5);
}

TEST(ShownTimeForward, HaltsAtTheStopTime) {
    ClockValues values = startingAt(10, 0, 0.0);
    stopAt(values, 10, 0, 5.0);
    EXPECT_EQ(shownAt(124, values), (Hms{10, 0, 4, 960}));
    EXPECT_EQ(shownAt(125, values), (Hms{10, 0, 5, 0}));
    EXPECT_EQ(shownAt(5000, values), (Hms{10, 0, 5, 0}));
}

TEST(ShownTimeForward, StopBeforeStartShowsTheStopOnEveryFrame) {
    ClockValues values = startingAt(10, 0, 0.0);
    stopAt(values, 9, 0, 0.0);
    EXPECT_EQ(shownAt(0, values), (Hms{9, 0, 0, 0}));
    EXPECT_EQ(shownAt(777, values), (Hms{9, 0, 0, 0}));
}

TEST(ShownTimeForward, MidnightStopNeverStops) {
    ClockValues values = startingAt(23, 59, 59.0);
    stopAt(values, 0, 0, 0.0);
    EXPECT_EQ(shownAt(75, values), (Hms{0, 0, 2, 0}));
}

TEST(ShownTimeBackward, HaltsAtMidnight) {
    ClockValues values = startingAt(0, 0, 10.0);
    values.runBackwards = 1;
    EXPECT_EQ(shownAt(25, values), (Hms{0, 0, 9, 0}));
    EXPECT_EQ(shownAt(250, values), (Hms{0, 0, 0, 0}));
    EXPECT_EQ(shownAt(100000, values), (Hms{0, 0, 0, 0}));
}

TEST(ShownTimeBackward, StopLaterThanStartShowsTheStop) {
    ClockValues values = startingAt(10, 0, 0.0);
    stopAt(values, 11, 0, 0.0);
    values.runBackwards = 1;
    EXPECT_EQ(shownAt(0, values), (Hms{11, 0, 0, 0}));
    EXPECT_EQ(shownAt(500, values), (Hms{11, 0, 0, 0}));
}

TEST(ShownTimeBackward, CountsDownTowardAnEarlierStop) {
    ClockValues values = startingAt(10, 0, 0.0);
    stopAt(values, 9, 59, 58.0);
    values.runBackwards = 1;
    EXPECT_EQ(shownAt(25, values), (Hms{9, 59, 59, 0}));
    EXPECT_EQ(shownAt(75, values), (Hms{9, 59, 58, 0}));
}

TEST(ShownTimeFrames, FrameNumberTruncatesTowardZero) {
    const ClockValues values;
    EXPECT_EQ(computeShownTime(12.7, kFps, values).frameNumber, 12);
    EXPECT_EQ(computeShownTime(-12.7, kFps, values).frameNumber, -12);
    EXPECT_EQ(computeShownTime(12.7, kFps, values).frameRate, kFps);
}

TEST(ShownTimeFrames, StartSecondFractionIsTruncatedNotRounded) {
    EXPECT_EQ(shownAt(0, startingAt(0, 0, 2.3)), (Hms{0, 0, 2, 299}));
    EXPECT_EQ(shownAt(0, startingAt(0, 0, 2.5)), (Hms{0, 0, 2, 500}));
}

// Past 2^31 milliseconds of clock time a 32-bit sum would overflow; the clock
// must keep counting the time of day.
TEST(ShownTimeLongRuns, LargeElapsedTimesKeepCounting) {
    ClockValues values = startingAt(0, 0, 0.0);
    values.speedFactor = 9999.0;
    // 5,400 frames at 25 fps and speed 9999: 2,159,784 s = 24 d 23:56:24.
    EXPECT_EQ(shownAt(5400, values), (Hms{23, 56, 24, 0}));
    // One more frame adds 399.96 s.
    EXPECT_EQ(shownAt(5401, values), (Hms{0, 3, 3, 960}));

    values.speedFactor = 1.0;
    // Thirty days of frames at 25 fps, shifted by ten seconds.
    EXPECT_EQ(shownAt(30.0 * 86400 * 25 + 250, values), (Hms{0, 0, 10, 0}));
}

TEST(ShownTimeLongRuns, ExtremeRenderTimesStayInTheDay) {
    const ClockValues values = startingAt(12, 0, 0.0);
    for (const double frame : {1e300, -1e300, kInf, -kInf, kNaN, 2147483648.0, -2147483649.0}) {
        const ShownTime shown = computeShownTime(frame, kFps, values);
        EXPECT_GE(shown.hours, 0) << frame;
        EXPECT_LT(shown.hours, 24) << frame;
        EXPECT_GE(shown.milliseconds, 0) << frame;
    }
    EXPECT_EQ(computeShownTime(kNaN, kFps, values).frameNumber, 0);
    EXPECT_EQ(computeShownTime(1e300, kFps, values).frameNumber, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(computeShownTime(-1e300, kFps, values).frameNumber, std::numeric_limits<int32_t>::min());
}

TEST(ShownTimeNegative, NegativeTimeWrapsIntoThePreviousDay) {
    const ClockValues values = startingAt(0, 0, 0.0);
    EXPECT_EQ(shownAt(-25, values), (Hms{23, 59, 59, 0}));
    EXPECT_EQ(shownAt(-1, values), (Hms{23, 59, 59, 960}));
    EXPECT_EQ(shownAt(-2.0 * 86400 * 25 - 25, values), (Hms{23, 59, 59, 0}));
}

TEST(ShownTimeNegative, NegativeStartFieldsWrapIntoTheDay) {
    ClockValues values = startingAt(-1, 0, 0.0);
    EXPECT_EQ(shownAt(0, values), (Hms{23, 0, 0, 0}));
    values = startingAt(0, 0, -0.5);
    EXPECT_EQ(shownAt(0, values), (Hms{23, 59, 59, 500}));
}

TEST(ShownTimeUnusableInputs, FrameRateThatCannotDivideStopsTheClock) {
    ClockValues values = startingAt(10, 0, 0.0);
    for (const double fps : {0.0, -0.0, -25.0, kNaN, kInf, -kInf}) {
        EXPECT_EQ(shownAt(100, values, fps), (Hms{10, 0, 0, 0})) << fps;
    }
    const ShownTime shown = computeShownTime(100, 0.0, values);
    EXPECT_EQ(shown.frameNumber, 100);
}

TEST(ShownTimeUnusableInputs, NonFiniteSpeedStopsTheClock) {
    ClockValues values = startingAt(10, 0, 0.0);
    for (const double speed : {kNaN, kInf, -kInf}) {
        values.speedFactor = speed;
        EXPECT_EQ(shownAt(100, values), (Hms{10, 0, 0, 0})) << speed;
    }
}

TEST(ShownTimeUnusableInputs, NonFiniteSecondsCountAsZero) {
    ClockValues values = startingAt(10, 20, kNaN);
    EXPECT_EQ(shownAt(0, values), (Hms{10, 20, 0, 0}));
    values.startSecond = kInf;
    EXPECT_EQ(shownAt(0, values), (Hms{10, 20, 0, 0}));
    values.startSecond = 5.0;
    stopAt(values, 10, 20, -kInf);
    // The stop is 10:20:00.000, already passed.
    EXPECT_EQ(shownAt(0, values), (Hms{10, 20, 0, 0}));
}

TEST(ShownTimeParts, ClockMillisecondsCombinesTheFields) {
    EXPECT_EQ(clockMilliseconds(10, 0, 0.0), 36'000'000);
    EXPECT_EQ(clockMilliseconds(23, 59, 59.999), 86'399'999);
    EXPECT_EQ(clockMilliseconds(-1, 0, 0.0), -3'600'000);
    EXPECT_EQ(clockMilliseconds(0, 0, 1e300), 1'000'000'000'000'000LL);
}

TEST(ShownTimeParts, SplitWrapsByFloorModulo) {
    ShownTime shown;
    splitTimeOfDay(-1, shown);
    EXPECT_EQ(hms(shown), (Hms{23, 59, 59, 999}));
    splitTimeOfDay(kMillisecondsPerDay, shown);
    EXPECT_EQ(hms(shown), (Hms{0, 0, 0, 0}));
    splitTimeOfDay(std::numeric_limits<int64_t>::min(), shown);
    EXPECT_GE(shown.hours, 0);
    EXPECT_LT(shown.hours, 24);
}

ClockValues inMode(ClockMode mode, int hour = 0, int minute = 0, double second = 0.0) {
    ClockValues values = startingAt(hour, minute, second);
    values.clockMode = static_cast<int16_t>(mode);
    return values;
}

ClockValues countdownOf(int hours, int minutes, int seconds, int milliseconds) {
    ClockValues values = inMode(kCountdownMode);
    values.countdownHours = hours;
    values.countdownMinutes = minutes;
    values.countdownSeconds = seconds;
    values.countdownMilliseconds = milliseconds;
    return values;
}

TEST(ShownTimeStopwatch, CountsFromTheStartOffsetPastADayAndPast99Hours) {
    ClockValues values = inMode(kStopwatchMode, 1, 30, 0.0);
    EXPECT_EQ(shownAt(0, values), (Hms{1, 30, 0, 0}));
    EXPECT_EQ(shownAt(25, values), (Hms{1, 30, 1, 0}));
    values.speedFactor = 3600.0;
    // 100 clock hours after the start: 101:30, not wrapped to 05:30.
    EXPECT_EQ(shownAt(2500, values), (Hms{101, 30, 0, 0}));
    const ShownTime shown = computeShownTime(2500, kFps, values);
    EXPECT_TRUE(shown.isSpan);
    EXPECT_FALSE(shown.negative);
    // The same clock as a time of day wraps.
    values.clockMode = kTimeOfDayMode;
    EXPECT_EQ(shownAt(2500, values), (Hms{5, 30, 0, 0}));
    EXPECT_FALSE(computeShownTime(2500, kFps, values).isSpan);
}

TEST(ShownTimeStopwatch, StopsAtTheStopTimeAndShowsTimesBeforeItsStartAsNegative) {
    ClockValues values = inMode(kStopwatchMode);
    stopAt(values, 0, 0, 5.0);
    EXPECT_EQ(shownAt(250, values), (Hms{0, 0, 5, 0}));
    values = inMode(kStopwatchMode);
    const ShownTime before = computeShownTime(-25, kFps, values);
    EXPECT_EQ(hms(before), (Hms{0, 0, 1, 0}));
    EXPECT_TRUE(before.negative);
    EXPECT_FALSE(before.overtime);
}

TEST(ShownTimeCountdown, CountsDownAtTheSpeedFactorAndHoldsAtZero) {
    ClockValues values = countdownOf(0, 1, 0, 0);
    const struct {
        double frame;
        Hms expected;
    } cases[] = {
        {0, {0, 1, 0, 0}},  {1, {0, 0, 59, 960}}, {25, {0, 0, 59, 0}},
        {1500, {0, 0, 0, 0}}, {1501, {0, 0, 0, 0}}, {90000, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shownAt(c.frame, values), c.expected) << c.frame;
        EXPECT_FALSE(computeShownTime(c.frame, kFps, values).negative) << c.frame;
    }
    values.speedFactor = 2.0;
    EXPECT_EQ(shownAt(25, values), (Hms{0, 0, 58, 0}));
    // The start time of day is no offset for a countdown: only the time elapsed since it counts.
    values = countdownOf(0, 1, 0, 0);
    values.startHour = 10;
    EXPECT_EQ(shownAt(25, values), (Hms{0, 0, 59, 0}));
}

TEST(ShownTimeCountdown, OvertimeCountsOnBelowZero) {
    ClockValues values = countdownOf(0, 0, 2, 0);
    values.showOvertime = 1;
    const struct {
        double frame;
        Hms expected;
        bool overtime;
    } cases[] = {
        {49, {0, 0, 0, 40}, false}, {50, {0, 0, 0, 0}, false}, {51, {0, 0, 0, 40}, true},
        {75, {0, 0, 1, 0}, true},   {90050, {1, 0, 0, 0}, true},
    };
    for (const auto& c : cases) {
        const ShownTime shown = computeShownTime(c.frame, kFps, values);
        EXPECT_EQ(hms(shown), c.expected) << c.frame;
        EXPECT_EQ(shown.overtime, c.overtime) << c.frame;
        EXPECT_EQ(shown.negative, c.overtime) << c.frame;
        EXPECT_TRUE(shown.isSpan);
    }
}

TEST(ShownTimeCountdown, TheStopTimeHaltsItAndDurationsAddUpTheirParts) {
    ClockValues values = countdownOf(0, 0, 10, 0);
    values.startHour = 10;
    stopAt(values, 10, 0, 3.0);
    EXPECT_EQ(shownAt(250, values), (Hms{0, 0, 7, 0}));
    EXPECT_EQ(countdownMilliseconds(1, 2, 3, 4), 3'723'004);
    EXPECT_EQ(countdownMilliseconds(0, 90, 0, 0), 5'400'000);
    EXPECT_EQ(countdownMilliseconds(-1, 0, 0, 0), 0);
    const int32_t most = std::numeric_limits<int32_t>::max();
    EXPECT_GT(countdownMilliseconds(most, most, most, most), 0);
    values = countdownOf(most, most, most, most);
    values.showOvertime = 1;
    const ShownTime shown = computeShownTime(-1e300, kFps, values);
    EXPECT_GE(shown.hours, 0);
    EXPECT_FALSE(shown.negative);
}

int64_t spanMilliseconds(const ShownTime& shown) {
    const int64_t magnitude =
        ((int64_t{shown.hours} * 60 + shown.minutes) * 60 + shown.seconds) * 1000 + shown.milliseconds;
    return shown.negative ? -magnitude : magnitude;
}

TEST(ShownTimeCountdown, NeverShowsMoreThanItsDurationWhateverItsStartAndStop) {
    // A stop before the start halts the clock from the first frame: the
    // countdown holds at its full duration.
    ClockValues values = countdownOf(0, 5, 0, 0);
    values.startHour = 23;
    stopAt(values, 1, 0, 0.0);
    EXPECT_EQ(shownAt(0, values), (Hms{0, 5, 0, 0}));
    EXPECT_EQ(shownAt(250, values), (Hms{0, 5, 0, 0}));
    values = countdownOf(0, 5, 0, 0);
    values.startHour = 1;
    stopAt(values, 0, 0, 2.0);
    EXPECT_EQ(shownAt(0, values), (Hms{0, 5, 0, 0}));
    EXPECT_EQ(shownAt(100, values), (Hms{0, 5, 0, 0}));

    constexpr int64_t kDuration = 300'000;
    for (int direction : {0, 1}) {
        for (int startHour : {0, 1, 12, 23}) {
            for (int stopHour : {0, 1, 12, 23}) {
                for (double stopSecond : {0.0, 2.0}) {
                    for (double frame : {0.0, 1.0, 50.0, 7500.0, 90000.0, -50.0}) {
                        values = countdownOf(0, 5, 0, 0);
                        values.runBackwards = static_cast<int16_t>(direction);
                        values.startHour = static_cast<int16_t>(startHour);
                        values.showOvertime = 1;
                        stopAt(values, stopHour, 0, stopSecond);
                        const ShownTime shown = computeShownTime(frame, kFps, values);
                        EXPECT_LE(spanMilliseconds(shown), kDuration)
                            << direction << " " << startHour << " " << stopHour << " " << stopSecond << " " << frame;
                    }
                }
            }
        }
    }
}

TEST(ShownTimeCountdown, RunningBackwardsHoldsAtItsDurationWhateverTheStartAndStop) {
    for (int startHour : {0, 1, 10, 23}) {
        for (int startMinute : {0, 30}) {
            for (int stopHour : {0, 5, 23}) {
                for (double frame : {0.0, 1.0, 50.0, 7500.0, 90000.0}) {
                    ClockValues values = countdownOf(0, 5, 0, 0);
                    values.runBackwards = 1;
                    values.showOvertime = 1;
                    values.startHour = static_cast<int16_t>(startHour);
                    values.startMinute = static_cast<int16_t>(startMinute);
                    stopAt(values, stopHour, 0, 0.0);
                    const ShownTime shown = computeShownTime(frame, kFps, values);
                    EXPECT_EQ(hms(shown), (Hms{0, 5, 0, 0}))
                        << startHour << ":" << startMinute << " stop " << stopHour << " frame " << frame;
                    EXPECT_FALSE(shown.negative);
                    EXPECT_FALSE(shown.overtime);
                }
            }
        }
    }
}

TEST(ShownTimeModes, AnUnknownModeShowsTheTimeOfDay) {
    for (int16_t mode : {int16_t{-1}, int16_t{3}, int16_t{32767}}) {
        ClockValues values = startingAt(23, 59, 59.0);
        values.clockMode = mode;
        EXPECT_EQ(shownAt(50, values), (Hms{0, 0, 1, 0})) << mode;
    }
}

TEST(ShownTimeModes, ExtremeInputsGiveSpansInRange) {
    for (ClockMode mode : {kStopwatchMode, kCountdownMode}) {
        for (double frame : {kNaN, kInf, -kInf, 1e300, -1e300}) {
            for (double speed : {kNaN, 1e300, 1.0}) {
                ClockValues values = inMode(mode, 32767, -32768, 1e300);
                values.speedFactor = speed;
                values.showOvertime = 1;
                const ShownTime shown = computeShownTime(frame, kFps, values);
                EXPECT_GE(shown.hours, 0);
                EXPECT_GE(shown.minutes, 0);
                EXPECT_LT(shown.minutes, 60);
                EXPECT_GE(shown.milliseconds, 0);
            }
        }
    }
}

// The timecode formats count a countdown in frame labels of their own; the
// same rules hold there: never more than the duration, held at it backwards.
TEST(ShownTimeCountdown, TimecodeLabelsKeepToTheDurationInEveryDirection) {
    for (int format : {kTimecodeIndex, kDropFrameTimecodeIndex}) {
        for (double rate : {25.0, 30000.0 / 1001.0}) {
            ClockValues values = countdownOf(0, 5, 0, 0);
            values.digitalFormat = static_cast<int16_t>(format);
            values.showOvertime = 1;
            const int64_t duration = computeShownTime(0.0, rate, values).timecodeFrames;
            ASSERT_GT(duration, 7000) << format << " " << rate;
            for (int direction : {0, 1}) {
                for (int startHour : {0, 1, 23}) {
                    for (int stopHour : {0, 1, 23}) {
                        for (double frame : {1.0, 50.0, 9000.0, 90000.0}) {
                            values.runBackwards = static_cast<int16_t>(direction);
                            values.startHour = static_cast<int16_t>(startHour);
                            stopAt(values, stopHour, 0, 0.0);
                            const ShownTime shown = computeShownTime(frame, rate, values);
                            const auto where = ::testing::Message() << format << " " << rate << " " << direction
                                                                    << " " << startHour << "-" << stopHour << " "
                                                                    << frame;
                            if (shown.negative) {
                                continue;  // overtime counts upwards from zero
                            }
                            EXPECT_LE(shown.timecodeFrames, duration) << where;
                            if (direction == 1) {
                                EXPECT_EQ(shown.timecodeFrames, duration) << where;
                            }
                        }
                    }
                }
            }
        }
    }
}


// Each "Frame Rate" option runs the clock at the rate its label names (the
// NTSC ones at their exact ratios, a few parts in a million off the label).
TEST(FrameRateOptions, EveryStandardRateIsTheOneItsLabelNames) {
    int standard = 0;
    for (const FrameRateOption& option : kFrameRateOptions) {
        const std::string label = option.label;
        if (label == "From Host" || label == "Custom") {
            EXPECT_EQ(option.framesPerSecond, 0.0) << label;
            continue;
        }
        ++standard;
        EXPECT_NEAR(option.framesPerSecond, std::stod(label), 2e-4) << label;
    }
    EXPECT_EQ(standard, 12);
}


// At 29.97 a one-second countdown reaches its zero label on frame 30, 1.001 s
// in: the clock's milliseconds are then a millisecond past zero, but the zero
// frame shows no overtime, in its label or in its time.
TEST(ShownTimeCountdown, TheZeroFrameOfATimecodeCountdownShowsNoOvertime) {
    ClockValues values = countdownOf(0, 0, 1, 0);
    values.digitalFormat = static_cast<int16_t>(kDropFrameTimecodeIndex);
    values.showOvertime = 1;
    const ShownTime zero = computeShownTime(30.0, 30000.0 / 1001.0, values);
    EXPECT_FALSE(zero.negative);
    EXPECT_FALSE(zero.overtime);
    EXPECT_EQ(zero.timecodeFrames, 0);
    EXPECT_EQ(hms(zero), (Hms{0, 0, 0, 0}));
    const ShownTime past = computeShownTime(31.0, 30000.0 / 1001.0, values);
    EXPECT_TRUE(past.negative);
    EXPECT_TRUE(past.overtime);
    EXPECT_EQ(past.timecodeFrames, 1);
}

}  // namespace
}  // namespace horavex
