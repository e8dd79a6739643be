#include "core/clocktime/FrameRate.h"

#include <algorithm>
#include <cmath>

namespace horavex {

bool usableFrameRate(double framesPerSecond) {
    return std::isfinite(framesPerSecond) && framesPerSecond > 0.0;
}

FrameRateChoice chooseFrameRate(std::initializer_list<double> candidates) {
    for (const double candidate : candidates) {
        if (usableFrameRate(candidate)) {
            return FrameRateChoice{candidate, false};
        }
    }
    return FrameRateChoice{};
}

double explicitFrameRate(int choice, double customRate) {
    if (choice == kCustomFrameRateIndex) {
        return std::isnan(customRate) ? kDefaultCustomFrameRate
                                      : std::clamp(customRate, kMinCustomFrameRate, kMaxCustomFrameRate);
    }
    if (choice <= kFrameRateFromHost || choice > kCustomFrameRateIndex) {
        return 0.0;
    }
    return kFrameRateOptions[static_cast<size_t>(choice)].framesPerSecond;
}

}  // namespace horavex
