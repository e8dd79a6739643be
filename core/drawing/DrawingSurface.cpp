#include "core/drawing/DrawingSurface.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace horavex {

PixelArea unite(const PixelArea& a, const PixelArea& b) noexcept {
    if (a.empty()) {
        return b;
    }
    if (b.empty()) {
        return a;
    }
    return PixelArea{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                     std::max(a.bottom, b.bottom)};
}

bool contains(const PixelArea& outer, const PixelArea& inner) noexcept {
    return inner.empty() || (outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
                             outer.bottom >= inner.bottom);
}

const DrawingTarget* DrawingSurface::create(int32_t width, int32_t height, int32_t bitCount, bool topDown) {
    if (target_.pixels != nullptr) {
        zero(target_.written);
        target_.written = PixelArea{};
        return &target_;
    }
    // The processors address rows with a signed 32-bit byte count.
    constexpr int32_t maxWidth = std::numeric_limits<int32_t>::max() / kBytesPerPixel;
    if (bitCount != 32 || width <= 0 || height <= 0 || width > maxWidth) {
        return nullptr;
    }
    const size_t rowBytes = static_cast<size_t>(width) * kBytesPerPixel;
    if (static_cast<size_t>(height) > std::numeric_limits<size_t>::max() / rowBytes) {
        return nullptr;
    }
    if (!memory_.allocate(rowBytes * static_cast<size_t>(height))) {
        return nullptr;
    }
    target_.pixels = memory_.data();
    target_.width = width;
    target_.height = height;
    target_.rowBytes = rowBytes;
    target_.topDown = topDown;
    target_.written = PixelArea{};
    return &target_;
}

uint8_t* DrawingSurface::bits() noexcept {
    if (target_.pixels != nullptr) {
        target_.written = PixelArea{0, 0, target_.width, target_.height};
    }
    return target_.pixels;
}

void DrawingSurface::clearRect(int32_t x, int32_t y, int32_t w, int32_t h) noexcept {
    if (target_.pixels == nullptr) {
        return;
    }
    int64_t left = x < 0 ? 0 : x;
    int64_t bottom = y < 0 ? 0 : y;
    int64_t columns = w;
    int64_t rows = h;
    if (left + columns > target_.width) {
        columns = target_.width - left;
    }
    if (bottom + rows > target_.height) {
        rows = target_.height - bottom;
    }
    if (columns <= 0 || rows <= 0) {
        return;
    }
    // Memory rows [bottom, bottom + rows) as drawing rows.
    PixelArea cleared{static_cast<int32_t>(left), static_cast<int32_t>(bottom),
                      static_cast<int32_t>(left + columns), static_cast<int32_t>(bottom + rows)};
    if (!target_.topDown) {
        cleared.top = static_cast<int32_t>(target_.height - (bottom + rows));
        cleared.bottom = static_cast<int32_t>(target_.height - bottom);
    }
    // Outside the written part every byte is zero already.
    const PixelArea& written = target_.written;
    const PixelArea needed{std::max(cleared.left, written.left), std::max(cleared.top, written.top),
                           std::min(cleared.right, written.right), std::min(cleared.bottom, written.bottom)};
    zero(needed);
    if (contains(cleared, written)) {
        target_.written = PixelArea{};
    }
}

void DrawingSurface::zero(const PixelArea& area) noexcept {
    if (target_.pixels == nullptr || area.empty()) {
        return;
    }
    const size_t bytes = static_cast<size_t>(area.right - area.left) * kBytesPerPixel;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const int32_t memoryRow = target_.topDown ? y : target_.height - 1 - y;
        std::memset(target_.pixels + static_cast<size_t>(memoryRow) * target_.rowBytes +
                        static_cast<size_t>(area.left) * kBytesPerPixel,
                    0, bytes);
    }
}

void DrawingSurface::release() noexcept {
    if (target_.pixels != nullptr) {
        zero(target_.written);
        memory_.recycle();
    }
    target_ = DrawingTarget{};
}

}  // namespace horavex
