// The off-screen picture one render call draws its clock into.
//
// Pixels are 32-bit words, bytes blue, green, red, alpha in memory, colour not
// premultiplied. Rows follow each other without gaps. A bottom-up surface (the
// only kind the render action asks for) keeps its bottom drawing row first in
// memory, so memory row k shows drawing row height - 1 - k and memory order is
// the row order of OFX images. Drawing coordinates start at the top left, y down.
//
// The surface knows which part of the picture may hold non-zero bytes (what
// the Graphics on it drew, or everything once bits() has handed out a writable
// pointer); everything else is known to be zero. Clearing touches only that
// part, so a render pays for the clock it draws, not for the frame's size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/drawing/PixelMemory.h"

namespace horavex {

// A rectangle in drawing coordinates (y from the top), right and bottom exclusive.
struct PixelArea {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool empty() const noexcept { return right <= left || bottom <= top; }
};

PixelArea unite(const PixelArea& a, const PixelArea& b) noexcept;
bool contains(const PixelArea& outer, const PixelArea& inner) noexcept;

// What a Graphics attaches to: the surface's pixel memory, its layout, and the
// part of it that may be non-zero, which whoever writes must widen first (it
// is bookkeeping, not part of the picture, so a const target may widen it).
struct DrawingTarget {
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    size_t rowBytes = 0;
    bool topDown = false;
    mutable PixelArea written;
};

class DrawingSurface {
public:
    static constexpr int32_t kBytesPerPixel = 4;

    DrawingSurface() = default;
    ~DrawingSurface() { release(); }
    DrawingSurface(const DrawingSurface&) = delete;
    DrawingSurface& operator=(const DrawingSurface&) = delete;

    // Allocates width x height pixels, all bytes zero, and returns the target to
    // draw on; null when there is no pixel memory (an empty or negative size, a
    // bit count other than 32, a row that does not fit a signed 32-bit byte
    // count, or memory the system refuses). On a surface that already has
    // memory it keeps that memory and its size, zeroes it again and returns the
    // same target.
    const DrawingTarget* create(int32_t width, int32_t height, int32_t bitCount, bool topDown);

    // First byte of the pixel memory, for reading (the compositing reads
    // through this); null without memory.
    const uint8_t* pixels() const noexcept { return target_.pixels; }
    // The same, for writing: from then on the whole picture counts as written,
    // so clearing and giving the memory up touch all of it.
    uint8_t* bits() noexcept;

    // Zeroes the pixels of a rectangle whose rows count in memory order. A
    // negative x or y moves to 0 without shrinking the size; the rest is
    // clipped to the picture. A rectangle that misses the picture changes nothing.
    void clearRect(int32_t x, int32_t y, int32_t w, int32_t h) noexcept;

    // Gives the pixel memory up; harmless on an empty surface.
    void release() noexcept;

    int32_t width() const noexcept { return target_.width; }
    int32_t height() const noexcept { return target_.height; }
    size_t rowBytes() const noexcept { return target_.rowBytes; }
    size_t sizeBytes() const noexcept { return memory_.size(); }
    const DrawingTarget* target() const noexcept { return target_.pixels != nullptr ? &target_ : nullptr; }

private:
    // Zeroes drawing rows [area.top, area.bottom) over the area's columns.
    void zero(const PixelArea& area) noexcept;

    PixelMemory memory_;
    DrawingTarget target_;
};

}  // namespace horavex
