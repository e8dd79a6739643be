// SMPTE timecode: a count of frames written as hours, minutes, seconds and
// frames, at a rate known exactly as a ratio, with the drop-frame count at
// 29.97 and 59.94 frames per second.
#pragma once

#include <cstdint>
#include <string>

#include "core/clocktime/ShownTime.h"

namespace horavex {

// Frames per second as an exact ratio; {0, 1} when the rate cannot count
// frames (not finite, not above zero, or above kMaxTimecodeRate).
struct FrameRateRatio {
    int64_t numerator = 0;
    int64_t denominator = 1;

    bool usable() const noexcept { return numerator > 0 && denominator > 0; }
    friend constexpr bool operator==(const FrameRateRatio&, const FrameRateRatio&) noexcept = default;
};

inline constexpr double kMaxTimecodeRate = 1000.0;

// A rate within 0.005 of k x 1000/1001 (k = 24, 30, 48, 60, 120; so
// 23.976, 29.97, 47.952, 59.94, 119.88 and their long forms) is that ratio;
// a rate within a millionth of a whole number is that number; any other
// usable rate is taken to a thousandth of a frame per second.
FrameRateRatio exactFrameRate(double framesPerSecond);

// The rate as the timecode counts it: the exact ratio where the rate has one,
// else the rate as given. So a rate written as 29.97 runs the clock at
// 30000/1001 and its frame count does not drift over the hours.
double timecodeFrameRate(double framesPerSecond);

// The frames a timecode second holds: the rate rounded to a whole number,
// at least 1 (24 at 23.976, 30 at 29.97).
int32_t nominalFrameRate(FrameRateRatio rate);

// True at 30000/1001 and 60000/1001, the rates with a drop-frame count.
bool hasDropFrameCount(FrameRateRatio rate);

// The frame a time falls on, counted from zero at the exact rate and rounded
// to the nearest frame (a shown time is whole milliseconds, so a frame's
// start may lie up to a millisecond before it). Negative times count as 0;
// times beyond the clock's range as its end.
int64_t framesInMilliseconds(int64_t milliseconds, FrameRateRatio rate);

struct Timecode {
    int64_t hours = 0;
    int32_t minutes = 0;
    int32_t seconds = 0;
    int32_t frames = 0;

    friend constexpr bool operator==(const Timecode&, const Timecode&) noexcept = default;
};

// Writes a frame count (0 to 10^18; others are clamped) with `framesPerSecond` frames to the
// timecode second. The drop-frame count leaves out the labels 0 and 1 (at 30)
// or 0 to 3 (at 60) at the start of every minute except every tenth; it
// applies only at a nominal rate of 30 or 60. Hours are not wrapped.
Timecode timecodeFromFrames(int64_t frames, int32_t framesPerSecond, bool dropFrame);

// The text of the two timecode formats for a shown time: the shown time (its
// magnitude, for a span) counted in frames at the exact rate. A time of day
// wraps its hours at 24; a span's hours go on. "hh:mm:ss:ff", or with
// `dropFrame` at 29.97 and 59.94 "hh:mm:ss;ff" with the drop-frame count
// (other rates fall back to the plain count and ":"). A rate that cannot
// count frames shows the shown time's own hours, minutes and seconds and
// frame 00.
std::wstring timecodeText(const ShownTime& shown, bool dropFrame);

}  // namespace horavex
