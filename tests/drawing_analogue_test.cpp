#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/drawing/AnalogueClockDrawer.h"
#include "core/drawing/DrawingSurface.h"
#include "core/drawing/Graphics.h"
#include "core/drawing/RecordingGraphics.h"

namespace horavex {
namespace {

constexpr Color kMain = makeColor(255, 255, 255, 255);
constexpr Color kDial = makeColor(255, 10, 20, 30);
constexpr Color kHour = makeColor(255, 200, 0, 0);
constexpr Color kMinute = makeColor(255, 0, 200, 0);
constexpr Color kSecond = makeColor(255, 0, 0, 200);
constexpr Color kMarks = makeColor(255, 90, 90, 90);

// Centre (200, 200), radius 100, square pixels, every size at 100 %, hour
// length 50, minute 70, second 80 and point length 50.
AnalogueClockDrawer referenceClock() {
    AnalogueClockDrawer clock;
    clock.hourColour = kHour;
    clock.minuteColour = kMinute;
    clock.secondColour = kSecond;
    clock.markColour = kMarks;
    clock.dialColour = kDial;
    clock.hourSizeRatio = clock.minuteSizeRatio = clock.secondSizeRatio = clock.markSizeRatio = 1.0;
    clock.hourLengthRatio = 0.5;
    clock.minuteLengthRatio = 0.7;
    clock.secondLengthRatio = 0.8;
    clock.markLength = 50.0;
    clock.setGeometry(200, 200, 100, 1.0);
    return clock;
}

void expectCorners(const AnalogueClockDrawer::Corners& actual, const std::vector<PointF>& expected,
                   float tolerance = 1e-3f) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i].x, expected[i].x, tolerance) << "corner " << i;
        EXPECT_NEAR(actual[i].y, expected[i].y, tolerance) << "corner " << i;
    }
}

TEST(AnalogueGeometry, ReferenceClockHasItsMarkUnitAndDial) {
    const AnalogueClockDrawer clock = referenceClock();
    EXPECT_EQ(clock.markUnit, 5);
    EXPECT_EQ(clock.radiusX, 100);
    EXPECT_EQ(clock.radiusY, 100);
    EXPECT_EQ(clock.dialRect(200, 200), (IntRect{100, 100, 200, 200}));
}

TEST(AnalogueGeometry, PixelAspectRatioNarrowsTheDialAndSmallRadiiKeepAMinimumMarkUnit) {
    AnalogueClockDrawer clock = referenceClock();
    clock.setGeometry(200, 200, 100, 2.0);
    EXPECT_EQ(clock.radiusX, 50);
    EXPECT_EQ(clock.radiusY, 100);
    EXPECT_EQ(clock.dialRect(200, 200), (IntRect{150, 100, 100, 200}));
    EXPECT_EQ(clock.markUnit, 2);
    clock.setGeometry(200, 200, 30, 1.0);
    EXPECT_EQ(clock.markUnit, 2);  // 30 / 20 = 1, raised to 2
}

TEST(AnalogueGeometry, UnusablePixelAspectRatiosCountAsSquarePixels) {
    for (double ratio : {0.0, -2.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        AnalogueClockDrawer clock = referenceClock();
        clock.setGeometry(200, 200, 100, ratio);
        EXPECT_EQ(clock.radiusX, 100) << ratio;
        EXPECT_EQ(AnalogueClockDrawer::clockArea(200, 200, 100, ratio), (RectF{98, 98, 204, 204})) << ratio;
    }
}

TEST(AnalogueGeometry, PositionsTurnClockwiseFromTwelve) {
    EXPECT_DOUBLE_EQ(AnalogueClockDrawer::positionAngle(0), -15 * 3.14159 / 30);
    EXPECT_DOUBLE_EQ(AnalogueClockDrawer::positionAngle(15), 0.0);
    const AnalogueClockDrawer clock = referenceClock();
    // Offsets are truncated toward zero after adding one half.
    EXPECT_EQ(clock.polarPoint(0, 0.5), (PointF{200, 151}));   // -49.5 -> -49
    EXPECT_EQ(clock.polarPoint(30, 0.5), (PointF{200, 250}));  // 50.5 -> 50
    EXPECT_EQ(clock.polarPoint(45, 0.1), (PointF{191, 200}));  // -9.5 -> -9
    EXPECT_EQ(clock.polarPoint(60, 0.5), clock.polarPoint(0, 0.5));
    EXPECT_EQ(clock.polarPoint(-15, 0.5), clock.polarPoint(45, 0.5));
}

TEST(AnalogueGeometry, MarksStandOnTheRim) {
    const AnalogueClockDrawer clock = referenceClock();
    expectCorners(clock.markPoints(true, 0), {{201.25f, 116}, {201.25f, 106}, {198.75f, 106}, {198.75f, 116}});
    expectCorners(clock.markPoints(true, 15), {{285, 201.25f}, {295, 201.25f}, {295, 198.75f}, {285, 198.75f}});
    // A minute mark is half as long and half as wide: 0.90 to 0.95 of the radius.
    expectCorners(clock.markPoints(false, 15),
                  {{290, 200.625f}, {295, 200.625f}, {295, 199.375f}, {290, 199.375f}});
}

TEST(AnalogueGeometry, HourHandIsAKiteWithItsSidesTruncatedTowardZero) {
    AnalogueClockDrawer clock = referenceClock();
    clock.minute = 0;
    expectCorners(clock.handPoints(3, HandKind::hour), {{191, 200}, {200, 205}, {250, 200}, {200, 196}});
    EXPECT_EQ(clock.handPoints(0, HandKind::hour)[2], (PointF{200, 151}));
    EXPECT_EQ(clock.handPoints(12, HandKind::hour)[2], (PointF{200, 151}));
    clock.minute = 30;  // 10:30 stands at position 10 * 5 + 30 / 12 = 52
    EXPECT_EQ(clock.handPoints(10, HandKind::hour)[2], clock.polarPoint(52, 0.5));
    EXPECT_EQ(clock.handPoints(10, HandKind::hour)[0], clock.polarPoint(82, 0.1));
}

TEST(AnalogueGeometry, MinuteHandShowsWholeMinutes) {
    AnalogueClockDrawer clock = referenceClock();
    EXPECT_EQ(clock.handPoints(0, HandKind::minute)[2], (PointF{200, 131}));
    clock.minuteSizeRatio = 0.5;  // sides 7.5 -> 7 positions to either side
    EXPECT_EQ(clock.handPoints(20, HandKind::minute)[1], clock.polarPoint(27, 0.05));
    EXPECT_EQ(clock.handPoints(20, HandKind::minute)[3], clock.polarPoint(12, 0.05));
}

TEST(AnalogueGeometry, SecondHandIsABarAcrossTheCentre) {
    const AnalogueClockDrawer clock = referenceClock();
    expectCorners(clock.handPoints(0, HandKind::second),
                  {{198.889f, 201}, {201.111f, 201}, {201.111f, 121}, {198.889f, 121}});
}

TEST(AnalogueGeometry, ClockAreaIsTheDialWithAMarginInUpwardRows) {
    EXPECT_EQ(AnalogueClockDrawer::clockArea(200, 200, 100, 1.0), (RectF{98, 98, 204, 204}));
    EXPECT_EQ(AnalogueClockDrawer::clockArea(50, 200, 100, 1.0), (RectF{0, 98, 204, 204}));
    EXPECT_EQ(AnalogueClockDrawer::clockArea(960, 1080 - 540, 189, 1.0), (RectF{769, 349, 382, 382}));
    EXPECT_EQ(AnalogueClockDrawer::clockArea(960, 540, 189, 2.0), (RectF{864, 349, 192, 382}));
}

TEST(AnalogueGeometry, SnapshotValuesPickEachPartsColourAndScaleThePercentages) {
    ClockValues values;
    values.mainColour = ChannelColour{255, 255, 255, 100};
    values.backgroundColour = ChannelColour{1, 2, 3, 4};
    values.hourColour = ChannelColour{200, 0, 0, 255};
    values.useHourColour = 1;
    values.pointColour = ChannelColour{0, 0, 9, 255};
    values.usePointColour = 0;
    values.hourSize = 120.0;
    values.minuteSize = 40.0;
    values.secondSize = 30.0;
    values.secondLength = 80.0;
    values.minuteLength = 70.0;
    values.hourLength = 20.0;
    values.pointLength = 50.0;
    values.pointSize = 50.0;
    AnalogueClockDrawer clock;
    clock.takeSnapshotValues(values);
    EXPECT_EQ(clock.hourColour, makeColor(255, 200, 0, 0));
    EXPECT_EQ(clock.minuteColour, makeColor(100, 255, 255, 255));
    EXPECT_EQ(clock.markColour, makeColor(100, 255, 255, 255));
    EXPECT_EQ(clock.dialColour, makeColor(4, 1, 2, 3));
    EXPECT_DOUBLE_EQ(clock.hourSizeRatio, 1.2);
    EXPECT_DOUBLE_EQ(clock.minuteSizeRatio, 0.4);
    EXPECT_DOUBLE_EQ(clock.secondSizeRatio, 0.3);
    EXPECT_DOUBLE_EQ(clock.secondLengthRatio, 0.8);
    EXPECT_DOUBLE_EQ(clock.minuteLengthRatio, 0.7);
    EXPECT_DOUBLE_EQ(clock.hourLengthRatio, 0.2);
    EXPECT_DOUBLE_EQ(clock.markSizeRatio, 0.5);
    EXPECT_DOUBLE_EQ(clock.markLength, 50.0);
    EXPECT_EQ(clock.drawDial, 1);
}

TEST(AnalogueGeometry, HugeSizesSaturateInsteadOfOverflowing) {
    AnalogueClockDrawer clock = referenceClock();
    clock.setGeometry(std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(),
                      std::numeric_limits<int32_t>::max(), 1e-300);
    EXPECT_EQ(clock.radiusX, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(clock.dialRect(std::numeric_limits<int32_t>::max(), 0).width,
              2 * int64_t{std::numeric_limits<int32_t>::max()});
    clock.hourSizeRatio = 1e300;
    clock.secondSizeRatio = 1e300;
    clock.markSizeRatio = -1e300;
    clock.minute = std::numeric_limits<int32_t>::max();
    for (const PointF& p : clock.handPoints(std::numeric_limits<int32_t>::max(), HandKind::hour)) {
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
    for (const PointF& p : clock.handPoints(std::numeric_limits<int32_t>::min(), HandKind::second)) {
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
    for (const PointF& p : clock.markPoints(true, 7)) {
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
    const RectF area = AnalogueClockDrawer::clockArea(std::numeric_limits<int32_t>::min(), 0,
                                                      std::numeric_limits<int32_t>::max(), 1e-300);
    EXPECT_EQ(area.x, 0.0f);
    EXPECT_GT(area.width, 4e9f);
}

TEST(AnalogueDrawing, DrawsDialThenSixtyMarksThenSecondMinuteAndHourHands) {
    AnalogueClockDrawer clock = referenceClock();
    RecordingGraphics graphics;
    clock.drawClock(graphics, 200, 200, 100, 1.0, 15, 0, 0);
    ASSERT_EQ(graphics.calls.size(), 64u);
    EXPECT_EQ(graphics.calls[0].kind, RecordingGraphics::Kind::ellipse);
    EXPECT_EQ(graphics.calls[0].rect, (IntRect{100, 100, 200, 200}));
    EXPECT_EQ(graphics.calls[0].colour, kDial);
    for (size_t i = 1; i <= 60; ++i) {
        EXPECT_EQ(graphics.calls[i].kind, RecordingGraphics::Kind::polygon);
        EXPECT_EQ(graphics.calls[i].colour, kMarks);
    }
    EXPECT_EQ(graphics.calls[61].colour, kSecond);
    EXPECT_EQ(graphics.calls[62].colour, kMinute);
    EXPECT_EQ(graphics.calls[63].colour, kHour);
    // 15:00 shows as 3:00.
    const std::vector<PointF> threeOClock{{191, 200}, {200, 205}, {250, 200}, {200, 196}};
    EXPECT_EQ(graphics.calls[63].points, threeOClock);
}

TEST(AnalogueDrawing, SwitchesLeaveOutMinuteMarksAndHands) {
    AnalogueClockDrawer clock = referenceClock();
    clock.drawMinuteMarks = 0;
    clock.drawSecondHand = 0;
    clock.drawDial = 0;
    RecordingGraphics graphics;
    clock.drawClock(graphics, 200, 200, 100, 1.0, 3, 0, 0);
    EXPECT_EQ(graphics.calls.size(), 12u + 2u);
}

class AnalogueCanvas : public ::testing::Test {
protected:
    void draw(AnalogueClockDrawer& clock, int hour, int minute, int second) {
        const DrawingTarget* target = surface.create(400, 400, 32, false);
        ASSERT_NE(target, nullptr);
        auto graphics = createGraphics(target);
        clock.drawClock(*graphics, 200, 200, 100, 1.0, hour, minute, second);
    }

    Color at(int x, int y) const {
        const uint8_t* p = surface.pixels() + static_cast<size_t>(399 - y) * surface.rowBytes() +
                           static_cast<size_t>(x) * 4;
        return makeColor(p[3], p[2], p[1], p[0]);
    }

    DrawingSurface surface;
};

TEST_F(AnalogueCanvas, DialHandsAndMarksLandWhereTheGeometrySays) {
    AnalogueClockDrawer clock = referenceClock();
    draw(clock, 3, 0, 0);
    EXPECT_EQ(at(160, 240), kDial);    // inside the dial, away from marks and hands
    EXPECT_EQ(at(220, 199), kHour);    // on the hour hand, toward three o'clock
    EXPECT_EQ(at(220, 200), kHour);
    EXPECT_EQ(at(180, 200), kDial);    // opposite it: the tail stops at x 191
    EXPECT_EQ(at(197, 185), kMinute);  // the minute hand points up, over the second hand
    EXPECT_EQ(at(200, 125), kSecond);  // beyond the minute hand's tip
    EXPECT_EQ(at(200, 110), kMarks);   // twelve o'clock mark: y 106 to 116
    EXPECT_EQ(at(290, 200), kMarks);   // three o'clock mark: x 285 to 295
    EXPECT_EQ(at(99, 200), Color{});   // outside the dial
    EXPECT_EQ(at(110, 110), Color{});
}

TEST_F(AnalogueCanvas, MarksOfZeroLengthOrZeroWidthLeaveNoPixels) {
    for (const auto& [length, size] : {std::pair{0.0, 1.0}, std::pair{50.0, 0.0}}) {
        AnalogueClockDrawer clock = referenceClock();
        clock.drawDial = 0;
        clock.drawHourHand = clock.drawMinuteHand = clock.drawSecondHand = 0;
        clock.markLength = length;
        clock.markSizeRatio = size;
        surface.release();
        draw(clock, 0, 0, 0);
        size_t touched = 0;
        for (size_t i = 0; i < surface.sizeBytes(); ++i) {
            touched += surface.pixels()[i] != 0 ? 1 : 0;
        }
        EXPECT_EQ(touched, 0u) << "length " << length << " size " << size;
    }
}

TEST_F(AnalogueCanvas, ARadiusOfZeroDrawsNothing) {
    AnalogueClockDrawer clock = referenceClock();
    const DrawingTarget* target = surface.create(400, 400, 32, false);
    ASSERT_NE(target, nullptr);
    clock.drawClock(*createGraphics(target), 200, 200, 0, 1.0, 3, 0, 0);
    size_t touched = 0;
    for (size_t i = 0; i < surface.sizeBytes(); ++i) {
        touched += surface.pixels()[i] != 0 ? 1 : 0;
    }
    EXPECT_EQ(touched, 0u);
}

TEST_F(AnalogueCanvas, AHugeClockFillsThePictureWithItsDial) {
    AnalogueClockDrawer clock = referenceClock();
    clock.drawHourHand = clock.drawMinuteHand = clock.drawSecondHand = 0;
    const DrawingTarget* target = surface.create(400, 400, 32, false);
    ASSERT_NE(target, nullptr);
    clock.drawClock(*createGraphics(target), 200, 200, std::numeric_limits<int32_t>::max(), 1.0, 3, 0, 0);
    EXPECT_EQ(at(0, 0), kDial);
    EXPECT_EQ(at(399, 399), kDial);
}

}  // namespace
}  // namespace horavex
