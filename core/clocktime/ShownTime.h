// The time of day and date one rendered frame shows.
#pragma once

#include <cstdint>

namespace horavex {

// What the clock counts: the time of day, the time elapsed since the start
// (a stopwatch) or the time left of a duration (a countdown).
enum ClockMode : int { kTimeOfDayMode = 0, kStopwatchMode = 1, kCountdownMode = 2 };

struct ShownTime {
    int32_t hours = 0;         // 0..23 for a time of day; any count for a stopwatch or countdown
    int32_t minutes = 0;       // 0..59
    int32_t seconds = 0;       // 0..59
    int32_t milliseconds = 0;  // 0..999
    int32_t day = 0;           // the start date, unchanged
    int32_t month = 0;
    int32_t year = 0;
    int32_t frameNumber = 0;   // the render time truncated toward zero
    double frameRate = 0.0;
    // A stopwatch or countdown shows a span of time: its hours go on past 23.
    bool isSpan = false;
    // The span lies below zero (a countdown past zero, a stopwatch before its
    // start): the fields hold its magnitude and the text leads with "-".
    bool negative = false;
    // A countdown past zero with "Show Overtime" on.
    bool overtime = false;
};

}  // namespace horavex
