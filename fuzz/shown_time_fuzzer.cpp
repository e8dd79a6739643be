// The shown-time computation with any doubles a host can send (render time,
// frame rate, speed, seconds: NaN, infinities, huge and tiny values) and any
// values of the snapshot's integer fields, in every clock mode: every component
// stays inside its documented range, the date is copied unchanged, and a
// stopped clock shows its start or its stop.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/clocktime/ComputeShownTime.h"
#include "common/Saturate.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzValues.h"

namespace {

double anyDouble(FuzzedDataProvider& in) {
    return horavex::fuzz::anyDouble(in, {{-100.0, 100000.0}});
}

bool inRanges(const horavex::ShownTime& t) {
    return t.hours >= 0 && t.hours <= 23 && t.minutes >= 0 && t.minutes <= 59 && t.seconds >= 0 && t.seconds <= 59 &&
           t.milliseconds >= 0 && t.milliseconds <= 999;
}

int64_t ofDay(const horavex::ShownTime& t) {
    return ((int64_t{t.hours} * 60 + t.minutes) * 60 + t.seconds) * 1000 + t.milliseconds;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace horavex;
    FuzzedDataProvider in(data, size);
    ClockValues values;
    values.startHour = in.ConsumeIntegral<int16_t>();
    values.startMinute = in.ConsumeIntegral<int16_t>();
    values.startSecond = anyDouble(in);
    values.stopHour = in.ConsumeIntegral<int16_t>();
    values.stopMinute = in.ConsumeIntegral<int16_t>();
    values.stopSecond = anyDouble(in);
    values.startDay = in.ConsumeIntegral<int16_t>();
    values.startMonth = in.ConsumeIntegral<int16_t>();
    values.startYear = in.ConsumeIntegral<int32_t>();
    values.runBackwards = in.ConsumeIntegral<int16_t>();
    values.speedFactor = anyDouble(in);
    values.clockMode = in.ConsumeBool() ? in.ConsumeIntegral<int16_t>() : in.ConsumeIntegralInRange<int16_t>(0, 2);
    values.countdownHours = in.ConsumeIntegral<int32_t>();
    values.countdownMinutes = in.ConsumeIntegral<int32_t>();
    values.countdownSeconds = in.ConsumeIntegral<int32_t>();
    values.countdownMilliseconds = in.ConsumeIntegral<int32_t>();
    values.showOvertime = in.ConsumeIntegral<int16_t>();
    values.digitalFormat = in.ConsumeIntegral<int16_t>();
    const double renderTime = anyDouble(in);
    const double frameRate = anyDouble(in);

    const ShownTime shown = computeShownTime(renderTime, frameRate, values);
    const bool span = values.clockMode == kStopwatchMode || values.clockMode == kCountdownMode;
    FUZZ_CHECK(shown.isSpan == span);
    if (span) {
        // A span's hours go on past a day; the rest keep their ranges.
        FUZZ_CHECK(shown.hours >= 0 && shown.minutes >= 0 && shown.minutes <= 59 && shown.seconds >= 0 &&
                   shown.seconds <= 59 && shown.milliseconds >= 0 && shown.milliseconds <= 999);
        FUZZ_CHECK(!shown.overtime || shown.negative);
        if (values.clockMode == kCountdownMode && values.showOvertime == 0) {
            FUZZ_CHECK(!shown.negative);
        }
        // Whatever its start, stop and direction, a countdown never shows
        // more than its duration.
        if (values.clockMode == kCountdownMode && !shown.negative) {
            const int64_t left =
                ((int64_t{shown.hours} * 60 + shown.minutes) * 60 + shown.seconds) * 1000 + shown.milliseconds;
            FUZZ_CHECK(left <= countdownMilliseconds(values.countdownHours, values.countdownMinutes,
                                                     values.countdownSeconds, values.countdownMilliseconds));
        }
    } else {
        FUZZ_CHECK(inRanges(shown));
        FUZZ_CHECK(!shown.negative && !shown.overtime);
    }
    FUZZ_CHECK(shown.day == values.startDay && shown.month == values.startMonth && shown.year == values.startYear);
    FUZZ_CHECK(shown.frameNumber == saturatingTrunc<int32_t>(renderTime));
    FUZZ_CHECK(std::memcmp(&shown.frameRate, &frameRate, sizeof frameRate) == 0);

    // With no clock time elapsed the clock shows its start, or the stop that
    // holds it.
    if (!span && elapsedClockSeconds(renderTime, frameRate, values.speedFactor) == 0.0) {
        ShownTime start;
        splitTimeOfDay(clockMilliseconds(values.startHour, values.startMinute, values.startSecond), start);
        ShownTime stop;
        splitTimeOfDay(clockMilliseconds(values.stopHour, values.stopMinute, values.stopSecond), stop);
        FUZZ_CHECK(ofDay(shown) == ofDay(start) || ofDay(shown) == ofDay(stop));
    }

    // The pieces on their own, with the full 32-bit range their interface
    // takes.
    const int32_t hour = in.ConsumeIntegral<int32_t>();
    const int32_t minute = in.ConsumeIntegral<int32_t>();
    const double second = anyDouble(in);
    ShownTime split;
    splitTimeOfDay(clockMilliseconds(hour, minute, second), split);
    FUZZ_CHECK(inRanges(split));
    ShownTime spanSplit;
    splitSpan(clockMilliseconds(hour, minute, second) * (in.ConsumeBool() ? 1 : -1), spanSplit);
    FUZZ_CHECK(spanSplit.hours >= 0 && spanSplit.minutes >= 0 && spanSplit.minutes <= 59 &&
               spanSplit.seconds >= 0 && spanSplit.seconds <= 59 && spanSplit.milliseconds >= 0 &&
               spanSplit.milliseconds <= 999);
    const int64_t duration = countdownMilliseconds(in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>(),
                                                   in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>());
    FUZZ_CHECK(duration >= 0);
    const double elapsed = elapsedClockSeconds(anyDouble(in), anyDouble(in), anyDouble(in));
    (void)elapsed;
    return 0;
}
