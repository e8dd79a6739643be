// The frame rate the clock runs at. Hosts are asked in order of preference
// (the effect, then its output clip, then its source clip); when none of them
// gives a usable rate the clock still runs, at kFallbackFrameRate.
#pragma once

#include <initializer_list>

namespace horavex {

inline constexpr double kFallbackFrameRate = 25.0;

// Finite and positive.
bool usableFrameRate(double framesPerSecond);

struct FrameRateChoice {
    double framesPerSecond = kFallbackFrameRate;
    bool fellBack = true;  // no candidate was usable
};

// The first usable candidate, else the fallback.
FrameRateChoice chooseFrameRate(std::initializer_list<double> candidates);

}  // namespace horavex
