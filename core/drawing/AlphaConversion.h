// Conversions between the surface's straight colour and the premultiplied
// colour the rasteriser works in, over one rectangle of the picture.
#pragma once

#include <cstdint>
#include <span>

#include "core/drawing/Color.h"
#include "core/drawing/DrawingSurface.h"

namespace horavex {

// Address of the first byte of drawing row y (y counted from the top).
uint8_t* drawingRowAddress(const DrawingTarget& target, int32_t y) noexcept;

// The area lies inside the picture. Pixels with alpha 0 or 255 are the same in both forms and are left alone.
void premultiplyArea(const DrawingTarget& target, const PixelArea& area) noexcept;
void unpremultiplyArea(const DrawingTarget& target, const PixelArea& area) noexcept;

// Division alone cannot give back the exact colour of a translucent pixel:
// premultiplying rounds, and at alpha 127 both 200 and 199 become 100. So a
// translucent pixel whose premultiplied bytes are, within the rasteriser's
// rounding, those of one of the colours drawn (its red, green and blue at the
// pixel's alpha) gets that colour exactly; the nearest wins when several
// fit, the colour drawn last (the end of the list) among equals. Any other
// translucent pixel is divided as above. An opaque pixel within that rounding
// of a drawn colour (a colour laid over itself) gets it exactly too.
void unpremultiplyAreaTowards(const DrawingTarget& target, const PixelArea& area,
                              std::span<const Color> drawnColours) noexcept;

}  // namespace horavex
