// From a frame's place on the timeline to the time of day and date the clock
// shows in it.
#pragma once

#include <cstdint>

#include "core/clocktime/ShownTime.h"
#include "core/values/ClockValues.h"

namespace horavex {

inline constexpr int64_t kMillisecondsPerDay = 24LL * 60 * 60 * 1000;

// Clock seconds elapsed at `renderTime` (in frames). A frame rate that is not a
// positive finite number, or a speed that is not finite, stops the clock.
double elapsedClockSeconds(double renderTime, double frameRate, double speedFactor);

// A time of day in milliseconds: hours and minutes as given, seconds with
// their fraction truncated to whole milliseconds (a non-finite second is 0).
int64_t clockMilliseconds(int32_t hour, int32_t minute, double second);

// Wraps a count of milliseconds into one day (floor modulo) and splits it.
void splitTimeOfDay(int64_t milliseconds, ShownTime& shown);

// Splits a span of time (a stopwatch's or a countdown's) into its fields,
// hours not wrapped at 24; a span below zero keeps its magnitude and is marked
// negative. Spans beyond the clock's range are clamped to it.
void splitSpan(int64_t milliseconds, ShownTime& shown);

// The countdown's duration in milliseconds from its four parts, never below
// zero and clamped to the clock's range.
int64_t countdownMilliseconds(int32_t hours, int32_t minutes, int32_t seconds, int32_t milliseconds);

// A count (of milliseconds, or of timecode labels) from `start` after
// `elapsed`: forward, halted once it reaches `stop` unless `stop` is 0;
// backward, halted at `stop`, 0 included.
int64_t haltedCount(int64_t start, int64_t elapsed, int64_t stop, bool backwards);

// The shown time of day in milliseconds before it is wrapped into one day:
// start plus elapsed clock time (or minus, running backward), halted at the
// stop time.
int64_t unwrappedClockMilliseconds(double renderTime, double frameRate, const ClockValues& values);

// The clock time a countdown has used up, given the unwrapped clock time:
// what elapsed since the start running forward, never below zero; nothing
// running backward.
int64_t countdownElapsedMilliseconds(int64_t clockMs, const ClockValues& values);

// By values.clockMode: the time of day; a stopwatch, the unwrapped time
// itself (so the start time is its offset); a countdown, the duration less
// the clock time elapsed since the start, held at zero or, with overtime
// shown, counting on below it. Any other mode shows the time of day. With a
// timecode format the clock runs at the rate's exact ratio (29.97 as
// 30000/1001), and the frame's label is counted in labels: the start is the
// first frame's label, each frame adds one (at speed 1), a time of day wraps
// from the day's last label to 00:00:00:00, and a countdown shows its zero
// label before its overtime.
ShownTime computeShownTime(double renderTime, double frameRate, const ClockValues& values);

}  // namespace horavex
