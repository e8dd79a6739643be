// Conversions between the surface's straight colour and the premultiplied
// colour the rasteriser works in, over one rectangle of the picture.
#pragma once

#include <cstdint>

#include "drawing/DrawingSurface.h"

namespace horavex {

// A rectangle in drawing coordinates that lies inside the picture.
struct PixelArea {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;   // exclusive
    int32_t bottom = 0;  // exclusive

    bool empty() const noexcept { return right <= left || bottom <= top; }
};

// Address of the first byte of drawing row y (y counted from the top).
uint8_t* drawingRowAddress(const DrawingTarget& target, int32_t y) noexcept;

// Pixels with alpha 0 or 255 are the same in both forms and are left alone.
void premultiplyArea(const DrawingTarget& target, const PixelArea& area) noexcept;
void unpremultiplyArea(const DrawingTarget& target, const PixelArea& area) noexcept;

}  // namespace horavex
