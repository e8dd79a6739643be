// How parameter values become the snapshot's fields: the clock centre in whole
// percent from the top left, the size in percent, colours as 0..255 channels.
#pragma once

#include <array>
#include <cstdint>

#include "ofxapi/OfxApi.h"
#include "core/values/ClockValues.h"

namespace horavex {

struct CentrePercent {
    double x = 0.0;  // from the left
    double y = 0.0;  // from the top
};

// `fraction` is the clock centre as a fraction of the frame (x right, y up,
// 0..1; see centreFraction). The pixel aspect ratio plays no part: a fraction
// of the width is the same fraction in pixels and in canonical coordinates.
CentrePercent centrePercent(std::array<double, 2> fraction, double renderScaleX, double renderScaleY);

double clockSizePercent(double clockSize);

// One channel 0..1 as trunc(c x 255), kept in the snapshot's 16-bit channel;
// values outside 0..1 saturate to 0 or 255, NaN gives 0.
int16_t colourChannel(double channel);
ChannelColour channelColour(const std::array<double, 4>& rgba);

// The key colour as bytes: each channel as colourChannel makes it.
OfxRGBAColourB colourToBytes(const std::array<double, 4>& rgba);

// Integer, choice and boolean values arrive as 32-bit ints; the snapshot keeps
// them in 16 bits, clamped so that no value wraps around.
int16_t narrowParam(int value);

}  // namespace horavex
