// Reading the drawing surface in runs, and moving raw pixels, for the
// compositing processors. Most of a surface is untouched (all four bytes
// zero) or covered opaquely; finding such runs quickly lets whole spans go
// at memory speed instead of through the per-pixel blend.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace horavex::compose {

// Surface pixels are 4 bytes: blue, green, red, alpha in memory.
inline constexpr std::size_t kSurfacePixelBytes = 4;
// Pixels of one 64-byte cache line of the surface.
inline constexpr std::size_t kLinePixels = 16;

struct SurfacePixel {
    unsigned char blue;
    unsigned char green;
    unsigned char red;
    unsigned char alpha;
};

inline SurfacePixel loadSurfacePixel(const unsigned char* p) noexcept {
    return SurfacePixel{p[0], p[1], p[2], p[3]};
}

// The pixel as one number, blue in the low byte, whatever the machine's byte order.
inline std::uint32_t wordOf(SurfacePixel d) noexcept {
    return std::uint32_t{d.blue} | std::uint32_t{d.green} << 8 | std::uint32_t{d.red} << 16 |
           std::uint32_t{d.alpha} << 24;
}

inline std::uint32_t surfaceWordAt(const unsigned char* p) noexcept {
    return wordOf(loadSurfacePixel(p));
}

// Host images promise no alignment to the pixel type; byte copies compile to
// plain loads and stores.
template <typename PIX>
inline PIX loadPixel(const unsigned char* p) noexcept {
    PIX value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

template <typename PIX>
inline void storePixel(unsigned char* p, const PIX& value) noexcept {
    std::memcpy(p, &value, sizeof value);
}

// A fixed number of bytes through registers, 16 at a time: inline, where a
// library call per cache line would cost more than the copy.
template <std::size_t kBytes>
inline void copyBytes(unsigned char* dst, const unsigned char* src) noexcept {
    static_assert(kBytes % 16 == 0);
    for (std::size_t k = 0; k < kBytes; k += 16) {
        unsigned char chunk[16];
        std::memcpy(chunk, src + k, sizeof chunk);
        std::memcpy(dst + k, chunk, sizeof chunk);
    }
}

// All sixteen pixels of one line untouched.
inline bool lineIsUndrawn(const unsigned char* line) noexcept {
#if defined(__SSE2__)
    auto lane = [line](int k) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + k * 16));
    };
    const __m128i any =
        _mm_or_si128(_mm_or_si128(lane(0), lane(1)), _mm_or_si128(lane(2), lane(3)));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF;
#else
    auto lane = [line](std::size_t k) {
        std::uint64_t value;
        std::memcpy(&value, line + k * 8, sizeof value);
        return value;
    };
    return (((lane(0) | lane(1)) | (lane(2) | lane(3))) |
            ((lane(4) | lane(5)) | (lane(6) | lane(7)))) == 0;
#endif
}

// Leading untouched pixels among count.
inline std::size_t undrawnRun(const unsigned char* draw, std::size_t count) noexcept {
    std::size_t i = 0;
    while (i + kLinePixels <= count && lineIsUndrawn(draw + i * kSurfacePixelBytes)) {
        i += kLinePixels;
    }
    while (i < count && surfaceWordAt(draw + i * kSurfacePixelBytes) == 0) {
        ++i;
    }
    return i;
}

// Leading pixels with alpha 255 among count.
inline std::size_t opaqueRun(const unsigned char* draw, std::size_t count) noexcept {
    // The alpha bytes of two pixels, in whatever order the machine loads them.
    constexpr std::uint64_t kAlphas =
        std::bit_cast<std::uint64_t>(std::array<unsigned char, 8>{0, 0, 0, 255, 0, 0, 0, 255});
    std::size_t i = 0;
    while (i + 4 <= count) {
        std::uint64_t first;
        std::uint64_t second;
        std::memcpy(&first, draw + i * kSurfacePixelBytes, sizeof first);
        std::memcpy(&second, draw + i * kSurfacePixelBytes + 8, sizeof second);
        if ((first & second & kAlphas) != kAlphas) {
            break;
        }
        i += 4;
    }
    while (i < count && draw[i * kSurfacePixelBytes + 3] == 255) {
        ++i;
    }
    return i;
}

}  // namespace horavex::compose
