#include "drawing/DrawingSurface.h"

#include <cstring>
#include <limits>

namespace horavex {

const DrawingTarget* DrawingSurface::create(int32_t width, int32_t height, int32_t bitCount,
                                            bool topDown) {
    if (target_.pixels != nullptr) {
        // Fresh pages are zero already; only a reused picture needs the pass.
        std::memset(target_.pixels, 0, memory_.size());
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
    return &target_;
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
    const size_t bytes = static_cast<size_t>(columns) * kBytesPerPixel;
    for (int64_t row = bottom; row < bottom + rows; ++row) {
        std::memset(target_.pixels + static_cast<size_t>(row) * target_.rowBytes +
                        static_cast<size_t>(left) * kBytesPerPixel,
                    0, bytes);
    }
}

void DrawingSurface::release() noexcept {
    memory_.free();
    target_ = DrawingTarget{};
}

}  // namespace horavex
