// Rectangles and pixel addresses of OFX images and of the drawing surface.
//
// An image covers the pixels x1 <= x < x2, y1 <= y < y2 of its rectangle; its
// data pointer is the first pixel of row y1 and rows follow each other at
// rowBytes, which may be negative. Offsets are formed in 64 bits: a 32-bit
// row product overflows on large images and with negative row bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "ofxapi/OfxApi.h"

namespace horavex {

static_assert(sizeof(std::ptrdiff_t) == 8, "pixel offsets need 64-bit arithmetic");

inline bool rectIsEmpty(const OfxRectI& r) noexcept {
    return r.x2 <= r.x1 || r.y2 <= r.y1;
}

inline bool rectContains(const OfxRectI& r, int x, int y) noexcept {
    return x >= r.x1 && x < r.x2 && y >= r.y1 && y < r.y2;
}

// Empty (possibly inverted) when the two do not overlap.
inline OfxRectI intersectRects(const OfxRectI& a, const OfxRectI& b) noexcept {
    return OfxRectI{std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2),
                    std::min(a.y2, b.y2)};
}

// Non-negative; 64 bits because x2 - x1 of two ints can exceed an int.
inline std::int64_t rectWidth(const OfxRectI& r) noexcept {
    return r.x2 > r.x1 ? std::int64_t{r.x2} - r.x1 : 0;
}

inline std::int64_t rectHeight(const OfxRectI& r) noexcept {
    return r.y2 > r.y1 ? std::int64_t{r.y2} - r.y1 : 0;
}

// Byte offset of pixel (x, y) from the data pointer of an image with this
// rectangle. |y - y1| < 2^32 and |rowBytes| <= 2^31 keep the product inside 63 bits.
inline std::ptrdiff_t pixelOffset(const OfxRectI& rect, int x, int y, int rowBytes,
                                  std::size_t pixelBytes) noexcept {
    return (std::ptrdiff_t{y} - rect.y1) * rowBytes +
           (std::ptrdiff_t{x} - rect.x1) * static_cast<std::ptrdiff_t>(pixelBytes);
}

// Null when there is no data or (x, y) lies outside the rectangle.
template <std::size_t PixelBytes>
inline unsigned char* pixelAddress(void* data, const OfxRectI& rect, int x, int y,
                                   int rowBytes) noexcept {
    if (data == nullptr || !rectContains(rect, x, y)) {
        return nullptr;
    }
    return static_cast<unsigned char*>(data) + pixelOffset(rect, x, y, rowBytes, PixelBytes);
}

template <std::size_t PixelBytes>
inline const unsigned char* pixelAddress(const void* data, const OfxRectI& rect, int x, int y,
                                         int rowBytes) noexcept {
    if (data == nullptr || !rectContains(rect, x, y)) {
        return nullptr;
    }
    return static_cast<const unsigned char*>(data) +
           pixelOffset(rect, x, y, rowBytes, PixelBytes);
}

}  // namespace horavex
