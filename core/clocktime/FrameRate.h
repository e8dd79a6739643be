// The frame rate the clock runs at. Hosts are asked in order of preference
// (the effect, then its output clip, then its source clip); when none of them
// gives a usable rate the clock still runs, at kFallbackFrameRate. The user
// may name the rate instead ("Frame Rate"), for hosts that give none or the
// wrong one.
#pragma once

#include <array>
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

// The options of "Frame Rate", in index order (the index is what projects
// store): the host's rate, the standard rates, and a rate of the user's own.
// The NTSC rates are their exact ratios.
struct FrameRateOption {
    const char* label;
    double framesPerSecond;  // 0 for "From Host" and "Custom"
};
inline constexpr std::array<FrameRateOption, 14> kFrameRateOptions{{
    {"From Host", 0.0},
    {"23.976", 24000.0 / 1001.0},
    {"24", 24.0},
    {"25", 25.0},
    {"29.97", 30000.0 / 1001.0},
    {"30", 30.0},
    {"47.952", 48000.0 / 1001.0},
    {"48", 48.0},
    {"50", 50.0},
    {"59.94", 60000.0 / 1001.0},
    {"60", 60.0},
    {"119.88", 120000.0 / 1001.0},
    {"120", 120.0},
    {"Custom", 0.0},
}};
inline constexpr int kFrameRateFromHost = 0;
inline constexpr int kCustomFrameRateIndex = static_cast<int>(kFrameRateOptions.size()) - 1;
inline constexpr double kMinCustomFrameRate = 1.0;
inline constexpr double kMaxCustomFrameRate = 1000.0;
inline constexpr double kDefaultCustomFrameRate = 25.0;

// The rate "Frame Rate" names, or 0 when it leaves the rate to the host (an
// index outside the options counts as "From Host"). "Custom" takes
// `customRate` within 1 to 1000 (NaN counts as the default, 25).
double explicitFrameRate(int choice, double customRate);

}  // namespace horavex
