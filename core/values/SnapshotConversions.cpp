#include "core/values/SnapshotConversions.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/Saturate.h"

namespace horavex {

namespace {

// Whole percent, kept as a double; NaN (a host's broken value) counts as 0.
double wholePercent(double value) {
    return std::isnan(value) ? 0.0 : std::trunc(value);
}

}  // namespace

CentrePercent centrePercent(std::array<double, 2> fraction, double renderScaleX, double renderScaleY) {
    CentrePercent centre;
    centre.x = wholePercent(fraction[0] * renderScaleX * 100.0);
    // OFX counts y upward; the drawing counts from the top.
    centre.y = wholePercent((1.0 - fraction[1]) * renderScaleY * 100.0);
    return centre;
}

double clockSizePercent(double clockSize) {
    return std::isnan(clockSize) ? 0.0 : clockSize * 100.0;
}

int16_t colourChannel(double channel) {
    return static_cast<int16_t>(std::clamp<int32_t>(saturatingTrunc<int32_t>(channel * 255.0), 0, 255));
}

ChannelColour channelColour(const std::array<double, 4>& rgba) {
    return ChannelColour{colourChannel(rgba[0]), colourChannel(rgba[1]), colourChannel(rgba[2]),
                         colourChannel(rgba[3])};
}

OfxRGBAColourB colourToBytes(const std::array<double, 4>& rgba) {
    auto toByte = [](double channel) { return static_cast<unsigned char>(colourChannel(channel)); };
    return OfxRGBAColourB{toByte(rgba[0]), toByte(rgba[1]), toByte(rgba[2]), toByte(rgba[3])};
}

int16_t narrowParam(int value) {
    return static_cast<int16_t>(std::clamp<int>(value, std::numeric_limits<int16_t>::min(),
                                                std::numeric_limits<int16_t>::max()));
}

}  // namespace horavex
