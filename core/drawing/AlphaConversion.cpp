#include "core/drawing/AlphaConversion.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace horavex {
namespace {

// One table row per alpha, one entry per channel value: a lookup instead of
// a division for every channel of every translucent pixel.
using ChannelTable = std::array<uint8_t, 256 * 256>;

const ChannelTable& multiplyTable() {
    static const ChannelTable table = [] {
        ChannelTable t{};
        for (uint32_t alpha = 0; alpha < 256; ++alpha) {
            for (uint32_t channel = 0; channel < 256; ++channel) {
                t[alpha * 256 + channel] = static_cast<uint8_t>((channel * alpha * 2 + 255) / 510);
            }
        }
        return t;
    }();
    return table;
}

const ChannelTable& divideTable() {
    static const ChannelTable table = [] {
        ChannelTable t{};
        for (uint32_t alpha = 1; alpha < 256; ++alpha) {
            for (uint32_t channel = 0; channel < 256; ++channel) {
                const uint32_t value = (channel * 255 + alpha / 2) / alpha;
                t[alpha * 256 + channel] = static_cast<uint8_t>(value > 255 ? 255 : value);
            }
        }
        return t;
    }();
    return table;
}

void convertArea(const DrawingTarget& target, const PixelArea& area, const ChannelTable& table) noexcept {
    if (target.pixels == nullptr || area.empty()) {
        return;
    }
    const size_t count = static_cast<size_t>(area.right - area.left);
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint8_t* pixel = drawingRowAddress(target, y) + static_cast<size_t>(area.left) * 4;
        for (size_t i = 0; i < count; ++i, pixel += 4) {
            uint32_t word;
            std::memcpy(&word, pixel, sizeof word);
            const uint32_t alpha = word >> 24;
            // Only alpha 1..254 differs between the two forms.
            if (alpha - 1u < 254u) {
                const uint8_t* row = table.data() + alpha * 256u;
                word = (word & 0xFF000000u) | (uint32_t{row[(word >> 16) & 0xFFu]} << 16) |
                       (uint32_t{row[(word >> 8) & 0xFFu]} << 8) | uint32_t{row[word & 0xFFu]};
                std::memcpy(pixel, &word, sizeof word);
            }
        }
    }
}

// How far the rasteriser's premultiplied bytes may lie from the exactly
// rounded product of a colour and the pixel's alpha: coverage at
// anti-aliased edges rounds, and so does every translucent layer laid over
// another (a clock's centre holds the dial and three hands).
constexpr int kPremultipliedTolerance = 3;

int distance(uint32_t a, uint32_t b) noexcept {
    return a > b ? static_cast<int>(a - b) : static_cast<int>(b - a);
}

// Whether all sixteen pixels from `pixel` on are untouched (zero) or exactly
// `exact` or `other`: the two drawn colours seen last, so that text of one
// colour on a box of another is passed over whichever it starts with.
inline bool sixteenKept(const uint8_t* pixel, uint32_t exact, uint32_t other) noexcept {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i wanted = _mm_set1_epi32(static_cast<int>(exact));
    const __m128i alsoWanted = _mm_set1_epi32(static_cast<int>(other));
    auto kept = [&](int k) {
        const __m128i quad = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel + 16 * k));
        return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(quad, zero), _mm_cmpeq_epi32(quad, wanted)),
                            _mm_cmpeq_epi32(quad, alsoWanted));
    };
    const __m128i all = _mm_and_si128(_mm_and_si128(kept(0), kept(1)), _mm_and_si128(kept(2), kept(3)));
    return _mm_movemask_epi8(all) == 0xFFFF;
#else
    for (int n = 0; n < 16; ++n) {
        uint32_t word;
        std::memcpy(&word, pixel + 4 * n, sizeof word);
        if (word != 0 && word != exact && word != other) {
            return false;
        }
    }
    return true;
#endif
}

// How many of the four pixels at `pixel`, from the first on, are untouched
// (zero) or exactly `exact` or `other`.
inline unsigned keptOfFour(const uint8_t* pixel, uint32_t exact, uint32_t other) noexcept {
#if defined(__SSE2__)
    const __m128i quad = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel));
    const __m128i kept = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(quad, _mm_setzero_si128()),
                                                   _mm_cmpeq_epi32(quad, _mm_set1_epi32(static_cast<int>(exact)))),
                                      _mm_cmpeq_epi32(quad, _mm_set1_epi32(static_cast<int>(other))));
    const auto changed = static_cast<unsigned>(~_mm_movemask_epi8(kept)) & 0xFFFFu;
    return changed == 0 ? 4u : static_cast<unsigned>(std::countr_zero(changed)) / 4u;
#else
    unsigned n = 0;
    for (; n < 4; ++n) {
        uint32_t word;
        std::memcpy(&word, pixel + 4 * n, sizeof word);
        if (word != 0 && word != exact && word != other) {
            break;
        }
    }
    return n;
#endif
}

#if defined(__SSE2__)
// The drawn colours, opaque, ready to be compared with four pixels at once.
// Pictures with more colours than this go the long way.
struct OpaqueColours {
    static constexpr size_t kMost = 8;
    __m128i words[kMost]{};
    size_t count = 0;
    bool usable = false;

    explicit OpaqueColours(std::span<const Color> drawn) noexcept {
        if (drawn.size() > kMost) {
            return;
        }
        for (const Color c : drawn) {
            words[count++] = _mm_set1_epi32(static_cast<int>(0xFF000000u | c.argb));
        }
        usable = true;
    }
};

// Whether none of the four pixels at `pixel` changes: each is untouched
// (alpha 0), or opaque and either exactly a drawn colour or further than the
// rasteriser's rounding from every drawn colour (the anti-aliased edge
// between two opaque colours).
inline bool fourStay(const uint8_t* pixel, const OpaqueColours& colours) noexcept {
    const __m128i quad = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel));
    const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i alpha = _mm_and_si128(quad, alphaBits);
    const __m128i zero = _mm_setzero_si128();
    const __m128i untouched = _mm_cmpeq_epi32(alpha, zero);
    const __m128i opaque = _mm_cmpeq_epi32(alpha, alphaBits);
    const __m128i tolerance = _mm_set1_epi8(static_cast<char>(kPremultipliedTolerance));
    __m128i near = zero;
    __m128i exact = zero;
    for (size_t k = 0; k < colours.count; ++k) {
        const __m128i c = colours.words[k];
        const __m128i difference = _mm_or_si128(_mm_subs_epu8(quad, c), _mm_subs_epu8(c, quad));
        const __m128i within = _mm_cmpeq_epi8(_mm_subs_epu8(difference, tolerance), zero);
        near = _mm_or_si128(near, _mm_cmpeq_epi32(within, _mm_cmpeq_epi32(zero, zero)));
        exact = _mm_or_si128(exact, _mm_cmpeq_epi32(quad, c));
    }
    const __m128i stays = _mm_or_si128(untouched, _mm_andnot_si128(_mm_andnot_si128(exact, near), opaque));
    return _mm_movemask_epi8(stays) == 0xFFFF;
}
#endif

}  // namespace

uint8_t* drawingRowAddress(const DrawingTarget& target, int32_t y) noexcept {
    const int32_t memoryRow = target.topDown ? y : target.height - 1 - y;
    return target.pixels + static_cast<size_t>(memoryRow) * target.rowBytes;
}

void premultiplyArea(const DrawingTarget& target, const PixelArea& area) noexcept {
    convertArea(target, area, multiplyTable());
}

void unpremultiplyArea(const DrawingTarget& target, const PixelArea& area) noexcept {
    convertArea(target, area, divideTable());
}

void unpremultiplyAreaTowards(const DrawingTarget& target, const PixelArea& area,
                              std::span<const Color> drawnColours) noexcept {
    if (drawnColours.empty()) {
        unpremultiplyArea(target, area);
        return;
    }
    if (target.pixels == nullptr || area.empty()) {
        return;
    }
    const ChannelTable& multiply = multiplyTable();
    const ChannelTable& divide = divideTable();
    const size_t count = static_cast<size_t>(area.right - area.left);
    // An opaque pixel that holds a drawn colour exactly is that colour's
    // nearest already: it stays as it is. The last two seen are checked first.
    uint32_t lastExact = 0xFF000000u | (drawnColours.back().argb & 0x00FFFFFFu);
    uint32_t priorExact = 0xFF000000u | (drawnColours.front().argb & 0x00FFFFFFu);
    auto seeExact = [&](uint32_t word) {
        if (word != lastExact) {
            priorExact = lastExact;
            lastExact = word;
        }
    };
    auto isDrawnOpaque = [&](uint32_t word) {
        if (word == lastExact || word == priorExact) {
            return true;
        }
        if (word < 0xFF000000u) {
            return false;
        }
        for (const Color c : drawnColours) {
            if ((0xFF000000u | c.argb) == word) {
                seeExact(word);
                return true;
            }
        }
        return false;
    };
#if defined(__SSE2__)
    const OpaqueColours opaqueColours(drawnColours);
#endif
    // The last pixel searched and its result; alpha 0 never reaches the search.
    uint32_t lastIn = 0;
    uint32_t lastOut = 0;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint8_t* pixel = drawingRowAddress(target, y) + static_cast<size_t>(area.left) * 4;
        size_t i = 0;
        while (i < count) {
            // Most of a picture is untouched or one opaque colour, which
            // stay as they are: passed over sixteen, then four pixels at a
            // time, up to the first that may change.
            while (i + 16 <= count && sixteenKept(pixel, lastExact, priorExact)) {
                i += 16;
                pixel += 64;
            }
            if (i == count) {
                break;
            }
            if (i + 4 <= count) {
                const unsigned kept = keptOfFour(pixel, lastExact, priorExact);
                if (kept == 4) {
                    i += 4;
                    pixel += 16;
                    continue;
                }
                i += kept;
                pixel += 4 * kept;
            }
            uint32_t word;
            std::memcpy(&word, pixel, sizeof word);
            const uint32_t alpha = word >> 24;
            if (alpha == 0 || isDrawnOpaque(word)) {
                ++i;
                pixel += 4;
                continue;
            }
#if defined(__SSE2__)
            // The anti-aliased edge between two opaque colours stays as it is.
            if (i + 4 <= count && opaqueColours.usable && fourStay(pixel, opaqueColours)) {
                i += 4;
                pixel += 16;
                continue;
            }
#endif
            ++i;
            pixel += 4;
            // A translucent fill repeats one word over its whole area.
            if (word == lastIn) {
                std::memcpy(pixel - 4, &lastOut, sizeof lastOut);
                continue;
            }
            lastIn = word;
            const uint8_t* product = multiply.data() + alpha * 256u;
            const uint32_t red = (word >> 16) & 0xFFu;
            const uint32_t green = (word >> 8) & 0xFFu;
            const uint32_t blue = word & 0xFFu;
            int best = 3 * kPremultipliedTolerance + 1;
            uint32_t colour = 0;
            // The colour drawn last lies on top where several fit as well.
            for (auto it = drawnColours.rbegin(); it != drawnColours.rend(); ++it) {
                const Color c = *it;
                const int r = distance(product[c.red()], red);
                const int g = distance(product[c.green()], green);
                const int b = distance(product[c.blue()], blue);
                if (r <= kPremultipliedTolerance && g <= kPremultipliedTolerance && b <= kPremultipliedTolerance &&
                    r + g + b < best) {
                    best = r + g + b;
                    colour = c.argb & 0x00FFFFFFu;
                }
            }
            if (alpha == 255) {
                // Opaque blends are exact already, except where the
                // premultiplied arithmetic let a colour over itself drift.
                if (best > 3 * kPremultipliedTolerance) {
                    lastOut = word;
                    continue;
                }
                seeExact(0xFF000000u | colour);
            } else if (best > 3 * kPremultipliedTolerance) {
                const uint8_t* quotient = divide.data() + alpha * 256u;
                colour = uint32_t{quotient[red]} << 16 | uint32_t{quotient[green]} << 8 | uint32_t{quotient[blue]};
            }
            word = (word & 0xFF000000u) | colour;
            lastOut = word;
            std::memcpy(pixel - 4, &word, sizeof word);
        }
    }
}

}  // namespace horavex
