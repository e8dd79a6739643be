// Conversions and integer arithmetic for the drawing geometry. Clock sizes,
// hand sizes and pixel aspect ratios come from the user or the host without a
// hard maximum, so every conversion here clamps instead of overflowing: a
// double becomes an integer by truncation toward zero, clamped to the target's
// range, and NaN becomes 0.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace horavex {

constexpr int32_t clampToInt32(int64_t value) noexcept {
    if (value < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    if (value > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

// Truncates toward zero into 32 bits.
constexpr int32_t truncToInt32(double value) noexcept {
    if (std::isnan(value)) {
        return 0;
    }
    if (value <= -2147483648.0) {
        return std::numeric_limits<int32_t>::min();
    }
    if (value >= 2147483647.0) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

// Truncates toward zero into 64 bits. 2^63 is exact in a double; the largest
// double below it converts without loss.
constexpr int64_t truncToInt64(double value) noexcept {
    if (std::isnan(value)) {
        return 0;
    }
    if (value <= -9223372036854775808.0) {
        return std::numeric_limits<int64_t>::min();
    }
    if (value >= 9223372036854775808.0) {
        return std::numeric_limits<int64_t>::max();
    }
    return static_cast<int64_t>(value);
}

// Rounds a double to single precision, clamping to the largest finite float
// so that huge offsets stay finite; NaN becomes 0.
constexpr float toFloat(double value) noexcept {
    if (std::isnan(value)) {
        return 0.0f;
    }
    constexpr double maxFloat = std::numeric_limits<float>::max();
    if (value >= maxFloat) {
        return std::numeric_limits<float>::max();
    }
    if (value <= -maxFloat) {
        return -std::numeric_limits<float>::max();
    }
    return static_cast<float>(value);
}

// A pixel aspect ratio that cannot be divided by counts as square pixels.
constexpr double usablePixelAspectRatio(double ratio) noexcept {
    return (std::isfinite(ratio) && ratio > 0.0) ? ratio : 1.0;
}

}  // namespace horavex
