#include "core/compositing/RenderPlan.h"

#include <algorithm>
#include <limits>

#include "core/compositing/ClockGeometry.h"
#include "core/compositing/PixelAddress.h"

namespace horavex {

namespace {

constexpr int64_t kPixelsWorthThreads = int64_t{1} << 17;
constexpr int64_t kMinRowsPerBand = 16;
constexpr int64_t kBytesWorthCompositingThreads = int64_t{12} << 20;
constexpr int32_t kMinOverlapMargin = 16;

// rows x columns x factor reaches limit (no product formed that could overflow).
bool reaches(int64_t rows, int64_t columns, int64_t factor, int64_t limit) {
    if (rows <= 0 || columns <= 0 || factor <= 0) {
        return limit <= 0;
    }
    return columns >= (limit + rows - 1) / rows || columns * rows >= (limit + factor - 1) / factor;
}

}  // namespace

int32_t extent(int32_t low, int32_t high) {
    const int64_t size = int64_t{high} - int64_t{low};
    return static_cast<int32_t>(std::clamp<int64_t>(size, 0, std::numeric_limits<int32_t>::max()));
}

bool worthThreads(const OfxRectI& window, const OfxRectI& bounds) {
    const OfxRectI area = intersectRects(window, bounds);
    return reaches(rectHeight(area), rectWidth(area), 1, kPixelsWorthThreads);
}

unsigned threadsFor(const OfxRectI& window, const OfxRectI& bounds, unsigned hostThreads) {
    if (!worthThreads(window, bounds)) {
        return 1;
    }
    const int64_t rows = rectHeight(intersectRects(window, bounds));
    const int64_t threads = std::max<int64_t>(hostThreads, 1);
    return static_cast<unsigned>(std::clamp<int64_t>(std::min(threads, rows / kMinRowsPerBand), 1, threads));
}

bool worthCompositingThreads(const OfxRectI& window, const OfxRectI& bounds, int32_t bitDepth) {
    const OfxRectI area = intersectRects(window, bounds);
    // Four channels of bitDepth bits each.
    const int64_t bytesPerPixel = std::max<int64_t>(int64_t{bitDepth} / 2, 1);
    return reaches(rectHeight(area), rectWidth(area), bytesPerPixel, kBytesWorthCompositingThreads) &&
           worthThreads(window, bounds);
}

RowRange inkRows(const ClockPicture& picture, const OfxRectI& frame) {
    auto at = [&frame](int32_t row) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{frame.y1} + row, std::numeric_limits<int32_t>::min(),
                                                        std::numeric_limits<int32_t>::max()));
    };
    if (picture.ink.y2 <= picture.ink.y1 || picture.ink.x2 <= picture.ink.x1) {
        return RowRange{};
    }
    return RowRange{at(picture.ink.y1), at(picture.ink.y2)};
}

int32_t overlapMargin(RowRange lastInkRows) {
    return static_cast<int32_t>(
        std::max<int64_t>(kMinOverlapMargin, (int64_t{lastInkRows.end} - lastInkRows.begin) / 4));
}

CompositeJob jobWithPicture(const CompositeJob& job, const ClockPicture& picture, const OfxRectI& window,
                            int32_t bitDepth) {
    CompositeJob withPicture = job;
    withPicture.renderWindow = window;
    withPicture.drawRect = drawRectFromArea(picture.drawArea);
    withPicture.drawBits = picture.inkPixels();
    withPicture.drawRowBytes = static_cast<int>(picture.inkRowBytes);
    withPicture.inkApart = true;
    if (bitDepth == 8) {
        withPicture.inkCopy8 = picture.inkCopy8();
    }
    withPicture.ink = picture.ink;
    withPicture.inkRuns = &picture.runs;
    return withPicture;
}

}  // namespace horavex
