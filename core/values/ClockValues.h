// The parameter values a render works with, copied from the host at the render
// time (the snapshot) and converted on the way in.
#pragma once

#include <cstdint>

#include "ofxapi/OfxApi.h"
#include "core/values/ClockCentre.h"

namespace horavex {

// Four channels 0..255 in the order red, green, blue, alpha.
struct ChannelColour {
    int16_t red = 0;
    int16_t green = 0;
    int16_t blue = 0;
    int16_t alpha = 0;

    friend constexpr bool operator==(const ChannelColour&, const ChannelColour&) noexcept = default;
};

constexpr bool operator==(const OfxRGBAColourB& a, const OfxRGBAColourB& b) noexcept {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

struct ClockValues {
    int16_t clockStyle = 0;            // 0 analogue, 1 digital, 2 LED
    double centreXPercent = 50.0;      // whole percent of the frame width, from the left
    double centreYPercent = 50.0;      // whole percent of the frame height, from the top
    double clockSizePercent = 35.0;    // diameter, percent of the frame height
    int16_t startHour = 0;
    int16_t startMinute = 0;
    double startSecond = 0.0;
    int16_t startDay = 1;
    int16_t startMonth = 1;
    int32_t startYear = 2018;
    int16_t stopHour = 0;
    int16_t stopMinute = 0;
    double stopSecond = 0.0;
    int16_t runBackwards = 0;
    ChannelColour mainColour{255, 255, 255, 100};
    ChannelColour backgroundColour{0, 0, 0, 100};
    int16_t digitalFormat = 0;
    double speedFactor = 1.0;
    double secondSize = 50.0;
    double secondLength = 80.0;
    ChannelColour secondColour{0, 0, 0, 100};
    int16_t useSecondColour = 0;
    double minuteSize = 50.0;
    double minuteLength = 70.0;
    ChannelColour minuteColour{0, 0, 0, 100};
    int16_t useMinuteColour = 0;
    double hourSize = 50.0;
    double hourLength = 50.0;
    ChannelColour hourColour{0, 0, 0, 100};
    int16_t useHourColour = 0;
    double pointSize = 50.0;
    double pointLength = 50.0;
    ChannelColour pointColour{0, 0, 0, 100};
    int16_t usePointColour = 0;
    // Analogue display switches; no parameter drives them.
    int16_t drawMarks = 1;
    int16_t drawMinuteMarks = 1;
    int16_t drawSecondHand = 1;
    int16_t drawMinuteHand = 1;
    int16_t drawHourHand = 1;
    // The key parameters' defaults: green, keying off.
    OfxRGBAColourB keyColour{0, 255, 0, 255};
    int16_t keyMode = 0;
    // Written by every render before anything reads them.
    double renderScaleX = 1.0;
    double renderScaleY = 1.0;
    double pixelAspectRatio = 1.0;
    // Timer and timecode; the defaults show the time of day as always.
    int16_t clockMode = 0;             // 0 time of day, 1 stopwatch, 2 countdown
    int32_t countdownHours = 0;        // the countdown's duration, in parts
    int32_t countdownMinutes = 5;
    int32_t countdownSeconds = 0;
    int32_t countdownMilliseconds = 0;
    int16_t showOvertime = 0;
    ChannelColour overtimeColour{255, 0, 0, 255};
    int16_t useOvertimeColour = 0;
    int16_t fixedWidthDigits = 0;
    // "Frame Rate": 0 leaves the rate to the host; see kFrameRateOptions.
    int16_t frameRateChoice = 0;
    double customFrameRate = 25.0;
    // How to read "corner1": the units the host hands it back in and the
    // project rectangle canonical values are measured against.
    CentreMapping centreMapping;

    // Every field: a drawn clock is reused only for equal values.
    friend constexpr bool operator==(const ClockValues&, const ClockValues&) noexcept = default;
};

}  // namespace horavex
