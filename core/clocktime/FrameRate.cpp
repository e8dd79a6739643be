#include "core/clocktime/FrameRate.h"

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

}  // namespace horavex
