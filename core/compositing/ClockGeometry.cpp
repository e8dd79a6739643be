#include "core/compositing/ClockGeometry.h"

#include <cmath>
#include <limits>

#include "common/Saturate.h"
#include "core/drawing/SaturatingMath.h"

namespace horavex {

ClockGeometry computeClockGeometry(int32_t width, int32_t height, const ClockValues& values) {
    const double w = width;
    const double h = height;
    ClockGeometry geometry;
    geometry.centreX = saturatingTrunc<int32_t>(w * values.centreXPercent / 100.0);
    geometry.centreY = saturatingTrunc<int32_t>(h * values.centreYPercent / 100.0);
    geometry.radius = saturatingTrunc<int32_t>(values.clockSizePercent / 100.0 * h / 2.0);
    geometry.textBase = saturatingTrunc<int32_t>(h * values.clockSizePercent / 2.0 / 100.0);
    return geometry;
}

ClockGeometry geometryOnPart(const ClockGeometry& geometry, const OfxRectI& window, const OfxRectI& part) {
    ClockGeometry placed = geometry;
    // Drawing rows count from the top, OFX rows from the bottom.
    placed.centreX = clampToInt32(int64_t{geometry.centreX} - (int64_t{part.x1} - window.x1));
    placed.centreY = clampToInt32(int64_t{geometry.centreY} - (int64_t{window.y2} - part.y2));
    return placed;
}

OfxRectI drawRectFromArea(float x, float y, float width, float height) {
    // The area is single precision; its far corner is where a float sum puts
    // it, which far from the origin can drop a small width entirely.
    const float right = x + width;
    const float top = y + height;
    return OfxRectI{saturatingTrunc<int32_t>(x), saturatingTrunc<int32_t>(y),
                    saturatingTrunc<int32_t>(right), saturatingTrunc<int32_t>(top)};
}

OfxRectI drawRectFromArea(const RectF& drawArea) {
    return drawRectFromArea(drawArea.x, drawArea.y, drawArea.width, drawArea.height);
}

namespace {

double positiveOr1(double value) {
    return std::isfinite(value) && value > 0.0 ? value : 1.0;
}

// Down (or up) to a whole pixel, unless the value is a whole pixel but for
// rounding in the conversion to canonical coordinates and back.
double toPixelEdge(double value, bool up) {
    const double nearest = std::nearbyint(value);
    if (std::abs(value - nearest) <= 1e-6) {
        return nearest;
    }
    return up ? std::ceil(value) : std::floor(value);
}

}  // namespace

OfxRectI frameInPixels(const OfxRectD& region, double scaleX, double scaleY, double pixelAspectRatio) {
    const double sx = positiveOr1(scaleX) / positiveOr1(pixelAspectRatio);
    const double sy = positiveOr1(scaleY);
    const double x1 = toPixelEdge(region.x1 * sx, false);
    const double y1 = toPixelEdge(region.y1 * sy, false);
    const double x2 = toPixelEdge(region.x2 * sx, true);
    const double y2 = toPixelEdge(region.y2 * sy, true);
    constexpr double low = std::numeric_limits<int32_t>::min();
    constexpr double high = std::numeric_limits<int32_t>::max();
    const bool usable = std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2) &&
                        x1 < x2 && y1 < y2 && x1 >= low && y1 >= low && x2 <= high && y2 <= high;
    if (!usable) {
        return OfxRectI{0, 0, 0, 0};
    }
    return OfxRectI{static_cast<int32_t>(x1), static_cast<int32_t>(y1), static_cast<int32_t>(x2),
                    static_cast<int32_t>(y2)};
}

}  // namespace horavex
