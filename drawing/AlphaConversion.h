// Conversions between the surface's straight colour and the premultiplied
// colour the rasteriser works in, over one rectangle of the picture.
#pragma once

#include <cstdint>

#include "drawing/DrawingSurface.h"

namespace horavex {

// Address of the first byte of drawing row y (y counted from the top).
uint8_t* drawingRowAddress(const DrawingTarget& target, int32_t y) noexcept;

// The area lies inside the picture. Pixels with alpha 0 or 255 are the same in both forms and are left alone.
void premultiplyArea(const DrawingTarget& target, const PixelArea& area) noexcept;
void unpremultiplyArea(const DrawingTarget& target, const PixelArea& area) noexcept;

}  // namespace horavex
