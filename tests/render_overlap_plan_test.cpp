#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "core/compositing/OverlapPlan.h"

namespace horavex {
namespace {

// Every row of the window exactly once, chunks or clock rows.
void expectTiles(const OverlapPlan& plan, RowRange window) {
    std::vector<int> seen(static_cast<std::size_t>(window.end - window.begin), 0);
    auto mark = [&](RowRange rows) {
        for (int row = rows.begin; row < rows.end; ++row) {
            ASSERT_GE(row, window.begin);
            ASSERT_LT(row, window.end);
            ++seen[static_cast<std::size_t>(row - window.begin)];
        }
    };
    for (const RowRange& chunk : plan.clearChunks) {
        EXPECT_LE(chunk.end - chunk.begin, kChunkRows);
        EXPECT_FALSE(chunk.empty());
        mark(chunk);
    }
    mark(plan.clockRows);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i], 1) << "row " << window.begin + static_cast<int>(i);
    }
}

TEST(OverlapPlan, RowsAroundTheLastClockAreCutIntoChunks) {
    const RowRange window{-10, 1070};
    const OverlapPlan plan = planOverlap(window, RowRange{400, 500}, 16);
    EXPECT_EQ(plan.clockRows, (RowRange{384, 516}));
    expectTiles(plan, window);
    // A clock beyond the window, or none, leaves every row to the chunks.
    for (RowRange expected : {RowRange{2000, 2100}, RowRange{}, RowRange{-300, -27}}) {
        const OverlapPlan away = planOverlap(window, expected, 16);
        EXPECT_TRUE(away.clockRows.empty());
        expectTiles(away, window);
    }
    // A clock over the whole window leaves none.
    const OverlapPlan covered = planOverlap(window, RowRange{-100, 2000}, 0);
    EXPECT_TRUE(covered.clearChunks.empty());
    EXPECT_EQ(covered.clockRows, window);
}

TEST(OverlapPlan, MarginsAtTheEndsOfTheIntRangeDoNotOverflow) {
    constexpr int kMin = std::numeric_limits<int>::min();
    constexpr int kMax = std::numeric_limits<int>::max();
    const RowRange window{kMax - 200, kMax};
    const OverlapPlan plan = planOverlap(window, RowRange{kMax - 10, kMax}, kMax);
    EXPECT_EQ(plan.clockRows, window);
    const OverlapPlan low = planOverlap(RowRange{kMin, kMin + 130}, RowRange{kMin, kMin + 1}, 64);
    EXPECT_EQ(low.clockRows, (RowRange{kMin, kMin + 65}));
    expectTiles(low, RowRange{kMin, kMin + 130});
    EXPECT_TRUE(planOverlap(RowRange{5, 5}, RowRange{0, 10}, 3).clearChunks.empty());
}

TEST(OverlapPlan, RowsTheNewClockReachedAreCompositedAgain) {
    const RowRange window{0, 1000};
    const RowRange clockRows{300, 400};
    // Inside the planned rows: only those.
    EXPECT_EQ(rowsNeedingPicture(window, clockRows, RowRange{320, 380}), (std::vector<RowRange>{{300, 400}}));
    // Across their edge, or touching it: one range.
    EXPECT_EQ(rowsNeedingPicture(window, clockRows, RowRange{350, 450}), (std::vector<RowRange>{{300, 450}}));
    EXPECT_EQ(rowsNeedingPicture(window, clockRows, RowRange{250, 300}), (std::vector<RowRange>{{250, 400}}));
    // Elsewhere: both, in order, cut to the window.
    EXPECT_EQ(rowsNeedingPicture(window, clockRows, RowRange{900, 1200}),
              (std::vector<RowRange>{{300, 400}, {900, 1000}}));
    EXPECT_EQ(rowsNeedingPicture(window, clockRows, RowRange{-50, 10}), (std::vector<RowRange>{{0, 10}, {300, 400}}));
    // Nothing drawn, nothing planned.
    EXPECT_EQ(rowsNeedingPicture(window, RowRange{}, RowRange{}), std::vector<RowRange>{});
    EXPECT_EQ(rowsNeedingPicture(window, RowRange{}, RowRange{1200, 1300}), std::vector<RowRange>{});
}

}  // namespace
}  // namespace horavex
