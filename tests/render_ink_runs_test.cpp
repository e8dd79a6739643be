#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "core/compositing/InkRuns.h"

namespace horavex {
namespace {

// A surface of 4-byte pixels, all zero until drawn.
struct Surface {
    Surface(int w, int h) : width(w), height(h), bytes(static_cast<std::size_t>(w) * 4 * h, 0) {}
    void draw(int x, int y, unsigned char alpha = 255) { bytes[(static_cast<std::size_t>(y) * width + x) * 4 + 3] = alpha; }
    bool drawn(int x, int y) const {
        const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 4;
        return (bytes[at] | bytes[at + 1] | bytes[at + 2] | bytes[at + 3]) != 0;
    }
    std::size_t rowBytes() const { return static_cast<std::size_t>(width) * 4; }
    int width;
    int height;
    std::vector<unsigned char> bytes;
};

std::vector<ColumnRun> runsOf(const InkRuns& runs, int row) {
    return std::vector<ColumnRun>(runs.rowBegin(row), runs.rowEnd(row));
}

TEST(InkRuns, NearbyPixelsShareARunAndDistantOnesDoNot) {
    Surface surface(200, 3);
    // Row 1: 10..12, a gap of 31 (merged), 44, a gap of 32 (kept), 77..79.
    for (int x : {10, 11, 12, 44, 77, 78, 79}) {
        surface.draw(x, 1);
    }
    const InkRuns runs = InkRuns::scan(surface.bytes.data(), surface.rowBytes(), OfxRectI{0, 0, 200, 3});
    const std::vector<ColumnRun> row = runsOf(runs, 1);
    ASSERT_EQ(row.size(), 2u);
    EXPECT_EQ(row[0].begin, 10);
    EXPECT_EQ(row[0].end, 45);
    EXPECT_EQ(row[1].begin, 77);
    EXPECT_EQ(row[1].end, 80);
    EXPECT_TRUE(runsOf(runs, 0).empty());
    EXPECT_TRUE(runsOf(runs, 2).empty());
}

TEST(InkRuns, EveryDrawnPixelOfTheInkLiesInARunOfItsRow) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        Surface surface(300, 20);
        const int dots = std::uniform_int_distribution<int>(0, 400)(random);
        for (int i = 0; i < dots; ++i) {
            surface.draw(std::uniform_int_distribution<int>(0, 299)(random),
                         std::uniform_int_distribution<int>(0, 19)(random),
                         static_cast<unsigned char>(std::uniform_int_distribution<int>(1, 255)(random)));
        }
        // Strokes long enough to be searched a line of pixels at a time.
        const int strokes = std::uniform_int_distribution<int>(0, 12)(random);
        for (int i = 0; i < strokes; ++i) {
            const int y = std::uniform_int_distribution<int>(0, 19)(random);
            const int from = std::uniform_int_distribution<int>(0, 299)(random);
            const int to = std::min(300, from + std::uniform_int_distribution<int>(1, 120)(random));
            for (int x = from; x < to; ++x) {
                surface.draw(x, y, static_cast<unsigned char>(std::uniform_int_distribution<int>(1, 255)(random)));
            }
        }
        const OfxRectI ink{5, 2, 290, 18};
        const InkRuns runs = InkRuns::scan(surface.bytes.data(), surface.rowBytes(), ink);

        // The ink's rows kept apart give the same runs.
        const std::size_t inkRowBytes = static_cast<std::size_t>(ink.x2 - ink.x1) * 4;
        std::vector<unsigned char> apart;
        for (int y = ink.y1; y < ink.y2; ++y) {
            const auto row = surface.bytes.begin() + static_cast<std::ptrdiff_t>(y * surface.rowBytes() + ink.x1 * 4);
            apart.insert(apart.end(), row, row + static_cast<std::ptrdiff_t>(inkRowBytes));
        }
        const InkRuns fromInk = InkRuns::scanInk(apart.data(), inkRowBytes, ink);
        for (int y = ink.y1; y < ink.y2; ++y) {
            const std::vector<ColumnRun> expected = runsOf(runs, y);
            const std::vector<ColumnRun> got = runsOf(fromInk, y);
            ASSERT_EQ(got.size(), expected.size()) << "round " << round << " row " << y;
            for (std::size_t k = 0; k < got.size(); ++k) {
                ASSERT_EQ(got[k].begin, expected[k].begin);
                ASSERT_EQ(got[k].end, expected[k].end);
            }
        }
        for (int y = ink.y1; y < ink.y2; ++y) {
            const std::vector<ColumnRun> row = runsOf(runs, y);
            int previousEnd = ink.x1 - InkRuns::kMergeGap;
            for (const ColumnRun& run : row) {
                ASSERT_LT(run.begin, run.end);
                ASSERT_GE(run.begin, ink.x1);
                ASSERT_LE(run.end, ink.x2);
                // Runs begin and end on drawn pixels and are kept apart by
                // long gaps.
                EXPECT_TRUE(surface.drawn(run.begin, y));
                EXPECT_TRUE(surface.drawn(run.end - 1, y));
                EXPECT_GE(run.begin - previousEnd, InkRuns::kMergeGap) << "round " << round << " row " << y;
                previousEnd = run.end;
            }
            for (int x = ink.x1; x < ink.x2; ++x) {
                if (!surface.drawn(x, y)) {
                    continue;
                }
                bool inside = false;
                for (const ColumnRun& run : row) {
                    inside = inside || (x >= run.begin && x < run.end);
                }
                ASSERT_TRUE(inside) << "round " << round << " pixel " << x << "," << y;
            }
        }
    }
}

TEST(InkRuns, UnusableInputsGiveNoRuns) {
    Surface surface(16, 4);
    surface.draw(3, 1);
    const std::size_t rowBytes = surface.rowBytes();
    // Null pixels, an empty ink, an ink wider than a row, negative corners.
    EXPECT_TRUE(InkRuns::scan(nullptr, rowBytes, OfxRectI{0, 0, 16, 4}).empty());
    EXPECT_TRUE(InkRuns::scan(surface.bytes.data(), rowBytes, OfxRectI{4, 0, 4, 4}).empty());
    EXPECT_TRUE(InkRuns::scan(surface.bytes.data(), rowBytes, OfxRectI{0, 0, 17, 4}).empty());
    EXPECT_TRUE(InkRuns::scan(surface.bytes.data(), rowBytes, OfxRectI{-1, 0, 16, 4}).empty());
    const InkRuns runs = InkRuns::scan(surface.bytes.data(), rowBytes, OfxRectI{0, 1, 16, 2});
    EXPECT_EQ(runsOf(runs, 1).size(), 1u);
    // Rows outside the ink, however far, have none.
    for (int row : {0, 2, -2147483647 - 1, 2147483647}) {
        EXPECT_EQ(runs.rowBegin(row), runs.rowEnd(row)) << row;
    }
}

}  // namespace
}  // namespace horavex
