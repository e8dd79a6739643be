#include <gtest/gtest.h>

#include <climits>
#include <limits>

#include "core/values/ClockValues.h"
#include "core/compositing/ClockGeometry.h"
#include "support/HostBuilders.h"

namespace horavex {
namespace {

ClockValues percentages(double centreX, double centreY, double size) {
    ClockValues values;
    values.centreXPercent = centreX;
    values.centreYPercent = centreY;
    values.clockSizePercent = size;
    return values;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ClockGeometry, FullHdCentredClock) {
    EXPECT_EQ(computeClockGeometry(1920, 1080, percentages(50, 50, 35)),
              (ClockGeometry{960, 540, 189, 189}));
}

TEST(ClockGeometry, CentreInTheUpperLeftQuarter) {
    const ClockGeometry g = computeClockGeometry(1920, 1080, percentages(25, 25, 35));
    EXPECT_EQ(g.centreX, 480);
    EXPECT_EQ(g.centreY, 270);
}

TEST(ClockGeometry, RadiusAndTextBaseRoundDifferentlyAt720) {
    // 0.35 * 720 lands just below 252 in double; 720 * 35 is exact.
    const ClockGeometry g = computeClockGeometry(1280, 720, percentages(50, 50, 35));
    EXPECT_EQ(g.radius, 125);
    EXPECT_EQ(g.textBase, 126);
}

TEST(ClockGeometry, SizeFollowsTheHeightOnly) {
    const ClockGeometry narrow = computeClockGeometry(100, 1080, percentages(50, 50, 35));
    const ClockGeometry wide = computeClockGeometry(8000, 1080, percentages(50, 50, 35));
    EXPECT_EQ(narrow.radius, wide.radius);
    EXPECT_EQ(narrow.textBase, wide.textBase);
}

TEST(ClockGeometry, TruncatesTowardZero) {
    const ClockGeometry g = computeClockGeometry(99, 99, percentages(-50, 50, -35));
    EXPECT_EQ(g.centreX, -49);  // -49.5
    EXPECT_EQ(g.centreY, 49);   // 49.5
    EXPECT_EQ(g.radius, -17);   // -17.325
    EXPECT_EQ(g.textBase, -17);
}

TEST(ClockGeometry, UnusablePercentagesSaturate) {
    const ClockGeometry huge = computeClockGeometry(1920, 1080, percentages(1e300, -1e300, 1e12));
    EXPECT_EQ(huge.centreX, INT_MAX);
    EXPECT_EQ(huge.centreY, INT_MIN);
    EXPECT_EQ(huge.radius, INT_MAX);
    EXPECT_EQ(huge.textBase, INT_MAX);

    EXPECT_EQ(computeClockGeometry(1920, 1080, percentages(kNaN, kNaN, kNaN)), (ClockGeometry{0, 0, 0, 0}));

    const ClockGeometry infinite = computeClockGeometry(1920, 1080, percentages(kInf, -kInf, -kInf));
    EXPECT_EQ(infinite.centreX, INT_MAX);
    EXPECT_EQ(infinite.centreY, INT_MIN);
    EXPECT_EQ(infinite.radius, INT_MIN);
    // 0 x infinity
    EXPECT_EQ(computeClockGeometry(0, 0, percentages(kInf, kInf, kInf)), (ClockGeometry{0, 0, 0, 0}));
}

TEST(ClockGeometry, LargestSurfaceDoesNotOverflow) {
    const ClockGeometry g = computeClockGeometry(INT_MAX, INT_MAX, percentages(100, 100, 200));
    EXPECT_EQ(g.centreX, INT_MAX);
    EXPECT_EQ(g.centreY, INT_MAX);
    EXPECT_EQ(g.radius, INT_MAX);
    EXPECT_EQ(g.textBase, INT_MAX);
}

// The surface of a window's part inside the image: the centre moves by the
// part's offset from the window's top left (rows count down from the top).
TEST(GeometryOnPart, CentreMovesByThePartsOffsetAndSaturates) {
    struct Row {
        OfxRectI window;
        OfxRectI part;
        int32_t centreX, centreY;
        int32_t expectedX, expectedY;
    };
    constexpr int32_t kMax = INT32_MAX;
    constexpr int32_t kMin = INT32_MIN;
    const Row rows[] = {
        {{0, 0, 64, 36}, {0, 0, 64, 36}, 32, 18, 32, 18},
        {{-8, -8, 80, 50}, {0, 0, 64, 36}, 44, 29, 36, 15},
        {{0, -(1 << 30), 64, 1 << 30}, {0, 0, 64, 36}, 32, 1 << 30, 32, 36},
        {{kMin, kMin, kMax, kMax}, {0, 0, 4, 4}, kMax, kMax, -1, 4},
        {{kMin, 0, kMax, 10}, {kMax - 1, 0, kMax, 10}, kMin, 5, kMin, 5},
        {{0, kMin, 10, kMax}, {0, kMin, 10, kMin + 1}, 5, kMin, 5, kMin},
    };
    for (const Row& row : rows) {
        const ClockGeometry placed =
            geometryOnPart(ClockGeometry{row.centreX, row.centreY, 7, 8}, row.window, row.part);
        EXPECT_EQ(placed, (ClockGeometry{row.expectedX, row.expectedY, 7, 8}))
            << row.window.x1 << "," << row.window.y1 << " " << row.part.x1 << "," << row.part.y1;
    }
}

// A centre that a host or user puts a billion frames away saturates; every
// subtraction that follows stays within its type.
TEST(ExtremeGeometry, EveryStyleRendersCentresAndSizesFarOutOfRange) {
    struct Row {
        double x, y, size;
    };
    const Row rows[] = {{0.5, 1e9, 0.35},  {0.5, -1e9, 0.35}, {1e9, 0.5, 0.35},   {-1e9, -1e9, 0.35},
                        {0.5, 0.5, 1e9},   {1e300, -1e300, 1e300}, {0.5, 1e9, -1e9}, {-1e9, 1e9, 1e9}};
    for (int style : {0, 1, 2}) {
        for (const char* context : {kOfxImageEffectContextGenerator, kOfxImageEffectContextFilter}) {
            host::testing::PluginSession session = host::testing::loadEffect(context);
            host::testing::FrameImages images =
                host::testing::attachFrame(*session.effect, host::testing::imageSpec({0, 0, 64, 32}));
            session.effect->param("ClockChoice").setInt(style);
            session.effect->param("Use Key Colour").setInt(1);
            for (const Row& row : rows) {
                SCOPED_TRACE(::testing::Message() << style << " " << context << " " << row.x << "," << row.y << " "
                                                << row.size);
                session.effect->param("corner1").setDoubleN({row.x, row.y});
                session.effect->param("ClockSize").setDouble(row.size);
                EXPECT_EQ(session.effect->render(0.0, {0, 0, 64, 32}), kOfxStatOK);
                EXPECT_EQ(session.effect->render(0.0, {-1000, -7, 30, 1 << 30}), kOfxStatOK);
            }
        }
    }
}

TEST(DrawRectFromArea, AnalogueClockAreaOfFullHd) {
    const OfxRectI r = drawRectFromArea(RectF{769.0f, 349.0f, 382.0f, 382.0f});
    EXPECT_EQ(r.x1, 769);
    EXPECT_EQ(r.y1, 349);
    EXPECT_EQ(r.x2, 1151);
    EXPECT_EQ(r.y2, 731);
}

TEST(DrawRectFromArea, WholeSurfaceOfTheLedStyle) {
    const OfxRectI r = drawRectFromArea(RectF{0.0f, 0.0f, 1920.0f, 1080.0f});
    EXPECT_EQ(r.x1, 0);
    EXPECT_EQ(r.y1, 0);
    EXPECT_EQ(r.x2, 1920);
    EXPECT_EQ(r.y2, 1080);
}

TEST(DrawRectFromArea, FractionalCornersTruncateTowardZero) {
    const OfxRectI r = drawRectFromArea(-1.75f, 2.75f, 3.5f, 0.5f);
    EXPECT_EQ(r.x1, -1);
    EXPECT_EQ(r.y1, 2);
    EXPECT_EQ(r.x2, 1);  // 1.75
    EXPECT_EQ(r.y2, 3);  // 3.25
}

TEST(DrawRectFromArea, SumsAreSinglePrecision) {
    // 2^24 + 1 is not a float: the far corner stays at 2^24.
    const OfxRectI r = drawRectFromArea(16777216.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(r.x1, 16777216);
    EXPECT_EQ(r.x2, 16777216);
}

TEST(DrawRectFromArea, UnusableNumbersSaturate) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const OfxRectI r = drawRectFromArea(-inf, 3e9f, inf, 1.0f);
    EXPECT_EQ(r.x1, INT_MIN);
    EXPECT_EQ(r.y1, INT_MAX);
    EXPECT_EQ(r.x2, 0);  // -inf + inf is NaN
    EXPECT_EQ(r.y2, INT_MAX);
    const OfxRectI n = drawRectFromArea(nan, 5.0f, 1.0f, nan);
    EXPECT_EQ(n.x1, 0);
    EXPECT_EQ(n.y1, 5);
    EXPECT_EQ(n.x2, 0);
    EXPECT_EQ(n.y2, 0);
}

struct FrameCase {
    const char* name;
    OfxRectD region;
    double scaleX;
    double scaleY;
    double aspect;
    OfxRectI frame;
};

TEST(FrameInPixels, CanonicalRegionToPixelsOfTheRenderedImages) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const FrameCase cases[] = {
        {"plain", {0, 0, 1920, 1080}, 1, 1, 1, {0, 0, 1920, 1080}},
        {"offset", {-30, 20, 290, 200}, 1, 1, 1, {-30, 20, 290, 200}},
        {"half scale", {0, 0, 1920, 1080}, 0.5, 0.5, 1, {0, 0, 960, 540}},
        {"wide pixels", {0, 0, 1920, 1080}, 1, 1, 2, {0, 0, 960, 1080}},
        // 720 pixels of ratio 1.0926 and back come to 720.0000000001.
        {"ratio round trip", {0, 0, 720 * 1.0926, 480}, 1, 1, 1.0926, {0, 0, 720, 480}},
        {"partial pixels enclosed", {0.5, 0.25, 10.5, 9.75}, 1, 1, 1, {0, 0, 11, 10}},
        {"bad scale and ratio count as 1", {0, 0, 64, 36}, nan, -2, 0, {0, 0, 64, 36}},
        {"empty", {10, 10, 10, 20}, 1, 1, 1, {0, 0, 0, 0}},
        {"inverted", {10, 10, 0, 20}, 1, 1, 1, {0, 0, 0, 0}},
        {"not finite", {0, 0, inf, 20}, 1, 1, 1, {0, 0, 0, 0}},
        {"NaN", {nan, 0, 20, 20}, 1, 1, 1, {0, 0, 0, 0}},
        {"beyond 32 bits", {0, 0, 3e9, 20}, 1, 1, 1, {0, 0, 0, 0}},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        const OfxRectI frame = frameInPixels(c.region, c.scaleX, c.scaleY, c.aspect);
        EXPECT_EQ(frame.x1, c.frame.x1);
        EXPECT_EQ(frame.y1, c.frame.y1);
        EXPECT_EQ(frame.x2, c.frame.x2);
        EXPECT_EQ(frame.y2, c.frame.y2);
    }
}

}  // namespace
}  // namespace horavex
