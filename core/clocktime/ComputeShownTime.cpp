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

int64_t haltedCount(int64_t start, int64_t elapsed, int64_t stop, bool backwards) {
    if (!backwards) {
        const int64_t count = start + elapsed;
        // Midnight as a stop means "never stop" when running forward.
        return count >= stop && stop != 0 ? stop : count;
    }
    // Running backward, midnight is a real stop: the clock halts there.
    const int64_t count = start - elapsed;
    return count <= stop ? stop : count;
}

int64_t unwrappedClockMilliseconds(double renderTime, double frameRate, const ClockValues& values) {
    const double elapsed = elapsedClockSeconds(renderTime, frameRate, values.speedFactor);
    const int64_t elapsedMs = clampMagnitude(saturatingTrunc<int64_t>(elapsed * 1000.0), kMillisecondLimit);
    const int64_t start = clockMilliseconds(values.startHour, values.startMinute, values.startSecond);
    const int64_t stop = clockMilliseconds(values.stopHour, values.stopMinute, values.stopSecond);
    return haltedCount(start, elapsedMs, stop, values.runBackwards != 0);
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

namespace {

// The timecode label of a frame, counted the way the clock counts its time
// but in labels: the start, the stop and the duration are labels, and the
// clock time elapsed is the whole frames it holds at the exact rate. So the
// first frame shows the start's label and each later one the next label.
void countTimecodeLabels(double renderTime, double clockRate, const ClockValues& values, ShownTime& shown) {
    const FrameRateRatio rate = exactFrameRate(clockRate);
    if (!rate.usable()) {
        return;
    }
    const int32_t fps = nominalFrameRate(rate);
    const bool drop = values.digitalFormat == kDropFrameTimecodeIndex && hasDropFrameCount(rate);
    const int64_t start =
        labelOfMilliseconds(clockMilliseconds(values.startHour, values.startMinute, values.startSecond), fps, drop);
    const int64_t stop =
        labelOfMilliseconds(clockMilliseconds(values.stopHour, values.stopMinute, values.stopSecond), fps, drop);
    const int64_t elapsed =
        wholeFramesElapsed(elapsedClockSeconds(renderTime, clockRate, values.speedFactor), rate);
    const int64_t count = haltedCount(start, elapsed, stop, values.runBackwards != 0);
    switch (values.clockMode) {
        case kStopwatchMode:
            shown.negative = count < 0;
            shown.timecodeFrames = count < 0 ? -count : count;
            break;
        case kCountdownMode: {
            const int64_t duration = labelOfMilliseconds(
                countdownMilliseconds(values.countdownHours, values.countdownMinutes, values.countdownSeconds,
                                      values.countdownMilliseconds),
                fps, drop);
            // As in milliseconds: running backwards uses none of the
            // duration, and a stop before the start halts it at once.
            const int64_t used = values.runBackwards != 0 ? 0 : std::max<int64_t>(count - start, 0);
            const int64_t remaining = duration - used;
            // Zero is a frame of its own; the overtime starts on the frame
            // after it.
            const bool over = remaining < 0 && values.showOvertime != 0;
            // The labels decide the overtime: a time past zero by less than a
            // frame is still the zero frame, and shows no overtime anywhere.
            if (!over && shown.negative) {
                splitSpan(0, shown);
            }
            shown.negative = over;
            shown.overtime = over;
            shown.timecodeFrames = over ? -remaining : std::max<int64_t>(remaining, 0);
            break;
        }
        default: {
            const int64_t day = labelsPerDay(fps, drop);
            shown.timecodeFrames = ((count % day) + day) % day;
            break;
        }
    }
}

}  // namespace

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
    const bool timecode = isTimecodeFormat(values.digitalFormat);
    const double clockRate = timecode ? timecodeFrameRate(frameRate) : frameRate;
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
    if (timecode) {
        countTimecodeLabels(renderTime, clockRate, values, shown);
    }
    return shown;
}

}  // namespace horavex
