// What one surface pixel D makes of one output pixel, per output class:
// the blend over a source pixel S and the copy where there is none.
//
// The blend is defined to the bit in single and double precision. A file that
// includes this header must be compiled with -ffp-contract=off, so that no
// compiler fuses a product into a sum.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "ofxapi/OfxApi.h"
#include "core/compositing/SurfaceRuns.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace horavex::compose {

// i / 255 in double precision: the same bits as dividing for every pixel.
inline constexpr std::array<double, 256> kUnit = [] {
    std::array<double, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<double>(i) / 255.0;
    }
    return table;
}();

// The same quotients narrowed to single precision; h = kUnitFloat[D.alpha].
inline constexpr std::array<float, 256> kUnitFloat = [] {
    std::array<float, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<float>(kUnit[i]);
    }
    return table;
}();

template <typename PIX, int max, int isFloat>
struct PixelMath;

// The integer classes: every product, 1 - h and the sum in single precision,
// truncated toward zero.
template <typename PIX, int max>
struct PixelMath<PIX, max, 0> {
    using Channel = decltype(PIX::r);
    static_assert(std::is_unsigned_v<Channel> && max % 255 == 0);
    static constexpr std::uint32_t kScale = max / 255;  // 1 or 257: one surface step in output steps

    static Channel blendChannel(unsigned char drawn, Channel source, float h, float k) noexcept {
        const float value = (static_cast<float>(kScale) * static_cast<float>(drawn)) * h +
                            static_cast<float>(source) * k;
        // Both weights lie in [0, 1], so value lies in [0, max] up to rounding.
        return value >= static_cast<float>(max) ? static_cast<Channel>(max)
                                                : static_cast<Channel>(value);
    }

    // What the blend gives for every source at h = 1, from the surface word.
    static PIX opaque(std::uint32_t word) noexcept {
        return PIX{static_cast<Channel>(kScale * ((word >> 16) & 0xFFu)),
                   static_cast<Channel>(kScale * ((word >> 8) & 0xFFu)),
                   static_cast<Channel>(kScale * (word & 0xFFu)), static_cast<Channel>(max)};
    }

    static PIX blend(SurfacePixel d, const PIX& s) noexcept {
        if (d.alpha == 255) {
            return opaque(wordOf(d));
        }
        const float h = kUnitFloat[d.alpha];
        const float k = 1.0f - h;
        return PIX{blendChannel(d.red, s.r, h, k), blendChannel(d.green, s.g, h, k),
                   blendChannel(d.blue, s.b, h, k), static_cast<Channel>(max)};
    }

    // blend(d, source) for `count` source pixels under one translucent
    // surface word (alpha 1 to 254), as a dial's or a box's fill gives.
    static void translucentRun(unsigned char* dst, const unsigned char* src, std::uint32_t word,
                               std::size_t count) noexcept {
        const SurfacePixel d = pixelOfWord(word);
        const float h = kUnitFloat[d.alpha];
        const float k = 1.0f - h;
        if constexpr (max == 255) {
            // Every 8-bit source value's result, from the very same
            // arithmetic, looked up instead of computed per pixel. Kept per
            // thread for the next run of the same fill.
            struct Table {
                std::uint32_t word = 0;
                std::array<unsigned char, 256> red{}, green{}, blue{};
            };
            thread_local Table table;
            if (table.word != word) {
                for (unsigned value = 0; value < 256; ++value) {
                    const auto s = static_cast<Channel>(value);
                    table.red[value] = blendChannel(d.red, s, h, k);
                    table.green[value] = blendChannel(d.green, s, h, k);
                    table.blue[value] = blendChannel(d.blue, s, h, k);
                }
                table.word = word;
            }
            for (std::size_t i = 0; i < count; ++i) {
                const PIX s = loadPixel<PIX>(src + i * sizeof(PIX));
                storePixel(dst + i * sizeof(PIX),
                           PIX{table.red[s.r], table.green[s.g], table.blue[s.b], static_cast<Channel>(max)});
            }
        } else {
            // The drawing's share, formed once as blendChannel forms it.
            const float red = (static_cast<float>(kScale) * static_cast<float>(d.red)) * h;
            const float green = (static_cast<float>(kScale) * static_cast<float>(d.green)) * h;
            const float blue = (static_cast<float>(kScale) * static_cast<float>(d.blue)) * h;
            auto channel = [k](float drawn, Channel source) {
                const float value = drawn + static_cast<float>(source) * k;
                return value >= static_cast<float>(max) ? static_cast<Channel>(max) : static_cast<Channel>(value);
            };
            for (std::size_t i = 0; i < count; ++i) {
                const PIX s = loadPixel<PIX>(src + i * sizeof(PIX));
                storePixel(dst + i * sizeof(PIX), PIX{channel(red, s.r), channel(green, s.g), channel(blue, s.b),
                                                      static_cast<Channel>(max)});
            }
        }
    }

    // Colour x alpha / 255 (x 257 for 16 bits), rounded to nearest: exact
    // (colour x kScale) at alpha 255 and never above the alpha written.
    static Channel premultiplied(unsigned char colour, unsigned char alpha) noexcept {
        const std::uint32_t product = std::uint32_t{colour} * alpha * kScale;
        return static_cast<Channel>((product + 127) / 255);
    }

    static PIX copy(SurfacePixel d) noexcept {
        return PIX{premultiplied(d.red, d.alpha), premultiplied(d.green, d.alpha),
                   premultiplied(d.blue, d.alpha), static_cast<Channel>(kScale * d.alpha)};
    }

    // Converts the leading opaque pixels among count; returns how many.
    static std::size_t opaqueRun(unsigned char* dst, const unsigned char* draw, std::size_t count) noexcept {
        std::size_t i = 0;
#if defined(__SSE2__)
        if constexpr (sizeof(PIX) == 4) {
            // Four pixels per register: swap blue and red, keep green and alpha.
            const __m128i alphas = _mm_set1_epi32(static_cast<int>(0xFF000000u));
            const __m128i greenAlpha = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
            const __m128i lowByte = _mm_set1_epi32(0xFF);
            for (; i + 4 <= count; i += 4) {
                const __m128i quad =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(draw + i * kSurfacePixelBytes));
                const __m128i opaque = _mm_cmpeq_epi32(_mm_and_si128(quad, alphas), alphas);
                if (_mm_movemask_epi8(opaque) != 0xFFFF) {
                    break;
                }
                const __m128i red = _mm_and_si128(_mm_srli_epi32(quad, 16), lowByte);
                const __m128i blue = _mm_slli_epi32(_mm_and_si128(quad, lowByte), 16);
                const __m128i rgba =
                    _mm_or_si128(_mm_and_si128(quad, greenAlpha), _mm_or_si128(red, blue));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i * sizeof(PIX)), rgba);
            }
        }
#endif
        if constexpr (sizeof(PIX) == 4 && std::endian::native == std::endian::little) {
            // Two pixels per 64-bit word: swap blue and red, keep green and alpha.
            constexpr std::uint64_t kAlphas = 0xFF000000FF000000u;
            for (; i + 2 <= count; i += 2) {
                std::uint64_t pair;
                std::memcpy(&pair, draw + i * kSurfacePixelBytes, sizeof pair);
                if ((pair & kAlphas) != kAlphas) {
                    break;
                }
                pair = (pair & 0xFF00FF00FF00FF00u) | ((pair >> 16) & 0x000000FF000000FFu) |
                       ((pair << 16) & 0x00FF000000FF0000u);
                std::memcpy(dst + i * sizeof(PIX), &pair, sizeof pair);
            }
        }
        for (; i < count; ++i) {
            const std::uint32_t word = surfaceWordAt(draw + i * kSurfacePixelBytes);
            if (word < 0xFF000000u) {
                break;
            }
            storePixel(dst + i * sizeof(PIX), opaque(word));
        }
        return i;
    }
};

// The float class: D.c / 255 and its product with h in double precision,
// S.c * (1 - h) in single precision and widened, the sum narrowed.
template <>
struct PixelMath<OfxRGBAColourF, 1, 1> {
    static float blendChannel(unsigned char drawn, float source, double h, float k) noexcept {
        return static_cast<float>(kUnit[drawn] * h + static_cast<double>(source * k));
    }

    // An opaque drawing hides the source completely, also where the source
    // holds an infinity or NaN, which S.c * 0 would carry into the result.
    static OfxRGBAColourF opaque(std::uint32_t word) noexcept {
        return OfxRGBAColourF{kUnitFloat[(word >> 16) & 0xFFu], kUnitFloat[(word >> 8) & 0xFFu],
                              kUnitFloat[word & 0xFFu], 1.0f};
    }

    static OfxRGBAColourF blend(SurfacePixel d, const OfxRGBAColourF& s) noexcept {
        if (d.alpha == 255) {
            return opaque(wordOf(d));
        }
        const float h = kUnitFloat[d.alpha];
        const float k = 1.0f - h;
        const double wide = h;
        return OfxRGBAColourF{blendChannel(d.red, s.r, wide, k), blendChannel(d.green, s.g, wide, k),
                              blendChannel(d.blue, s.b, wide, k), 1.0f};
    }

    // blend(d, source) for `count` source pixels under one translucent
    // surface word (alpha 1 to 254).
    static void translucentRun(unsigned char* dst, const unsigned char* src, std::uint32_t word,
                               std::size_t count) noexcept {
        const SurfacePixel d = pixelOfWord(word);
        const float h = kUnitFloat[d.alpha];
        const float k = 1.0f - h;
        const double wide = h;
        // The drawing's share, formed once as blendChannel forms it.
        const double red = kUnit[d.red] * wide;
        const double green = kUnit[d.green] * wide;
        const double blue = kUnit[d.blue] * wide;
        for (std::size_t i = 0; i < count; ++i) {
            const OfxRGBAColourF s = loadPixel<OfxRGBAColourF>(src + i * sizeof(OfxRGBAColourF));
            storePixel(dst + i * sizeof(OfxRGBAColourF),
                       OfxRGBAColourF{static_cast<float>(red + static_cast<double>(s.r * k)),
                                      static_cast<float>(green + static_cast<double>(s.g * k)),
                                      static_cast<float>(blue + static_cast<double>(s.b * k)), 1.0f});
        }
    }

    // (D.c / 255) x h, the drawing premultiplied; alpha D.alpha / 255.
    static OfxRGBAColourF copy(SurfacePixel d) noexcept {
        const float h = kUnitFloat[d.alpha];
        const double wide = h;
        return OfxRGBAColourF{static_cast<float>(kUnit[d.red] * wide),
                              static_cast<float>(kUnit[d.green] * wide),
                              static_cast<float>(kUnit[d.blue] * wide), h};
    }

    // Converts the leading opaque pixels among count; returns how many.
    static std::size_t opaqueRun(unsigned char* dst, const unsigned char* draw, std::size_t count) noexcept {
        std::size_t i = 0;
        for (; i < count; ++i) {
            const std::uint32_t word = surfaceWordAt(draw + i * kSurfacePixelBytes);
            if (word < 0xFF000000u) {
                break;
            }
            storePixel(dst + i * sizeof(OfxRGBAColourF), opaque(word));
        }
        return i;
    }
};

}  // namespace horavex::compose
