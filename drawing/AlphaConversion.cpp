#include "drawing/AlphaConversion.h"

#include <cstddef>

namespace horavex {
namespace {

// Rounded c * a / 255 without a division.
inline uint8_t multiplyByAlpha(uint32_t channel, uint32_t alpha) noexcept {
    const uint32_t t = channel * alpha + 128u;
    return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

inline uint8_t divideByAlpha(uint32_t channel, uint32_t alpha) noexcept {
    const uint32_t value = (channel * 255u + alpha / 2u) / alpha;
    return static_cast<uint8_t>(value > 255u ? 255u : value);
}

template <typename Convert>
void convertArea(const DrawingTarget& target, const PixelArea& area, Convert convert) noexcept {
    if (target.pixels == nullptr || area.empty()) {
        return;
    }
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint8_t* pixel = drawingRowAddress(target, y) + static_cast<size_t>(area.left) * 4;
        for (int32_t x = area.left; x < area.right; ++x, pixel += 4) {
            const uint32_t alpha = pixel[3];
            if (alpha != 0u && alpha != 255u) {
                pixel[0] = convert(pixel[0], alpha);
                pixel[1] = convert(pixel[1], alpha);
                pixel[2] = convert(pixel[2], alpha);
            }
        }
    }
}

}  // namespace

uint8_t* drawingRowAddress(const DrawingTarget& target, int32_t y) noexcept {
    const int32_t memoryRow = target.topDown ? y : target.height - 1 - y;
    return target.pixels + static_cast<size_t>(memoryRow) * target.rowBytes;
}

void premultiplyArea(const DrawingTarget& target, const PixelArea& area) noexcept {
    convertArea(target, area, multiplyByAlpha);
}

void unpremultiplyArea(const DrawingTarget& target, const PixelArea& area) noexcept {
    convertArea(target, area, divideByAlpha);
}

}  // namespace horavex
