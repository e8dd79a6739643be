// The analogue clock: a filled elliptical dial, sixty marks around its rim and
// three hands, all filled shapes. Directions are clock positions: 0 is twelve
// o'clock, 15 three o'clock; one position is a sixtieth of a turn, clockwise on
// the screen (y grows downward).
#pragma once

#include <array>
#include <cstdint>

#include "core/drawing/Color.h"
#include "core/drawing/Graphics.h"
#include "core/drawing/Shapes.h"
#include "core/values/ClockValues.h"

namespace horavex {

enum class HandKind : int32_t { hour = 0, minute = 1, second = 2 };

class AnalogueClockDrawer {
public:
    using Corners = std::array<PointF, 4>;

    // Colours, sizes, lengths and switches from a parameter snapshot: each hand
    // and the marks take their own colour when its switch is on, else the main
    // colour; the dial takes the background colour. Sizes and lengths are
    // percentages, except the mark length, which keeps its percent scale.
    void takeSnapshotValues(const ClockValues& values);

    // Centre (drawing coordinates), vertical radius and pixel aspect ratio.
    void setGeometry(int32_t cx, int32_t cy, int32_t r, double pixelAspectRatio);

    // Radians; uses 3.14159 for pi, as the clock always has.
    static double positionAngle(int32_t position);
    // The point at a fraction of the radius in the direction of a position,
    // rounded half up toward zero to whole pixels from the centre.
    PointF polarPoint(int32_t position, double fraction) const;
    // polarPoint moved offset pixels at right angles to the direction.
    PointF offsetPoint(int32_t position, double fraction, double offset) const;

    Corners markPoints(bool isFiveMinuteMark, int32_t position) const;
    Corners handPoints(int32_t value, HandKind kind) const;
    // The dial's rectangle around a centre, from the radii of setGeometry.
    IntRect dialRect(int32_t cx, int32_t cy) const;

    void drawMark(Graphics& graphics, bool isFiveMinuteMark, int32_t position) const;
    void drawHand(Graphics& graphics, int32_t value, HandKind kind) const;
    void drawHands(Graphics& graphics, int32_t hourValue, int32_t minuteValue, int32_t secondValue) const;
    // Draws dial, marks and hands; hour 0..23, minute and second 0..59.
    void drawClock(Graphics& graphics, int32_t cx, int32_t cy, int32_t r, double pixelAspectRatio,
                   int32_t hourValue, int32_t minuteValue, int32_t secondValue);

    // The rectangle holding the clock, rows counted upward from the bottom of
    // the picture (cyUp = picture height - centre y). Not clipped to the picture.
    static RectF clockArea(int32_t cx, int32_t cyUp, int32_t r, double pixelAspectRatio);

    Color hourColour;
    Color minuteColour;
    Color secondColour;
    Color markColour;
    Color dialColour;
    PointF centre;
    int32_t radiusX = 0;
    int32_t radiusY = 0;
    int32_t markUnit = 0;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t drawHourHand = 1;
    int32_t drawMinuteHand = 1;
    int32_t drawSecondHand = 1;
    int32_t drawMarks = 1;
    int32_t drawMinuteMarks = 1;
    int32_t drawDial = 1;
    double secondSizeRatio = 0.5;
    double minuteSizeRatio = 0.5;
    double hourSizeRatio = 0.5;
    double secondLengthRatio = 0.8;
    double minuteLengthRatio = 0.7;
    double hourLengthRatio = 0.5;
    double markSizeRatio = 0.5;
    double markLength = 50.0;
    double pixelAspectRatio = 1.0;
};

}  // namespace horavex
