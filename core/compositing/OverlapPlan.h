// Drawing a new clock while the rest of the frame is composited.
//
// Rows of a window that the clock does not reach are a plain copy of the
// source (or a clear): they need no picture and can be done on other threads
// while the clock is drawn. Where the clock will be is known only once it is
// drawn, so the rows are planned from where the last clock lay, with a
// margin, and checked afterwards: any planned row the new clock reaches after
// all is composited again with the picture.
#pragma once

#include <cstdint>
#include <vector>

namespace horavex {

// Rows [begin, end) of an image.
struct RowRange {
    int32_t begin = 0;
    int32_t end = 0;

    bool empty() const noexcept { return end <= begin; }
    bool operator==(const RowRange&) const = default;
};

struct OverlapPlan {
    // Rows of the window expected to be clear of the clock, in chunks of at
    // most kChunkRows rows, for threads to take one at a time.
    std::vector<RowRange> clearChunks;
    // The rest of the window's rows: where the clock is expected.
    RowRange clockRows;
};

inline constexpr int32_t kChunkRows = 64;

// Plans the rows of `window` (image rows) around `expected`, the rows the
// last clock's drawing reached, widened by `margin` on both sides.
OverlapPlan planOverlap(RowRange window, RowRange expected, int32_t margin);

// The rows of `window` that must be composited with the picture once it is
// drawn: the expected clock rows, and every row of `ink` (where the new clock
// was drawn) inside the window. Sorted, disjoint, not touching.
std::vector<RowRange> rowsNeedingPicture(RowRange window, RowRange clockRows, RowRange ink);

}  // namespace horavex
