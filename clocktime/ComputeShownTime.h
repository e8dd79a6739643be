// From a frame's place on the timeline to the time of day and date the clock
// shows in it.
#pragma once

#include <cstdint>

#include "clocktime/ShownTime.h"
#include "params/ClockValues.h"

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

ShownTime computeShownTime(double renderTime, double frameRate, const ClockValues& values);

}  // namespace horavex
