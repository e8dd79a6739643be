// Float-to-integer conversions for values a host or user controls: truncate
// toward zero like a plain cast, but clamp to the target's range and give 0
// for NaN, so no conversion is ever undefined.
#pragma once

#include <cmath>
#include <concepts>
#include <limits>

namespace horavex {

template <std::integral To, std::floating_point From>
constexpr To saturatingTrunc(From value) noexcept {
    if (std::isnan(value)) {
        return 0;
    }
    // Compare in long double-free terms: the bounds of every integer type up to
    // 64 bits are exactly representable as powers of two (minus one for max).
    constexpr From low = static_cast<From>(std::numeric_limits<To>::min());
    constexpr From high = static_cast<From>(std::numeric_limits<To>::max());
    if (value <= low) {
        return std::numeric_limits<To>::min();
    }
    if (value >= high) {
        return std::numeric_limits<To>::max();
    }
    return static_cast<To>(value);
}

// A pixel aspect ratio that cannot divide sensibly counts as square pixels.
inline double usableAspectRatio(double pixelAspectRatio) noexcept {
    return (std::isfinite(pixelAspectRatio) && pixelAspectRatio > 0.0) ? pixelAspectRatio : 1.0;
}

}  // namespace horavex
