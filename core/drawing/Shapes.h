// Plain geometry values that the clock styles hand to the drawing layer.
#pragma once

#include <cstdint>

namespace horavex {

// A point in drawing coordinates (origin top left, y downward), single precision.
struct PointF {
    float x = 0.0f;
    float y = 0.0f;

    friend constexpr bool operator==(PointF, PointF) noexcept = default;
};

// A rectangle of single-precision numbers. Used both in drawing coordinates and,
// as a clock's drawing area, in surface rows counted upward from the bottom.
struct RectF {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    friend constexpr bool operator==(const RectF&, const RectF&) noexcept = default;
};

// An integer rectangle in drawing coordinates: corners (x, y) and
// (x + width, y + height). 64-bit so that geometry built from unbounded clock
// sizes reaches the drawing layer without wrapping; the backend clips it.
struct IntRect {
    int64_t x = 0;
    int64_t y = 0;
    int64_t width = 0;
    int64_t height = 0;

    friend constexpr bool operator==(const IntRect&, const IntRect&) noexcept = default;
};

}  // namespace horavex
