#include "core/compositing/InkRuns.h"

#include <algorithm>

#include "core/compositing/SurfaceRuns.h"

namespace horavex {

InkRuns InkRuns::scan(const unsigned char* pixels, std::size_t rowBytes, OfxRectI ink) {
    if (pixels == nullptr || ink.x2 <= ink.x1 || ink.y2 <= ink.y1 || ink.x1 < 0 || ink.y1 < 0 ||
        static_cast<std::size_t>(ink.x2) > rowBytes / compose::kSurfacePixelBytes) {
        return InkRuns{};
    }
    return scanRows(pixels + static_cast<std::size_t>(ink.y1) * rowBytes +
                        static_cast<std::size_t>(ink.x1) * compose::kSurfacePixelBytes,
                    rowBytes, ink);
}

InkRuns InkRuns::scanInk(const unsigned char* inkPixels, std::size_t rowBytes, OfxRectI ink) {
    if (inkPixels == nullptr || ink.x2 <= ink.x1 || ink.y2 <= ink.y1 ||
        static_cast<std::size_t>(int64_t{ink.x2} - ink.x1) > rowBytes / compose::kSurfacePixelBytes) {
        return InkRuns{};
    }
    return scanRows(inkPixels, rowBytes, ink);
}

InkRuns InkRuns::scanRows(const unsigned char* first, std::size_t rowBytes, OfxRectI ink) {
    InkRuns result;
    result.firstRow_ = ink.y1;
    result.rowStarts_.reserve(static_cast<std::size_t>(int64_t{ink.y2} - ink.y1) + 1);
    const auto width = static_cast<std::size_t>(int64_t{ink.x2} - ink.x1);
    for (int32_t row = ink.y1; row < ink.y2; ++row) {
        result.rowStarts_.push_back(static_cast<uint32_t>(result.runs_.size()));
        const unsigned char* line = first + static_cast<std::size_t>(int64_t{row} - ink.y1) * rowBytes;
        std::size_t i = 0;
        while (i < width) {
            i += compose::undrawnRun(line + i * compose::kSurfacePixelBytes, width - i);
            if (i == width) {
                break;
            }
            const auto begin = static_cast<int32_t>(i) + ink.x1;
            // A run ends at the first gap of kMergeGap untouched pixels.
            std::size_t end = i + 1;
            for (;;) {
                end += compose::drawnRunLength(line + end * compose::kSurfacePixelBytes, width - end);
                const std::size_t gap = compose::undrawnRun(line + end * compose::kSurfacePixelBytes,
                                                            std::min<std::size_t>(width - end, kMergeGap));
                if (gap < static_cast<std::size_t>(kMergeGap) && end + gap < width) {
                    end += gap;
                    continue;
                }
                break;
            }
            result.runs_.push_back(ColumnRun{begin, static_cast<int32_t>(end) + ink.x1});
            i = end;
        }
    }
    result.rowStarts_.push_back(static_cast<uint32_t>(result.runs_.size()));
    return result;
}

const ColumnRun* InkRuns::rowBegin(int32_t row) const noexcept {
    const int64_t index = int64_t{row} - firstRow_;
    if (index < 0 || index + 1 >= static_cast<int64_t>(rowStarts_.size())) {
        return nullptr;
    }
    return runs_.data() + rowStarts_[static_cast<std::size_t>(index)];
}

const ColumnRun* InkRuns::rowEnd(int32_t row) const noexcept {
    const int64_t index = int64_t{row} - firstRow_;
    if (index < 0 || index + 1 >= static_cast<int64_t>(rowStarts_.size())) {
        return nullptr;
    }
    return runs_.data() + rowStarts_[static_cast<std::size_t>(index) + 1];
}

}  // namespace horavex
