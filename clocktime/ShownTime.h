// The time of day and date one rendered frame shows.
#pragma once

#include <cstdint>

namespace horavex {

struct ShownTime {
    int32_t hours = 0;         // 0..23
    int32_t minutes = 0;       // 0..59
    int32_t seconds = 0;       // 0..59
    int32_t milliseconds = 0;  // 0..999
    int32_t day = 0;           // the start date, unchanged
    int32_t month = 0;
    int32_t year = 0;
    int32_t frameNumber = 0;   // the render time truncated toward zero
    double frameRate = 0.0;
};

}  // namespace horavex
