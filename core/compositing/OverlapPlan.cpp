#include "core/compositing/OverlapPlan.h"

#include <algorithm>
#include <limits>

namespace horavex {
namespace {

RowRange intersect(RowRange a, RowRange b) noexcept {
    const RowRange both{std::max(a.begin, b.begin), std::min(a.end, b.end)};
    return both.empty() ? RowRange{} : both;
}

int32_t widen(int32_t value, int64_t by) noexcept {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{value} + by, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

void addChunks(std::vector<RowRange>& chunks, RowRange rows) {
    for (int64_t row = rows.begin; row < rows.end; row += kChunkRows) {
        chunks.push_back(RowRange{static_cast<int32_t>(row),
                                  static_cast<int32_t>(std::min<int64_t>(row + kChunkRows, rows.end))});
    }
}

}  // namespace

OverlapPlan planOverlap(RowRange window, RowRange expected, int32_t margin) {
    OverlapPlan plan;
    if (window.empty()) {
        return plan;
    }
    const int64_t spread = std::max<int64_t>(margin, 0);
    const RowRange reach = expected.empty() ? RowRange{}
                                            : RowRange{widen(expected.begin, -spread), widen(expected.end, spread)};
    plan.clockRows = intersect(window, reach);
    if (plan.clockRows.empty()) {
        addChunks(plan.clearChunks, window);
        return plan;
    }
    addChunks(plan.clearChunks, RowRange{window.begin, plan.clockRows.begin});
    addChunks(plan.clearChunks, RowRange{plan.clockRows.end, window.end});
    return plan;
}

std::vector<RowRange> rowsNeedingPicture(RowRange window, RowRange clockRows, RowRange ink) {
    std::vector<RowRange> ranges;
    for (RowRange rows : {intersect(window, clockRows), intersect(window, ink)}) {
        if (!rows.empty()) {
            ranges.push_back(rows);
        }
    }
    std::sort(ranges.begin(), ranges.end(), [](RowRange a, RowRange b) { return a.begin < b.begin; });
    if (ranges.size() == 2 && ranges[1].begin <= ranges[0].end) {
        ranges[0].end = std::max(ranges[0].end, ranges[1].end);
        ranges.pop_back();
    }
    return ranges;
}

}  // namespace horavex
