// Reading the drawing surface in runs, and moving raw pixels, for the
// compositing processors. Most of a surface is untouched (all four bytes
// zero) or covered opaquely; finding such runs quickly lets whole spans go
// at memory speed instead of through the per-pixel blend.
#pragma once

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

inline SurfacePixel pixelOfWord(std::uint32_t word) noexcept {
    return SurfacePixel{static_cast<unsigned char>(word & 0xFFu), static_cast<unsigned char>((word >> 8) & 0xFFu),
                        static_cast<unsigned char>((word >> 16) & 0xFFu), static_cast<unsigned char>(word >> 24)};
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

// Leading touched pixels (any byte not zero) among count.
inline std::size_t drawnRunLength(const unsigned char* draw, std::size_t count) noexcept {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    auto untouched = [draw, zero](std::size_t pixel) {
        return _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(draw + pixel * kSurfacePixelBytes)),
                               zero);
    };
    for (; i + kLinePixels <= count; i += kLinePixels) {
        const __m128i any = _mm_or_si128(_mm_or_si128(untouched(i), untouched(i + 4)),
                                         _mm_or_si128(untouched(i + 8), untouched(i + 12)));
        if (_mm_movemask_epi8(any) != 0) {
            break;
        }
    }
    for (; i + 4 <= count; i += 4) {
        if (_mm_movemask_epi8(untouched(i)) != 0) {
            break;
        }
    }
#endif
    while (i < count && surfaceWordAt(draw + i * kSurfacePixelBytes) != 0) {
        ++i;
    }
    return i;
}

// Leading opaque pixels (alpha 255) among count.
inline std::size_t opaqueRunLength(const unsigned char* draw, std::size_t count) noexcept {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i alphas = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    auto lane = [draw](std::size_t pixel) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(draw + pixel * kSurfacePixelBytes));
    };
    // A line at a time: the alphas of sixteen pixels are all 255 when their
    // bitwise and is.
    for (; i + kLinePixels <= count; i += kLinePixels) {
        const __m128i all = _mm_and_si128(_mm_and_si128(lane(i), lane(i + 4)), _mm_and_si128(lane(i + 8), lane(i + 12)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(all, alphas), alphas)) != 0xFFFF) {
            break;
        }
    }
    for (; i + 4 <= count; i += 4) {
        const __m128i quad = lane(i);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(quad, alphas), alphas)) != 0xFFFF) {
            break;
        }
    }
#endif
    while (i < count && draw[i * kSurfacePixelBytes + 3] == 0xFF) {
        ++i;
    }
    return i;
}

}  // namespace horavex::compose
