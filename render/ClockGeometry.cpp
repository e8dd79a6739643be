#include "render/ClockGeometry.h"

#include "common/Saturate.h"
#include "drawing/SaturatingMath.h"

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

}  // namespace horavex
