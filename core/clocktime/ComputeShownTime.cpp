#include "core/clocktime/ComputeShownTime.h"

#include <algorithm>
#include <cmath>

#include "core/clocktime/TimeText.h"
#include "core/clocktime/Timecode.h"
#include "common/Saturate.h"

namespace horavex {
namespace {

// Far beyond any time a clock shows (about 31,700 years of milliseconds), yet
// small enough that no sum of a start, a stop and an elapsed time can leave the
// 64-bit range.
constexpr int64_t kMillisecondLimit = 1'000'000'000'000'000LL;
constexpr int64_t kSecondLimit = kMillisecondLimit / 1000;

int64_t clampMagnitude(int64_t value, int64_t limit) {
    return value > limit ? limit : (value < -limit ? -limit : value);
}

}  // namespace

double elapsedClockSeconds(double renderTime, double frameRate, double speedFactor) {
    if (!std::isfinite(frameRate) || frameRate <= 0.0 || !std::isfinite(speedFactor)) {
        return 0.0;
    }
    if (speedFactor >= 0.0) {
        return renderTime * speedFactor / frameRate;
    }
    // A negative factor divides rather than multiplies: it slows the clock by
    // its magnitude and keeps it running forward. Only the backwards switch
    // reverses it.
    return (-renderTime) / speedFactor / frameRate;
}

int64_t clockMilliseconds(int32_t hour, int32_t minute, double second) {
    if (!std::isfinite(second)) {
        second = 0.0;
    }
    const double whole = std::trunc(second);
    const int64_t wholeSeconds = clampMagnitude(saturatingTrunc<int64_t>(whole), kSecondLimit);
    // Truncated, not rounded: 2.3 - 2 lies just below 0.3, so 2.3 s gives 299 ms.
    const int64_t fraction = saturatingTrunc<int64_t>((second - whole) * 1000.0);
    return ((int64_t{hour} * 60 + minute) * 60 + wholeSeconds) * 1000 + fraction;
}

void splitTimeOfDay(int64_t milliseconds, ShownTime& shown) {
    int64_t rest = milliseconds % kMillisecondsPerDay;
    if (rest < 0) {
        rest += kMillisecondsPerDay;
    }
    shown.milliseconds = static_cast<int32_t>(rest % 1000);
    rest /= 1000;
    shown.seconds = static_cast<int32_t>(rest % 60);
    rest /= 60;
    shown.minutes = static_cast<int32_t>(rest % 60);
    shown.hours = static_cast<int32_t>(rest / 60);
}

int64_t unwrappedClockMilliseconds(double renderTime, double frameRate, const ClockValues& values) {
    const double elapsed = elapsedClockSeconds(renderTime, frameRate, values.speedFactor);
    const int64_t elapsedMs = clampMagnitude(saturatingTrunc<int64_t>(elapsed * 1000.0), kMillisecondLimit);
    const int64_t start = clockMilliseconds(values.startHour, values.startMinute, values.startSecond);
    const int64_t stop = clockMilliseconds(values.stopHour, values.stopMinute, values.stopSecond);

    int64_t ms = 0;
    if (values.runBackwards == 0) {
        ms = start + elapsedMs;
        // Midnight as a stop means "never stop" when running forward.
        if (ms >= stop && stop != 0) {
            ms = stop;
        }
    } else {
        // Running backward, midnight is a real stop: the clock halts there.
        ms = start - elapsedMs;
        if (ms <= stop) {
            ms = stop;
        }
    }
    return ms;
}

void splitSpan(int64_t milliseconds, ShownTime& shown) {
    shown.isSpan = true;
    shown.negative = milliseconds < 0;
    // The limit keeps the magnitude (and its hours) well inside their types.
    const int64_t magnitude = clampMagnitude(milliseconds, kMillisecondLimit);
    int64_t rest = magnitude < 0 ? -magnitude : magnitude;
    shown.milliseconds = static_cast<int32_t>(rest % 1000);
    rest /= 1000;
    shown.seconds = static_cast<int32_t>(rest % 60);
    rest /= 60;
    shown.minutes = static_cast<int32_t>(rest % 60);
    shown.hours = static_cast<int32_t>(rest / 60);
}

int64_t countdownMilliseconds(int32_t hours, int32_t minutes, int32_t seconds, int32_t milliseconds) {
    // Each part is at most 2^31 hours' worth of milliseconds: the sum fits.
    const int64_t total = int64_t{hours} * 3'600'000 + int64_t{minutes} * 60'000 + int64_t{seconds} * 1000 +
                          int64_t{milliseconds};
    return std::clamp<int64_t>(total, 0, kMillisecondLimit);
}

int64_t countdownElapsedMilliseconds(int64_t clockMs, const ClockValues& values) {
    // Backwards, the clock's time since the start runs below zero, which
    // would add to the duration: the countdown holds at it instead. Forwards,
    // a stop before the start halts the clock from the first frame on, and
    // the countdown with it; the time of day the clock starts at (whatever
    // side of the stop) is never counted.
    if (values.runBackwards != 0) {
        return 0;
    }
    const int64_t start = clockMilliseconds(values.startHour, values.startMinute, values.startSecond);
    return std::max<int64_t>(clockMs - start, 0);
}

ShownTime computeShownTime(double renderTime, double frameRate, const ClockValues& values) {
    ShownTime shown;
    shown.frameNumber = saturatingTrunc<int32_t>(renderTime);
    shown.frameRate = frameRate;
    shown.day = values.startDay;
    shown.month = values.startMonth;
    shown.year = values.startYear;

    // The timecode formats run the clock at the exact rate, so that their frame
    // count stays on the timeline's frames; the other formats keep the rate
    // exactly as the host gives it, as they always have.
    const double clockRate = isTimecodeFormat(values.digitalFormat) ? timecodeFrameRate(frameRate) : frameRate;
    const int64_t ms = unwrappedClockMilliseconds(renderTime, clockRate, values);
    switch (values.clockMode) {
        case kStopwatchMode:
            splitSpan(ms, shown);
            break;
        case kCountdownMode: {
            // Every term lies within a few times the limit: nothing here can
            // overflow.
            const int64_t remaining =
                countdownMilliseconds(values.countdownHours, values.countdownMinutes, values.countdownSeconds,
                                      values.countdownMilliseconds) -
                countdownElapsedMilliseconds(ms, values);
            if (remaining < 0 && values.showOvertime != 0) {
                splitSpan(remaining, shown);
                shown.overtime = true;
            } else {
                splitSpan(std::max<int64_t>(remaining, 0), shown);
            }
            break;
        }
        default:
            splitTimeOfDay(ms, shown);
            break;
    }
    return shown;
}

}  // namespace horavex
