#include "core/drawing/AnalogueClockDrawer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/drawing/SaturatingMath.h"

namespace horavex {
namespace {

constexpr double kPi = 3.14159;
constexpr double kTwoPi = 6.28318;
constexpr double kMarkOuter = 0.95;

// A float sum that stays finite, so far-off corners remain drawable numbers.
float addFinite(float a, float b) {
    const float sum = a + b;
    if (std::isinf(sum)) {
        return std::copysign(std::numeric_limits<float>::max(), sum);
    }
    return sum;
}

}  // namespace

void AnalogueClockDrawer::takeSnapshotValues(const ClockValues& values) {
    const Color main = colorFromChannels(values.mainColour);
    hourColour = values.useHourColour != 0 ? colorFromChannels(values.hourColour) : main;
    minuteColour = values.useMinuteColour != 0 ? colorFromChannels(values.minuteColour) : main;
    secondColour = values.useSecondColour != 0 ? colorFromChannels(values.secondColour) : main;
    markColour = values.usePointColour != 0 ? colorFromChannels(values.pointColour) : main;
    dialColour = colorFromChannels(values.backgroundColour);
    secondSizeRatio = values.secondSize / 100.0;
    minuteSizeRatio = values.minuteSize / 100.0;
    hourSizeRatio = values.hourSize / 100.0;
    secondLengthRatio = values.secondLength / 100.0;
    minuteLengthRatio = values.minuteLength / 100.0;
    hourLengthRatio = values.hourLength / 100.0;
    markSizeRatio = values.pointSize / 100.0;
    markLength = values.pointLength;
    drawMarks = values.drawMarks;
    drawMinuteMarks = values.drawMinuteMarks;
    drawSecondHand = values.drawSecondHand;
    drawMinuteHand = values.drawMinuteHand;
    drawHourHand = values.drawHourHand;
    drawDial = 1;
}

void AnalogueClockDrawer::setGeometry(int32_t cx, int32_t cy, int32_t r, double ratio) {
    centre = PointF{static_cast<float>(cx), static_cast<float>(cy)};
    pixelAspectRatio = usablePixelAspectRatio(ratio);
    radiusX = truncToInt32(r / pixelAspectRatio);
    radiusY = r;
    markUnit = std::max(std::min(radiusX, radiusY) / 20, 2);
}

double AnalogueClockDrawer::positionAngle(int32_t position) {
    return (static_cast<double>(position) - 15.0) * kPi / 30.0;
}

PointF AnalogueClockDrawer::polarPoint(int32_t position, double fraction) const {
    const double angle = positionAngle(position);
    const int32_t dy = truncToInt32(radiusY * fraction * std::sin(angle) + 0.5);
    const int32_t dx = truncToInt32(radiusX * fraction * std::cos(angle) + 0.5);
    return PointF{centre.x + static_cast<float>(dx), centre.y + static_cast<float>(dy)};
}

PointF AnalogueClockDrawer::offsetPoint(int32_t position, double fraction, double offset) const {
    const double angle = positionAngle(position);
    const PointF point = polarPoint(position, fraction);
    return PointF{addFinite(point.x, toFloat(offset * std::sin(kTwoPi - angle))),
                  addFinite(point.y, toFloat(offset * std::cos(kTwoPi - angle)))};
}

AnalogueClockDrawer::Corners AnalogueClockDrawer::markPoints(bool isFiveMinuteMark, int32_t position) const {
    const double halfWidth = markUnit * markSizeRatio / (isFiveMinuteMark ? 4.0 : 8.0);
    const double inner = kMarkOuter - 0.1 * markLength / (isFiveMinuteMark ? 50.0 : 100.0);
    return Corners{offsetPoint(position, inner, halfWidth), offsetPoint(position, kMarkOuter, halfWidth),
                   offsetPoint(position, kMarkOuter, -halfWidth), offsetPoint(position, inner, -halfWidth)};
}

AnalogueClockDrawer::Corners AnalogueClockDrawer::handPoints(int32_t value, HandKind kind) const {
    if (kind == HandKind::second) {
        const double halfWidth = radiusX * secondSizeRatio / 90.0;
        const int32_t tail = clampToInt32(int64_t{value} + 30);
        return Corners{offsetPoint(tail, 0.01, halfWidth), offsetPoint(tail, 0.01, -halfWidth),
                       offsetPoint(value, secondLengthRatio, halfWidth),
                       offsetPoint(value, secondLengthRatio, -halfWidth)};
    }
    int64_t position = value;
    double size = minuteSizeRatio;
    double length = minuteLengthRatio;
    if (kind == HandKind::hour) {
        // The hour hand moves on one position every twelve minutes.
        position = int64_t{value} * 5 + minute / 12;
        size = hourSizeRatio;
        length = hourLengthRatio;
    }
    const int32_t v = clampToInt32(position);
    const double spread = 15.0 * size;
    return Corners{polarPoint(clampToInt32(int64_t{v} + 30), 0.1),
                   polarPoint(truncToInt32(v + spread), 0.05), polarPoint(v, length),
                   polarPoint(truncToInt32(v - spread), 0.05)};
}

IntRect AnalogueClockDrawer::dialRect(int32_t cx, int32_t cy) const {
    return IntRect{int64_t{cx} - radiusX, int64_t{cy} - radiusY, 2 * int64_t{radiusX}, 2 * int64_t{radiusY}};
}

void AnalogueClockDrawer::drawMark(Graphics& graphics, bool isFiveMinuteMark, int32_t position) const {
    const Corners corners = markPoints(isFiveMinuteMark, position);
    graphics.fillPolygon(corners, markColour);
}

void AnalogueClockDrawer::drawHand(Graphics& graphics, int32_t value, HandKind kind) const {
    const Corners corners = handPoints(value, kind);
    const Color colour = kind == HandKind::hour     ? hourColour
                         : kind == HandKind::minute ? minuteColour
                                                    : secondColour;
    graphics.fillPolygon(corners, colour);
}

void AnalogueClockDrawer::drawHands(Graphics& graphics, int32_t hourValue, int32_t minuteValue,
                                    int32_t secondValue) const {
    if (hourValue > 12) {
        hourValue %= 12;
    }
    // Drawn from the back: the hour hand lies on top.
    if (drawSecondHand != 0) {
        drawHand(graphics, secondValue, HandKind::second);
    }
    if (drawMinuteHand != 0) {
        drawHand(graphics, minuteValue, HandKind::minute);
    }
    if (drawHourHand != 0) {
        drawHand(graphics, hourValue, HandKind::hour);
    }
}

void AnalogueClockDrawer::drawClock(Graphics& graphics, int32_t cx, int32_t cy, int32_t r, double ratio,
                                    int32_t hourValue, int32_t minuteValue, int32_t secondValue) {
    hour = hourValue;
    minute = minuteValue;
    second = secondValue;
    setGeometry(cx, cy, r, ratio);
    if (drawDial != 0) {
        graphics.fillEllipse(dialRect(cx, cy), dialColour);
    }
    if (drawMarks != 0) {
        for (int32_t position = 0; position < 60; ++position) {
            if (position % 5 == 0) {
                drawMark(graphics, true, position);
            } else if (drawMinuteMarks != 0) {
                drawMark(graphics, false, position);
            }
        }
    }
    drawHands(graphics, hour, minute, second);
}

RectF AnalogueClockDrawer::clockArea(int32_t cx, int32_t cyUp, int32_t r, double ratio) {
    const int64_t d = truncToInt32(r / usablePixelAspectRatio(ratio));
    const int64_t x = std::max<int64_t>(int64_t{cx} - d - 2, 0);
    const int64_t y = std::max<int64_t>(int64_t{cyUp} - r - 2, 0);
    return RectF{static_cast<float>(x), static_cast<float>(y), static_cast<float>(2 * d + 4),
                 static_cast<float>(2 * int64_t{r} + 4)};
}

}  // namespace horavex
