#include "render/Processor.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "render/PixelAddress.h"

// The blend is defined to the bit in single and double precision; this file is
// built with -ffp-contract=off so no compiler fuses a product into a sum.

namespace horavex {
namespace {

constexpr std::size_t kSurfacePixelBytes = 4;

// i / 255 in double precision: the same bits as dividing for every pixel.
constexpr std::array<double, 256> kUnit = [] {
    std::array<double, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<double>(i) / 255.0;
    }
    return table;
}();

// Surface bytes in memory order.
struct SurfacePixel {
    unsigned char blue;
    unsigned char green;
    unsigned char red;
    unsigned char alpha;
};

inline SurfacePixel loadSurfacePixel(const unsigned char* p) noexcept {
    return SurfacePixel{p[0], p[1], p[2], p[3]};
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

// Leading surface pixels with all four bytes zero: pixels no fill touched.
// Such runs go to memmove/memset instead of the per-pixel path.
inline std::size_t undrawnRun(const unsigned char* draw, std::size_t count) noexcept {
    std::size_t i = 0;
    while (i + 4 <= count) {
        std::uint64_t first;
        std::uint64_t second;
        std::memcpy(&first, draw + i * kSurfacePixelBytes, sizeof first);
        std::memcpy(&second, draw + i * kSurfacePixelBytes + 8, sizeof second);
        if ((first | second) != 0) {
            break;
        }
        i += 4;
    }
    while (i < count) {
        std::uint32_t word;
        std::memcpy(&word, draw + i * kSurfacePixelBytes, sizeof word);
        if (word != 0) {
            break;
        }
        ++i;
    }
    return i;
}

template <typename PIX, int max, int isFloat>
struct PixelMath;

// The integer classes: every product, 1 - h and the sum in single precision.
template <typename PIX, int max>
struct PixelMath<PIX, max, 0> {
    using Channel = decltype(PIX::r);
    static_assert(std::is_unsigned_v<Channel> && max % 255 == 0);
    static constexpr int kScale = max / 255;  // 1 or 257: one surface step in output steps

    static Channel blendChannel(unsigned char drawn, Channel source, float h, float k) noexcept {
        const float value = (static_cast<float>(kScale) * static_cast<float>(drawn)) * h +
                            static_cast<float>(source) * k;
        // Both weights lie in [0, 1], so value lies in [0, max] up to rounding.
        return value >= static_cast<float>(max) ? static_cast<Channel>(max)
                                                : static_cast<Channel>(value);
    }

    static PIX blend(SurfacePixel d, const PIX& s) noexcept {
        if (d.alpha == 255) {
            return opaque(d);
        }
        const float h = static_cast<float>(kUnit[d.alpha]);
        const float k = 1.0f - h;
        return PIX{blendChannel(d.red, s.r, h, k), blendChannel(d.green, s.g, h, k),
                   blendChannel(d.blue, s.b, h, k), static_cast<Channel>(max)};
    }

    // What the blend gives for every source at h = 1.
    static PIX opaque(SurfacePixel d) noexcept {
        return PIX{static_cast<Channel>(kScale * d.red), static_cast<Channel>(kScale * d.green),
                   static_cast<Channel>(kScale * d.blue), static_cast<Channel>(max)};
    }

    // Colour x alpha / 255, rounded to nearest; exact (c * kScale) at alpha 255.
    static Channel premultiplied(unsigned char colour, unsigned char alpha) noexcept {
        const std::uint32_t product = std::uint32_t{colour} * alpha * kScale;
        return static_cast<Channel>((product + 127) / 255);
    }

    static PIX copy(SurfacePixel d) noexcept {
        return PIX{premultiplied(d.red, d.alpha), premultiplied(d.green, d.alpha),
                   premultiplied(d.blue, d.alpha), static_cast<Channel>(kScale * d.alpha)};
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
    static OfxRGBAColourF blend(SurfacePixel d, const OfxRGBAColourF& s) noexcept {
        if (d.alpha == 255) {
            return OfxRGBAColourF{static_cast<float>(kUnit[d.red]), static_cast<float>(kUnit[d.green]),
                                  static_cast<float>(kUnit[d.blue]), 1.0f};
        }
        const float h = static_cast<float>(kUnit[d.alpha]);
        const float k = 1.0f - h;
        const double wide = h;
        return OfxRGBAColourF{blendChannel(d.red, s.r, wide, k), blendChannel(d.green, s.g, wide, k),
                              blendChannel(d.blue, s.b, wide, k), 1.0f};
    }

    static OfxRGBAColourF copy(SurfacePixel d) noexcept {
        const float h = static_cast<float>(kUnit[d.alpha]);
        const double wide = h;
        return OfxRGBAColourF{static_cast<float>(kUnit[d.red] * wide),
                              static_cast<float>(kUnit[d.green] * wide),
                              static_cast<float>(kUnit[d.blue] * wide), h};
    }
};

template <typename PIX, int max, int isFloat>
struct Spans {
    using Math = PixelMath<PIX, max, isFloat>;
    static constexpr std::size_t kPixel = sizeof(PIX);

    static bool keyMatches(SurfacePixel d, OfxRGBAColourB key) noexcept {
        return d.red == key.r && d.green == key.g && d.blue == key.b;
    }

    // Inside the drawing rectangle, where every pixel has a source pixel.
    static void overSource(unsigned char* dst, const unsigned char* src, const unsigned char* draw,
                           std::size_t count, bool useKey, OfxRGBAColourB key) noexcept {
        // An untouched surface pixel is (0, 0, 0, 0): keyed away by a black key.
        const bool undrawnIsKeyed = useKey && key.r == 0 && key.g == 0 && key.b == 0;
        std::size_t i = 0;
        while (i < count) {
            const std::size_t run = undrawnRun(draw + i * kSurfacePixelBytes, count - i);
            if (run != 0) {
                if (undrawnIsKeyed) {
                    std::memset(dst + i * kPixel, 0, run * kPixel);
                } else {
                    std::memmove(dst + i * kPixel, src + i * kPixel, run * kPixel);
                }
                i += run;
                if (i == count) {
                    break;
                }
            }
            const SurfacePixel d = loadSurfacePixel(draw + i * kSurfacePixelBytes);
            PIX out{};  // keyed away unless replaced
            if (!(useKey && keyMatches(d, key))) {
                const PIX source = loadPixel<PIX>(src + i * kPixel);
                out = d.alpha != 0 ? Math::blend(d, source) : source;
            }
            storePixel(dst + i * kPixel, out);
            ++i;
        }
    }

    // Inside the drawing rectangle, where no pixel has a source pixel; keying
    // has nothing to reveal there.
    static void overBlack(unsigned char* dst, const unsigned char* draw,
                          std::size_t count) noexcept {
        std::size_t i = 0;
        while (i < count) {
            const std::size_t run = undrawnRun(draw + i * kSurfacePixelBytes, count - i);
            if (run != 0) {
                std::memset(dst + i * kPixel, 0, run * kPixel);
                i += run;
                if (i == count) {
                    break;
                }
            }
            const SurfacePixel d = loadSurfacePixel(draw + i * kSurfacePixelBytes);
            storePixel(dst + i * kPixel, d.alpha != 0 ? Math::copy(d) : PIX{});
            ++i;
        }
    }
};

// Half-open column ranges of one row, in image pixels.
struct ColumnSpan {
    std::int64_t begin;
    std::int64_t end;
};

inline std::int64_t clampTo(std::int64_t value, std::int64_t low, std::int64_t high) noexcept {
    return std::min(std::max(value, low), high);
}

}  // namespace

Processor::Processor(AbortPoll abortPoll_, bool useKey_, OfxRectI drawRect_,
                     OfxRGBAColourB keyColour_, const unsigned char* drawBits_,
                     const void* srcData_, OfxRectI srcBounds_, int srcRowBytes_, void* dstData_,
                     OfxRectI dstBounds_, int dstRowBytes_, int drawRowBytes_,
                     OfxRectI renderWindow_)
    : abortPoll(std::move(abortPoll_)),
      useKey(useKey_),
      drawRect(drawRect_),
      keyColour(keyColour_),
      drawBits(drawBits_),
      srcData(srcData_),
      dstData(dstData_),
      srcBounds(srcBounds_),
      dstBounds(dstBounds_),
      renderWindow(renderWindow_),
      srcRowBytes(srcRowBytes_),
      dstRowBytes(dstRowBytes_),
      drawRowBytes(drawRowBytes_) {}

void Processor::run() {
    processWindow(renderWindow);
}

template <typename PIX, int max, int isFloat>
void ProcessRGBA<PIX, max, isFloat>::processWindow(const OfxRectI& window) {
    using RowSpans = Spans<PIX, max, isFloat>;
    constexpr std::size_t kPixel = sizeof(PIX);

    // Only pixels of the output image are written, whatever window is asked for.
    const OfxRectI area = intersectRects(window, dstBounds);
    if (dstData == nullptr || rectIsEmpty(area)) {
        return;
    }
    const std::int64_t rowBegin = area.x1;
    const std::int64_t rowEnd = area.x2;
    const bool haveSource = srcData != nullptr && !rectIsEmpty(srcBounds);

    // The drawing rectangle in image pixels, cut to the surface: the surface
    // spans the render window, and a row holds no more pixels than its bytes.
    std::int64_t surfaceColumns = 0;
    std::int64_t surfaceRows = 0;
    if (drawBits != nullptr) {
        surfaceColumns = std::min(rectWidth(renderWindow),
                                  std::abs(std::int64_t{drawRowBytes}) /
                                      static_cast<std::int64_t>(kSurfacePixelBytes));
        surfaceRows = rectHeight(renderWindow);
    }
    const std::int64_t drawLeft = std::max<std::int64_t>(drawRect.x1, 0) + renderWindow.x1;
    const std::int64_t drawRight = std::min<std::int64_t>(drawRect.x2, surfaceColumns) + renderWindow.x1;
    const std::int64_t drawBottom = std::max<std::int64_t>(drawRect.y1, 0) + renderWindow.y1;
    const std::int64_t drawTop = std::min<std::int64_t>(drawRect.y2, surfaceRows) + renderWindow.y1;

    auto* const dstBytes = static_cast<unsigned char*>(dstData);
    const auto* const srcBytes = static_cast<const unsigned char*>(srcData);

    for (int y = area.y1; y < area.y2; ++y) {
        if (abortPoll && abortPoll()) {
            return;
        }
        unsigned char* const dstRow =
            dstBytes + pixelOffset(dstBounds, area.x1, y, dstRowBytes, kPixel);
        auto dstAt = [&](std::int64_t x) { return dstRow + (x - rowBegin) * std::int64_t{kPixel}; };
        auto srcAt = [&](std::int64_t x) {
            return srcBytes + pixelOffset(srcBounds, static_cast<int>(x), y, srcRowBytes, kPixel);
        };
        auto drawAt = [&](std::int64_t x) {
            return drawBits + pixelOffset(renderWindow, static_cast<int>(x), y, drawRowBytes,
                                          kSurfacePixelBytes);
        };

        ColumnSpan source{rowEnd, rowEnd};
        if (haveSource && y >= srcBounds.y1 && y < srcBounds.y2) {
            source.begin = clampTo(srcBounds.x1, rowBegin, rowEnd);
            source.end = clampTo(srcBounds.x2, source.begin, rowEnd);
        }
        ColumnSpan drawn{rowEnd, rowEnd};
        if (y >= drawBottom && y < drawTop) {
            drawn.begin = clampTo(drawLeft, rowBegin, rowEnd);
            drawn.end = clampTo(drawRight, drawn.begin, rowEnd);
        }

        // Outside the drawing the source passes through, black where it has no pixel.
        auto passThrough = [&](std::int64_t from, std::int64_t to) {
            if (from >= to) {
                return;
            }
            const std::int64_t sourceFrom = clampTo(source.begin, from, to);
            const std::int64_t sourceTo = clampTo(source.end, sourceFrom, to);
            if (from < sourceFrom) {
                std::memset(dstAt(from), 0, static_cast<std::size_t>(sourceFrom - from) * kPixel);
            }
            if (sourceFrom < sourceTo) {
                std::memmove(dstAt(sourceFrom), srcAt(sourceFrom),
                             static_cast<std::size_t>(sourceTo - sourceFrom) * kPixel);
            }
            if (sourceTo < to) {
                std::memset(dstAt(sourceTo), 0, static_cast<std::size_t>(to - sourceTo) * kPixel);
            }
        };
        auto composite = [&](std::int64_t from, std::int64_t to) {
            if (from >= to) {
                return;
            }
            const std::int64_t sourceFrom = clampTo(source.begin, from, to);
            const std::int64_t sourceTo = clampTo(source.end, sourceFrom, to);
            if (from < sourceFrom) {
                RowSpans::overBlack(dstAt(from), drawAt(from),
                                    static_cast<std::size_t>(sourceFrom - from));
            }
            if (sourceFrom < sourceTo) {
                RowSpans::overSource(dstAt(sourceFrom), srcAt(sourceFrom), drawAt(sourceFrom),
                                     static_cast<std::size_t>(sourceTo - sourceFrom), useKey,
                                     keyColour);
            }
            if (sourceTo < to) {
                RowSpans::overBlack(dstAt(sourceTo), drawAt(sourceTo),
                                    static_cast<std::size_t>(to - sourceTo));
            }
        };

        passThrough(rowBegin, drawn.begin);
        composite(drawn.begin, drawn.end);
        passThrough(drawn.end, rowEnd);
    }
}

template class ProcessRGBA<OfxRGBAColourB, 255, 0>;
template class ProcessRGBA<OfxRGBAColourS, 65535, 0>;
template class ProcessRGBA<OfxRGBAColourF, 1, 1>;

bool runProcessorForDepth(int bitDepth, AbortPoll abortPoll, bool useKey, OfxRectI drawRect,
                          OfxRGBAColourB keyColour, const unsigned char* drawBits,
                          const void* srcData, OfxRectI srcBounds, int srcRowBytes, void* dstData,
                          OfxRectI dstBounds, int dstRowBytes, int drawRowBytes,
                          OfxRectI renderWindow) {
    switch (bitDepth) {
        case 8: {
            ProcessRGBA8 processor(std::move(abortPoll), useKey, drawRect, keyColour, drawBits,
                                   srcData, srcBounds, srcRowBytes, dstData, dstBounds,
                                   dstRowBytes, drawRowBytes, renderWindow);
            processor.run();
            return true;
        }
        case 16: {
            ProcessRGBA16 processor(std::move(abortPoll), useKey, drawRect, keyColour, drawBits,
                                    srcData, srcBounds, srcRowBytes, dstData, dstBounds,
                                    dstRowBytes, drawRowBytes, renderWindow);
            processor.run();
            return true;
        }
        case 32: {
            ProcessRGBAFloat processor(std::move(abortPoll), useKey, drawRect, keyColour, drawBits,
                                       srcData, srcBounds, srcRowBytes, dstData, dstBounds,
                                       dstRowBytes, drawRowBytes, renderWindow);
            processor.run();
            return true;
        }
        default:
            return false;
    }
}

}  // namespace horavex
