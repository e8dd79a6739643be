#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/drawing/DrawingSurface.h"
#include "core/drawing/Graphics.h"

namespace horavex {
namespace {

bool allZero(const uint8_t* bytes, size_t count) {
    return std::all_of(bytes, bytes + count, [](uint8_t b) { return b == 0; });
}

// Reads pixel (x, row) of the memory as bytes blue, green, red, alpha.
const uint8_t* memoryPixel(const DrawingSurface& surface, int x, int memoryRow) {
    return surface.pixels() + static_cast<size_t>(memoryRow) * surface.rowBytes() + static_cast<size_t>(x) * 4;
}

TEST(DrawingSurfaceCreate, FullHdSurfaceHasItsSizeAndStartsBlackAndTransparent) {
    DrawingSurface surface;
    const DrawingTarget* target = surface.create(1920, 1080, 32, false);
    ASSERT_NE(target, nullptr);
    ASSERT_NE(surface.pixels(), nullptr);
    EXPECT_EQ(surface.sizeBytes(), 8'294'400u);
    EXPECT_EQ(surface.rowBytes(), 7'680u);
    EXPECT_EQ(target->pixels, surface.pixels());
    EXPECT_TRUE(allZero(surface.pixels(), surface.sizeBytes()));
}

TEST(DrawingSurfaceCreate, EmptyOrImpossibleSizesGiveNoMemory) {
    const struct {
        int32_t width, height, bitCount;
    } cases[] = {
        {0, 1080, 32},
        {1920, 0, 32},
        {-1, 10, 32},
        {10, -1, 32},
        {1920, 1080, 24},  // the layout is four bytes a pixel, nothing else
        {std::numeric_limits<int32_t>::max() / 4 + 1, 1, 32},  // row bytes beyond int32
        {std::numeric_limits<int32_t>::max() / 4, std::numeric_limits<int32_t>::max(), 32},
    };
    for (const auto& c : cases) {
        DrawingSurface surface;
        EXPECT_EQ(surface.create(c.width, c.height, c.bitCount, false), nullptr)
            << c.width << "x" << c.height << "x" << c.bitCount;
        EXPECT_EQ(surface.pixels(), nullptr);
        surface.clearRect(0, 0, 10, 10);  // nothing to clear, nothing to crash
    }
}

TEST(DrawingSurfaceCreate, SecondCreateKeepsTheMemoryAndZeroesItAgain) {
    DrawingSurface surface;
    const DrawingTarget* first = surface.create(64, 32, 32, false);
    ASSERT_NE(first, nullptr);
    uint8_t* bits = surface.bits();
    std::memset(bits, 0xAB, surface.sizeBytes());
    const DrawingTarget* second = surface.create(128, 128, 32, true);
    EXPECT_EQ(second, first);
    EXPECT_EQ(surface.pixels(), bits);
    EXPECT_EQ(surface.width(), 64);
    EXPECT_EQ(surface.height(), 32);
    EXPECT_TRUE(allZero(surface.pixels(), surface.sizeBytes()));
}

TEST(DrawingSurfaceCreate, EveryByteOfAnOddSizedSurfaceIsWritable) {
    DrawingSurface surface;
    ASSERT_NE(surface.create(3, 7, 32, false), nullptr);
    EXPECT_EQ(surface.sizeBytes(), 3u * 7u * 4u);
    std::memset(surface.bits(), 0x5A, surface.sizeBytes());
    EXPECT_EQ(surface.pixels()[surface.sizeBytes() - 1], 0x5A);
}

TEST(DrawingSurfaceRelease, MemoryGivenUpAfterDrawingComesBackZeroed) {
    for (int round = 0; round < 3; ++round) {
        DrawingSurface surface;
        const DrawingTarget* target = surface.create(300, 200, 32, false);
        ASSERT_NE(target, nullptr);
        ASSERT_TRUE(allZero(surface.pixels(), surface.sizeBytes())) << "round " << round;
        auto graphics = createGraphics(target);
        graphics->fillEllipse(IntRect{-50, 20, 400, 100}, makeColor(255, 1, 2, 3));
        graphics->fillRectangle(IntRect{290, 190, 50, 50}, makeColor(9, 9, 9, 9));
        graphics.reset();
        if (round == 1) {
            surface.bits()[5] = 7;  // written directly, outside any drawing
        }
        if (round == 2) {
            surface.clearRect(0, 0, 300, 100);  // clears part of the drawing only
        }
    }
}

TEST(DrawingSurfaceRelease, ASmallerSurfaceAfterAFullyWrittenOneStartsZero) {
    {
        DrawingSurface large;
        ASSERT_NE(large.create(300, 200, 32, false), nullptr);
        std::memset(large.bits(), 0xEE, large.sizeBytes());
    }
    DrawingSurface smaller;
    ASSERT_NE(smaller.create(300, 150, 32, false), nullptr);
    EXPECT_EQ(smaller.sizeBytes(), 300u * 150u * 4u);
    EXPECT_TRUE(allZero(smaller.pixels(), smaller.sizeBytes()));
    std::memset(smaller.bits(), 0x11, smaller.sizeBytes());
}

TEST(DrawingSurfaceClearDrawn, ClearingTheDrawAreaLeavesTheWholePictureZero) {
    DrawingSurface surface;
    const DrawingTarget* target = surface.create(120, 80, 32, false);
    ASSERT_NE(target, nullptr);
    createGraphics(target)->fillRectangle(IntRect{10, 10, 30, 20}, makeColor(255, 255, 255, 255));
    surface.clearRect(0, 0, 60, 40);  // misses the drawing's rows 50..69 in memory order
    EXPECT_FALSE(allZero(surface.pixels(), surface.sizeBytes()));
    surface.clearRect(0, 40, 60, 40);
    EXPECT_TRUE(allZero(surface.pixels(), surface.sizeBytes()));
    // Drawing again after a full clear, then a second create, zeroes again.
    createGraphics(target)->fillRectangle(IntRect{0, 0, 5, 5}, makeColor(255, 255, 255, 255));
    EXPECT_EQ(surface.create(120, 80, 32, false), target);
    EXPECT_TRUE(allZero(surface.pixels(), surface.sizeBytes()));
}

TEST(DrawingSurfaceRelease, ReleaseIsHarmlessWhenEmptyOrRepeatedAndAllowsAFreshCreate) {
    DrawingSurface surface;
    surface.release();
    ASSERT_NE(surface.create(8, 8, 32, false), nullptr);
    surface.release();
    EXPECT_EQ(surface.pixels(), nullptr);
    EXPECT_EQ(surface.target(), nullptr);
    surface.release();
    ASSERT_NE(surface.create(4, 2, 32, false), nullptr);
    EXPECT_EQ(surface.width(), 4);
    EXPECT_EQ(surface.sizeBytes(), 32u);
}

TEST(DrawingSurfaceRows, BottomUpSurfaceKeepsTheTopDrawingRowLastInMemory) {
    DrawingSurface surface;
    const int height = 5;
    const DrawingTarget* target = surface.create(4, height, 32, false);
    ASSERT_NE(target, nullptr);
    auto graphics = createGraphics(target);
    graphics->fillRectangle(IntRect{0, 0, 1, 1}, makeColor(255, 30, 20, 10));
    graphics->fillRectangle(IntRect{1, height - 1, 1, 1}, makeColor(255, 1, 2, 3));
    graphics.reset();
    const uint8_t* top = memoryPixel(surface, 0, height - 1);
    EXPECT_EQ(top[0], 10);
    EXPECT_EQ(top[1], 20);
    EXPECT_EQ(top[2], 30);
    EXPECT_EQ(top[3], 255);
    const uint8_t* bottom = memoryPixel(surface, 1, 0);
    EXPECT_EQ(bottom[0], 3);
    EXPECT_EQ(bottom[1], 2);
    EXPECT_EQ(bottom[2], 1);
    EXPECT_EQ(bottom[3], 255);
    EXPECT_TRUE(allZero(memoryPixel(surface, 0, 0), 4));
}

TEST(DrawingSurfaceRows, TopDownSurfaceKeepsTheTopDrawingRowFirstInMemory) {
    DrawingSurface surface;
    const DrawingTarget* target = surface.create(4, 5, 32, true);
    ASSERT_NE(target, nullptr);
    createGraphics(target)->fillRectangle(IntRect{0, 0, 1, 1}, makeColor(255, 30, 20, 10));
    const uint8_t* first = memoryPixel(surface, 0, 0);
    EXPECT_EQ(first[2], 30);
    EXPECT_EQ(first[3], 255);
    EXPECT_TRUE(allZero(memoryPixel(surface, 0, 4), 4));
}

class DrawingSurfaceClear : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(surface.create(kWidth, kHeight, 32, false), nullptr);
        std::memset(surface.bits(), 0xFF, surface.sizeBytes());
    }

    bool cleared(int x, int row) const { return allZero(memoryPixel(surface, x, row), 4); }

    // True when exactly the pixels of the rectangle (memory order) are zero.
    ::testing::AssertionResult onlyClears(int x, int y, int w, int h) const {
        for (int row = 0; row < kHeight; ++row) {
            for (int column = 0; column < kWidth; ++column) {
                const bool inside = column >= x && column < x + w && row >= y && row < y + h;
                if (cleared(column, row) != inside) {
                    return ::testing::AssertionFailure() << "pixel (" << column << ", " << row << ") is "
                                                         << (inside ? "not cleared" : "cleared");
                }
            }
        }
        return ::testing::AssertionSuccess();
    }

    static constexpr int kWidth = 40;
    static constexpr int kHeight = 30;
    DrawingSurface surface;
};

TEST_F(DrawingSurfaceClear, NegativeOriginMovesToZeroWithoutShrinking) {
    surface.clearRect(-5, -5, 10, 10);
    EXPECT_TRUE(onlyClears(0, 0, 10, 10));
}

TEST_F(DrawingSurfaceClear, InteriorRectangleCountsRowsInMemoryOrder) {
    surface.clearRect(3, 4, 5, 2);
    EXPECT_TRUE(onlyClears(3, 4, 5, 2));
}

TEST_F(DrawingSurfaceClear, RectangleReachingPastTheEdgesIsClipped) {
    surface.clearRect(kWidth - 3, kHeight - 2, 10, 10);
    EXPECT_TRUE(onlyClears(kWidth - 3, kHeight - 2, 3, 2));
}

TEST_F(DrawingSurfaceClear, RectanglesOutsideThePictureOrEmptyClearNothing) {
    const int cases[][4] = {
        {kWidth, 0, 5, 5},   {kWidth + 7, 0, 5, 5}, {0, kHeight, 5, 5}, {0, kHeight + 1, 5, 5},
        {0, 0, 0, 5},        {0, 0, 5, 0},          {0, 0, -3, 5},      {0, 0, 5, -3},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        surface.clearRect(cases[i][0], cases[i][1], cases[i][2], cases[i][3]);
        EXPECT_TRUE(onlyClears(0, 0, 0, 0)) << "case " << i;
    }
    // The origin moves to 0 and the size stays: a far negative origin still clears.
    surface.clearRect(-20, -20, 10, 10);
    EXPECT_TRUE(onlyClears(0, 0, 10, 10));
}

TEST_F(DrawingSurfaceClear, ExtremeArgumentsNeitherOverflowNorReachOutside) {
    const int32_t big = std::numeric_limits<int32_t>::max();
    const int32_t small = std::numeric_limits<int32_t>::min();
    surface.clearRect(big, big, big, big);
    surface.clearRect(5, 5, small, small);
    EXPECT_TRUE(onlyClears(0, 0, 0, 0));
    surface.clearRect(small, small, big, big);
    EXPECT_TRUE(onlyClears(0, 0, kWidth, kHeight));
}

}  // namespace
}  // namespace horavex
