#include "core/compositing/Processor.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>

#include "core/compositing/PixelAddress.h"
#include "core/compositing/PixelMath.h"
#include "core/compositing/SurfaceRuns.h"

// Built with -ffp-contract=off: see core/compositing/PixelMath.h.

namespace horavex {
namespace {

using compose::kSurfacePixelBytes;
using compose::loadPixel;
using compose::loadSurfacePixel;
using compose::storePixel;
using compose::SurfacePixel;
using compose::surfaceWordAt;

// Runs of one translucent surface word at least this long are blended
// together.
constexpr std::size_t kMinTranslucentRun = 16;

template <typename PIX, int max, int isFloat>
struct Spans {
    using Math = compose::PixelMath<PIX, max, isFloat>;
    static constexpr std::size_t kPixel = sizeof(PIX);

    // One span of the drawing rectangle, all with or all without source
    // pixels. Three kinds of run: untouched surface (bulk copy or clear),
    // opaque drawing (the drawing colour, source unread) and the rest.
    // `copy`, when given, holds the span's pixels as copied without a source
    // (their opaque ones are taken from there); with `passed` the output
    // already holds what untouched pixels give.
    template <bool kWithSource>
    static void composite(unsigned char* dst, const unsigned char* src, const unsigned char* draw,
                          std::size_t count, bool useKey, OfxRGBAColourB key, const PIX* copy = nullptr,
                          bool passed = false) noexcept {
        // Keying needs a source pixel to reveal.
        const bool keyed = kWithSource && useKey;
        const std::uint32_t keyWord = std::uint32_t{key.b} | std::uint32_t{key.g} << 8 |
                                      std::uint32_t{key.r} << 16;
        constexpr std::uint32_t kColourMask = 0x00FFFFFFu;
        constexpr std::uint32_t kOpaque = 0xFF000000u;
        // An untouched surface pixel is (0, 0, 0, 0): keyed away by a black key.
        const bool undrawnIsKeyed = keyed && keyWord == 0;
        auto opaqueUnkeyed = [&](std::uint32_t word) {
            return (word & kOpaque) == kOpaque && !(keyed && (word & kColourMask) == keyWord);
        };

        std::size_t i = 0;
        while (i < count) {
            const std::uint32_t word = surfaceWordAt(draw + i * kSurfacePixelBytes);
            if (word == 0) {
                const std::size_t run =
                    compose::undrawnRun(draw + i * kSurfacePixelBytes, count - i);
                if (passed && !undrawnIsKeyed) {
                    // Already there.
                } else if (kWithSource && !undrawnIsKeyed) {
                    std::memmove(dst + i * kPixel, src + i * kPixel, run * kPixel);
                } else {
                    std::memset(dst + i * kPixel, 0, run * kPixel);
                }
                i += run;
            } else if (opaqueUnkeyed(word)) {
                if (keyed) {
                    // Every colour has to be held against the key.
                    while (i < count) {
                        const std::uint32_t next = surfaceWordAt(draw + i * kSurfacePixelBytes);
                        if (!opaqueUnkeyed(next)) {
                            break;
                        }
                        storePixel(dst + i * kPixel, Math::opaque(next));
                        ++i;
                    }
                } else if (copy != nullptr) {
                    const std::size_t run = compose::opaqueRunLength(draw + i * kSurfacePixelBytes, count - i);
                    std::memcpy(dst + i * kPixel, copy + i, run * kPixel);
                    i += run;
                } else {
                    i += Math::opaqueRun(dst + i * kPixel, draw + i * kSurfacePixelBytes, count - i);
                }
            } else if (kWithSource && word < kOpaque && !(keyed && (word & kColourMask) == keyWord) &&
                       (word >> 24) != 0) {
                // A translucent fill repeats one word: blend the run at once.
                std::size_t run = 1;
                while (i + run < count && surfaceWordAt(draw + (i + run) * kSurfacePixelBytes) == word) {
                    ++run;
                }
                if (run >= kMinTranslucentRun) {
                    Math::translucentRun(dst + i * kPixel, src + i * kPixel, word, run);
                } else {
                    for (std::size_t j = i; j < i + run; ++j) {
                        storePixel(dst + j * kPixel,
                                   Math::blend(compose::pixelOfWord(word), loadPixel<PIX>(src + j * kPixel)));
                    }
                }
                i += run;
            } else {
                const SurfacePixel d = loadSurfacePixel(draw + i * kSurfacePixelBytes);
                PIX out{};  // keyed away, or undrawn without a source
                if constexpr (kWithSource) {
                    if (!(keyed && (word & kColourMask) == keyWord)) {
                        const PIX source = loadPixel<PIX>(src + i * kPixel);
                        out = d.alpha != 0 ? Math::blend(d, source) : source;
                    }
                } else if (d.alpha != 0) {
                    out = Math::copy(d);
                }
                storePixel(dst + i * kPixel, out);
                ++i;
            }
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
      surfaceBounds(renderWindow_),
      inkBounds(renderWindow_),
      srcRowBytes(srcRowBytes_),
      dstRowBytes(dstRowBytes_),
      drawRowBytes(drawRowBytes_) {}

void Processor::run() {
    processWindow(renderWindow);
}

void Processor::setSurface(OfxRectI bounds, OfxRectI ink) {
    surfaceBounds = bounds;
    // Surface pixels to image pixels, in 64 bits, cut back to the int range.
    auto at = [](std::int32_t origin, std::int32_t offset) {
        return static_cast<int>(clampTo(std::int64_t{origin} + offset, std::numeric_limits<int>::min(),
                                        std::numeric_limits<int>::max()));
    };
    inkBounds = OfxRectI{at(bounds.x1, ink.x1), at(bounds.y1, ink.y1), at(bounds.x1, ink.x2), at(bounds.y1, ink.y2)};
}

void Processor::setRowsPerAbortPoll(unsigned rows) {
    rowsPerAbortPoll = rows == 0 ? 1 : rows;
}

void Processor::setInkRuns(const InkRuns* runs) {
    inkRuns = runs;
}

void Processor::setInkPixels(const unsigned char* bits, int rowBytes) {
    drawBits = bits;
    drawRowBytes = rowBytes;
    inkApart = true;
}

void Processor::processBand(unsigned index, unsigned count) {
    const OfxRectI area = intersectRects(renderWindow, dstBounds);
    if (count == 0 || index >= count || rectIsEmpty(area)) {
        return;
    }
    const std::int64_t rows = rectHeight(area);
    auto edge = [&](unsigned k) {
        return static_cast<int>(area.y1 + rows * static_cast<std::int64_t>(k) / static_cast<std::int64_t>(count));
    };
    const OfxRectI band{area.x1, edge(index), area.x2, edge(index + 1)};
    if (!rectIsEmpty(band)) {
        processWindow(band);
    }
}

template <typename PIX, int max, int isFloat>
void ProcessRGBA<PIX, max, isFloat>::setInkCopy(const PIX* pixels, std::size_t rowPixels) {
    inkCopy = pixels;
    inkCopyRowPixels = rowPixels;
}

template <typename PIX, int max, int isFloat>
void ProcessRGBA<PIX, max, isFloat>::copyInk(const unsigned char* ink, std::size_t inkRowBytes, std::size_t columns,
                                             std::size_t rows, PIX* out) noexcept {
    for (std::size_t row = 0; row < rows; ++row) {
        Spans<PIX, max, isFloat>::template composite<false>(reinterpret_cast<unsigned char*>(out + row * columns),
                                                            nullptr, ink + row * inkRowBytes, columns, false,
                                                            OfxRGBAColourB{0, 0, 0, 0});
    }
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
    const std::int64_t rowPixels = std::abs(std::int64_t{drawRowBytes}) / static_cast<std::int64_t>(kSurfacePixelBytes);
    if (inkApart) {
        // Without ink pixels the whole surface is untouched.
        surfaceColumns = rectWidth(surfaceBounds);
        surfaceRows = rectHeight(surfaceBounds);
    } else if (drawBits != nullptr) {
        surfaceColumns = std::min(rectWidth(surfaceBounds), rowPixels);
        surfaceRows = rectHeight(surfaceBounds);
    }
    const std::int64_t drawLeft = std::max<std::int64_t>(drawRect.x1, 0) + surfaceBounds.x1;
    const std::int64_t drawRight = std::min<std::int64_t>(drawRect.x2, surfaceColumns) + surfaceBounds.x1;
    const std::int64_t drawBottom = std::max<std::int64_t>(drawRect.y1, 0) + surfaceBounds.y1;
    const std::int64_t drawTop = std::min<std::int64_t>(drawRect.y2, surfaceRows) + surfaceBounds.y1;
    // Inside the drawing rectangle but outside the ink the surface is all zero.
    const std::int64_t inkLeft = inkBounds.x1;
    const std::int64_t inkRight =
        inkApart ? std::min<std::int64_t>(inkBounds.x2, std::int64_t{inkBounds.x1} + (drawBits != nullptr ? rowPixels : 0))
                 : inkBounds.x2;
    const std::int64_t inkBottom = inkBounds.y1;
    const std::int64_t inkTop = inkBounds.y2;
    const bool undrawnIsKeyed = useKey && keyColour.r == 0 && keyColour.g == 0 && keyColour.b == 0;

    auto* const dstBytes = static_cast<unsigned char*>(dstData);
    const auto* const srcBytes = static_cast<const unsigned char*>(srcData);

    // Rows that pass through whole (a clear, or a copy of the source) go
    // as one block of memory while the rows of both images lie back to back
    // (the window spans the output's width, the source has the same layout).
    // Rows with drawing in them go so too, and their drawing is composited
    // over the block afterwards: a large clear runs up to twice as fast on
    // some machines as the same clear in pieces around the clock.
    const std::int64_t packedRowBytes = rectWidth(dstBounds) * static_cast<std::int64_t>(kPixel);
    const bool dstPacked = area.x1 == dstBounds.x1 && area.x2 == dstBounds.x2 && dstRowBytes > 0 &&
                           dstRowBytes == packedRowBytes;
    const bool srcPacked = haveSource && srcBounds.x1 == dstBounds.x1 && srcBounds.x2 == dstBounds.x2 &&
                           srcRowBytes == dstRowBytes;
    const bool drawSpansRows = drawLeft < rowEnd && drawRight > rowBegin && drawLeft < drawRight;
    enum class Passing { Apart, Clear, Copy };
    auto passingOf = [&](int y) {
        if (!dstPacked) {
            return Passing::Apart;
        }
        if (!haveSource || y < srcBounds.y1 || y >= srcBounds.y2) {
            return Passing::Clear;
        }
        return srcPacked ? Passing::Copy : Passing::Apart;
    };
    auto hasDrawing = [&](int y) {
        const bool drawnRow = drawSpansRows && y >= drawBottom && y < drawTop;
        const bool inkRow = y >= inkBottom && y < inkTop && inkLeft < inkRight;
        return drawnRow && (undrawnIsKeyed || inkRow);
    };

    // One row, all of it, or only the pixels its drawing decides when the
    // row has been passed through already.
    auto processRow = [&](int y, bool passedThrough) {
        unsigned char* const dstRow =
            dstBytes + pixelOffset(dstBounds, area.x1, y, dstRowBytes, kPixel);
        auto dstAt = [&](std::int64_t x) { return dstRow + (x - rowBegin) * std::int64_t{kPixel}; };
        auto srcAt = [&](std::int64_t x) {
            return srcBytes + pixelOffset(srcBounds, static_cast<int>(x), y, srcRowBytes, kPixel);
        };
        // The pixels kept are the surface's, or the ink's alone.
        const OfxRectI& drawnPixels = inkApart ? inkBounds : surfaceBounds;
        auto drawAt = [&](std::int64_t x) {
            return drawBits + pixelOffset(drawnPixels, static_cast<int>(x), y, drawRowBytes, kSurfacePixelBytes);
        };
        // Pixels without a source pixel: copied from the ink's copy when
        // there is one, else converted from the drawing.
        const PIX* const copyRow =
            inkApart && inkCopy != nullptr && y >= inkBottom && y < inkTop
                ? inkCopy + static_cast<std::size_t>(std::int64_t{y} - inkBottom) * inkCopyRowPixels
                : nullptr;
        auto withoutSource = [&](std::int64_t from, std::int64_t to) {
            if (copyRow != nullptr) {
                std::memcpy(dstAt(from), copyRow + (from - inkBounds.x1), static_cast<std::size_t>(to - from) * kPixel);
            } else {
                RowSpans::template composite<false>(dstAt(from), nullptr, drawAt(from),
                                                    static_cast<std::size_t>(to - from), useKey, keyColour);
            }
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

        // Outside the drawing the source passes through, black where it has
        // no pixel; rows passed through already keep it.
        auto passThrough = [&](std::int64_t from, std::int64_t to) {
            if (passedThrough || from >= to) {
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
                withoutSource(from, sourceFrom);
            }
            if (sourceFrom < sourceTo) {
                RowSpans::template composite<true>(
                    dstAt(sourceFrom), srcAt(sourceFrom), drawAt(sourceFrom),
                    static_cast<std::size_t>(sourceTo - sourceFrom), useKey, keyColour,
                    copyRow != nullptr ? copyRow + (sourceFrom - inkBounds.x1) : nullptr, passedThrough);
            }
            if (sourceTo < to) {
                withoutSource(sourceTo, to);
            }
        };

        // Undrawn pixels of the drawing rectangle: the source, or black where
        // there is none or a black key takes them.
        auto undrawn = [&](std::int64_t from, std::int64_t to) {
            if (from >= to) {
                return;
            }
            if (undrawnIsKeyed) {
                std::memset(dstAt(from), 0, static_cast<std::size_t>(to - from) * kPixel);
            } else {
                passThrough(from, to);
            }
        };
        ColumnSpan inked{drawn.end, drawn.end};
        if (y >= inkBottom && y < inkTop) {
            inked.begin = clampTo(inkLeft, drawn.begin, drawn.end);
            inked.end = clampTo(inkRight, inked.begin, drawn.end);
        }

        passThrough(rowBegin, drawn.begin);
        undrawn(drawn.begin, inked.begin);
        if (copyRow != nullptr && source.begin >= source.end) {
            // Without a source pixel the ink's copy is the whole span, its
            // undrawn pixels black as a clear (or a black key) leaves them:
            // one copy instead of one per drawn run.
            withoutSource(inked.begin, inked.end);
        } else if (inkRuns != nullptr) {
            const auto surfaceRow = static_cast<std::int32_t>(
                clampTo(std::int64_t{y} - surfaceBounds.y1, std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max()));
            // The surface's rows lie a frame's width apart, too far for the
            // processor to fetch the ones ahead by itself: the drawn runs of
            // a row a few ahead are asked for while this one is composited.
            constexpr int kRowsAhead = 3;
            if (std::int64_t{y} + kRowsAhead < std::min<std::int64_t>(area.y2, drawTop) &&
                surfaceRow < std::numeric_limits<std::int32_t>::max() - kRowsAhead) {
                const ColumnRun* const aheadEnd = inkRuns->rowEnd(surfaceRow + kRowsAhead);
                for (const ColumnRun* run = inkRuns->rowBegin(surfaceRow + kRowsAhead); run != aheadEnd; ++run) {
                    // Only columns this row may read too (the drawing
                    // rectangle within the surface's row).
                    const std::int64_t from =
                        clampTo(std::int64_t{run->begin} + surfaceBounds.x1, drawn.begin, drawn.end);
                    const std::int64_t to = clampTo(std::int64_t{run->end} + surfaceBounds.x1, from, drawn.end);
                    for (std::int64_t x = from; x < to; x += 16) {
                        __builtin_prefetch(drawBits + pixelOffset(drawnPixels, static_cast<int>(x), y + kRowsAhead,
                                                                  drawRowBytes, kSurfacePixelBytes));
                    }
                }
            }
            std::int64_t cursor = inked.begin;
            const ColumnRun* const last = inkRuns->rowEnd(surfaceRow);
            for (const ColumnRun* run = inkRuns->rowBegin(surfaceRow); run != last; ++run) {
                const std::int64_t from = clampTo(std::int64_t{run->begin} + surfaceBounds.x1, cursor, inked.end);
                const std::int64_t to = clampTo(std::int64_t{run->end} + surfaceBounds.x1, from, inked.end);
                undrawn(cursor, from);
                composite(from, to);
                cursor = to;
            }
            undrawn(cursor, inked.end);
        } else {
            composite(inked.begin, inked.end);
        }
        undrawn(inked.end, drawn.end);
        passThrough(drawn.end, rowEnd);
    };

    unsigned rowsSincePoll = 0;
    for (int y = area.y1; y < area.y2;) {
        if (++rowsSincePoll == rowsPerAbortPoll) {
            rowsSincePoll = 0;
            if (abortPoll && abortPoll()) {
                return;
            }
        }
        // The rows up to the one before the next poll, done whole before it.
        const int chunkEnd = static_cast<int>(std::min<std::int64_t>(
            area.y2, std::int64_t{y} + static_cast<std::int64_t>(rowsPerAbortPoll - rowsSincePoll)));
        for (int row = y; row < chunkEnd;) {
            const Passing passing = passingOf(row);
            int rows = 1;
            while (row + rows < chunkEnd && passingOf(row + rows) == passing) {
                ++rows;
            }
            if (passing != Passing::Apart) {
                const auto bytes = static_cast<std::size_t>(packedRowBytes) * static_cast<std::size_t>(rows);
                unsigned char* const block = dstBytes + pixelOffset(dstBounds, area.x1, row, dstRowBytes, kPixel);
                if (passing == Passing::Clear) {
                    std::memset(block, 0, bytes);
                } else {
                    std::memmove(block, srcBytes + pixelOffset(srcBounds, area.x1, row, srcRowBytes, kPixel), bytes);
                }
            }
            for (int r = row; r < row + rows; ++r) {
                if (passing == Passing::Apart || hasDrawing(r)) {
                    processRow(r, passing != Passing::Apart);
                }
            }
            row += rows;
        }
        rowsSincePoll += static_cast<unsigned>(chunkEnd - y - 1);
        y = chunkEnd;
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

namespace {

// The job's processor for one pixel type, its surface and options set, run
// whole or in bands.
template <typename P>
void runJob(const CompositeJob& job, unsigned bands, const BandRunner& runner) {
    P processor(job.abortPoll, job.useKey, job.drawRect, job.keyColour, job.drawBits, job.srcData, job.srcBounds,
                job.srcRowBytes, job.dstData, job.dstBounds, job.dstRowBytes, job.drawRowBytes, job.renderWindow);
    processor.setSurface(job.surfaceBounds, job.ink);
    processor.setRowsPerAbortPoll(job.rowsPerAbortPoll);
    processor.setInkRuns(job.inkRuns);
    if (job.inkApart) {
        processor.setInkPixels(job.drawBits, job.drawRowBytes);
        if constexpr (std::is_same_v<P, ProcessRGBA8>) {
            if (job.inkCopy8 != nullptr) {
                processor.setInkCopy(job.inkCopy8, static_cast<std::size_t>(std::max(job.ink.x2 - job.ink.x1, 0)));
            }
        }
    }
    if (bands < 2 || !runner) {
        processor.run();
        return;
    }
    runner(bands, [&processor, bands](unsigned band) { processor.processBand(band, bands); });
}

}  // namespace

bool runProcessorForDepth(int bitDepth, const CompositeJob& job, unsigned bands, const BandRunner& runner) {
    switch (bitDepth) {
        case 8:
            runJob<ProcessRGBA8>(job, bands, runner);
            return true;
        case 16:
            runJob<ProcessRGBA16>(job, bands, runner);
            return true;
        case 32:
            runJob<ProcessRGBAFloat>(job, bands, runner);
            return true;
        default:
            return false;
    }
}

}  // namespace horavex
