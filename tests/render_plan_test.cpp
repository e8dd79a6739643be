// The render's thread and row decisions, without a host: they decide how a
// frame is cut up, so a wrong one shows as a slow render or as rows composited
// without their clock.
#include <gtest/gtest.h>

#include <limits>

#include "core/compositing/RenderPlan.h"

namespace horavex {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(RenderPlan, ThreadsOnlyForWindowsWorthThemAndNeverMoreThanTheHostHas) {
    const OfxRectI hd{0, 0, 1920, 1080};
    EXPECT_TRUE(worthThreads(hd, hd));
    EXPECT_EQ(threadsFor(hd, hd, 4), 4u);
    EXPECT_EQ(threadsFor(hd, hd, 0), 1u) << "a host that says it has no CPUs still renders on one";
    // 2^17 pixels is the threshold: one row short of it stays on one thread.
    EXPECT_TRUE(worthThreads(OfxRectI{0, 0, 512, 256}, hd));
    EXPECT_FALSE(worthThreads(OfxRectI{0, 0, 512, 255}, hd));
    EXPECT_EQ(threadsFor(OfxRectI{0, 0, 512, 255}, hd, 8), 1u);
    // The part of the window outside the image does not count.
    EXPECT_FALSE(worthThreads(OfxRectI{-100000, 0, 100000, 1080}, OfxRectI{0, 0, 100, 1080}));
    // Every band keeps 16 rows at least.
    EXPECT_EQ(threadsFor(OfxRectI{0, 0, 100000, 40}, OfxRectI{0, 0, 100000, 40}, 8), 2u);
}

TEST(RenderPlan, HugeAndInvertedWindowsNeitherOverflowNorAskForThreads) {
    const OfxRectI all{kMin, kMin, kMax, kMax};
    EXPECT_TRUE(worthThreads(all, all));
    EXPECT_EQ(threadsFor(all, all, 64), 64u);
    EXPECT_TRUE(worthCompositingThreads(all, all, 32));
    const OfxRectI inverted{10, 10, 0, 0};
    EXPECT_FALSE(worthThreads(inverted, all));
    EXPECT_FALSE(worthCompositingThreads(inverted, all, 8));
    EXPECT_EQ(extent(kMin, kMax), kMax);
    EXPECT_EQ(extent(5, -5), 0);
}

TEST(RenderPlan, CompositingAloneNeedsMegabytesOfOutput) {
    // 12 MB: 8-bit RGBA is 4 bytes a pixel, float 16.
    const OfxRectI hd{0, 0, 1920, 1080};  // 8.3 MB at 8 bits, 33 MB in float
    EXPECT_FALSE(worthCompositingThreads(hd, hd, 8));
    EXPECT_TRUE(worthCompositingThreads(hd, hd, 32));
    const OfxRectI uhd{0, 0, 3840, 2160};
    EXPECT_TRUE(worthCompositingThreads(uhd, uhd, 8));
}

TEST(RenderPlan, InkRowsFollowTheFrameAndStayInRange) {
    ClockPicture picture;
    picture.ink = OfxRectI{10, 20, 30, 40};
    EXPECT_EQ(inkRows(picture, OfxRectI{0, 100, 50, 200}), (RowRange{120, 140}));
    EXPECT_EQ(inkRows(picture, OfxRectI{0, kMax - 25, 50, kMax}), (RowRange{kMax - 5, kMax}));
    picture.ink = OfxRectI{10, 20, 10, 40};  // no columns: no ink at all
    EXPECT_TRUE(inkRows(picture, OfxRectI{0, 0, 50, 50}).empty());
}

TEST(RenderPlan, TheMarginGrowsWithTheClockButNeverBelowAFewRows) {
    EXPECT_EQ(overlapMargin(RowRange{0, 0}), 16);
    EXPECT_EQ(overlapMargin(RowRange{100, 164}), 16);
    EXPECT_EQ(overlapMargin(RowRange{100, 500}), 100);
    EXPECT_EQ(overlapMargin(RowRange{kMin, kMax}), 1073741823);
}

}  // namespace
}  // namespace horavex
