// Where a drawn clock has pixels, row by row. A dial or a line of text covers
// a small part of the rectangle around it; knowing the drawn runs of every
// row lets compositing copy the rest at memory speed without reading the
// drawing surface at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ofxapi/OfxApi.h"

namespace horavex {

struct ColumnRun {
    int32_t begin;  // first column
    int32_t end;    // one past the last
};

class InkRuns {
public:
    // Runs of the rows of `ink` (surface columns, memory rows) of a surface
    // of 4-byte pixels whose first row starts at `pixels`. Every non-zero
    // pixel inside `ink` lies in a run; gaps of untouched pixels shorter
    // than kMergeGap are kept inside runs, as copying them with their
    // neighbours is cheaper than a separate copy.
    static InkRuns scan(const unsigned char* pixels, std::size_t rowBytes, OfxRectI ink);
    // The same runs from the ink's pixels alone: rows of `rowBytes` bytes
    // starting with the ink's first pixel (surface column ink.x1 of row
    // ink.y1), as a drawn clock keeps them.
    static InkRuns scanInk(const unsigned char* inkPixels, std::size_t rowBytes, OfxRectI ink);

    static constexpr int32_t kMergeGap = 32;

    // The runs of surface row `row`, sorted and disjoint; none for rows
    // outside the ink.
    const ColumnRun* rowBegin(int32_t row) const noexcept;
    const ColumnRun* rowEnd(int32_t row) const noexcept;
    bool empty() const noexcept { return runs_.empty(); }

private:
    // Rows ink.y1 to ink.y2 of ink.x2 - ink.x1 pixels, the first at `first`.
    static InkRuns scanRows(const unsigned char* first, std::size_t rowBytes, OfxRectI ink);

    int32_t firstRow_ = 0;
    std::vector<uint32_t> rowStarts_;  // rows + 1 offsets into runs_
    std::vector<ColumnRun> runs_;
};

}  // namespace horavex
