// Where the clock sits on the drawing surface and how large it is, and the
// part of the surface the compositing consults.
#pragma once

#include <cstdint>

#include "core/drawing/Shapes.h"
#include "ofxapi/OfxApi.h"
#include "core/values/ClockValues.h"

namespace horavex {

// Surface pixels. The centre counts from the top left of the surface (drawing
// coordinates); radius serves the analogue style, textBase the digital and LED
// styles. Both are half the clock size applied to the height, formed in
// different orders, so they can differ by one.
struct ClockGeometry {
    int32_t centreX = 0;
    int32_t centreY = 0;
    int32_t radius = 0;
    int32_t textBase = 0;

    friend constexpr bool operator==(const ClockGeometry&, const ClockGeometry&) noexcept = default;
};

// width and height are the whole output frame's size in pixels. Double
// arithmetic in a fixed order, truncated toward zero and clamped to 32 bits,
// NaN giving 0:
//   centreX  = width * centreXPercent / 100
//   centreY  = height * centreYPercent / 100
//   radius   = clockSizePercent / 100 * height / 2
//   textBase = height * clockSizePercent / 2 / 100
// The size always follows the height, so a wider frame keeps the clock's size.
ClockGeometry computeClockGeometry(int32_t width, int32_t height, const ClockValues& values);

// The geometry of a window laid out on the surface of one part of it (the
// part lies inside the window): the centre moves by the part's offset from
// the window's top left, in 64 bits and clamped to 32; the sizes stay.
ClockGeometry geometryOnPart(const ClockGeometry& geometry, const OfxRectI& window, const OfxRectI& part);

// The processors' drawing rectangle from a clock's drawing area (X, Y, Width,
// Height in surface pixels, rows counted upward from the bottom):
// (trunc X, trunc Y, trunc(X + Width), trunc(Y + Height)), each sum in single
// precision, each truncation toward zero and clamped to 32 bits, NaN giving 0.
OfxRectI drawRectFromArea(float x, float y, float width, float height);
OfxRectI drawRectFromArea(const RectF& drawArea);

// The whole output frame in pixels of the images rendered: the output's region
// of definition (canonical coordinates) times the render scale, x divided by
// the pixel aspect ratio, widened to whole pixels (a corner within a millionth
// of a pixel of a whole number is taken as that number, so a region made from
// pixels comes back as those pixels). A scale or ratio that is not a positive
// finite number counts as 1. Empty ({0, 0, 0, 0}) when the region is not a
// finite, non-empty rectangle or does not fit 32-bit pixel coordinates.
OfxRectI frameInPixels(const OfxRectD& region, double scaleX, double scaleY, double pixelAspectRatio);

}  // namespace horavex
