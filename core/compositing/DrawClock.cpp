#include "core/compositing/DrawClock.h"

#include "core/clocktime/TimeText.h"
#include "core/drawing/AnalogueClockDrawer.h"
#include "core/drawing/DigitalText.h"
#include "core/drawing/Graphics.h"
#include "core/drawing/LEDClockDrawer.h"
#include "core/drawing/SaturatingMath.h"

namespace horavex {

ClockColours clockColours(const ClockValues& values) {
    return ClockColours{colorFromChannels(values.mainColour), colorFromChannels(values.backgroundColour)};
}

ClockValues drawingValues(const ClockValues& values, const ShownTime& shown) {
    ClockValues drawn = values;
    if (shown.overtime && values.useOvertimeColour != 0) {
        drawn.mainColour = values.overtimeColour;
    }
    return drawn;
}

namespace {

RectF drawAnalogue(Graphics& graphics, const ClockScene& scene, int32_t height) {
    const ClockGeometry& g = scene.geometry;
    const double aspect = scene.values.pixelAspectRatio;
    AnalogueClockDrawer vClock;
    vClock.takeSnapshotValues(scene.values);
    // The centre may lie far outside the surface: the distance from the
    // bottom is formed in 64 bits.
    const int32_t centreUp = clampToInt32(int64_t{height} - g.centreY);
    const RectF area = AnalogueClockDrawer::clockArea(g.centreX, centreUp, g.radius, aspect);
    vClock.drawClock(graphics, g.centreX, g.centreY, g.radius, aspect, scene.shown.hours, scene.shown.minutes,
                     scene.shown.seconds);
    return area;
}

RectF drawLed(Graphics& graphics, const ClockScene& scene, RectF wholeSurface) {
    const ClockColours colours = clockColours(scene.values);
    LEDClockDrawer vLEDClock;
    vLEDClock.segmentColour = colours.text;
    vLEDClock.backgroundColour = colours.back;
    vLEDClock.drawBackground = 1;
    vLEDClock.drawTimerMarks = (scene.shown.isSpan || isTimecodeFormat(scene.values.digitalFormat)) ? 1 : 0;
    vLEDClock.drawText(graphics, scene.geometry.centreX, scene.geometry.centreY,
                       LEDClockDrawer::sizeFromTextBase(scene.geometry.textBase), scene.values.pixelAspectRatio,
                       scene.text);
    return wholeSurface;
}

}  // namespace

RectF drawClock(const DrawingTarget& target, const ClockScene& scene, RectF wholeSurface) {
    const int style = scene.values.clockStyle;
    if (style != kAnalogueStyle && style != kDigitalStyle && style != kLedStyle) {
        return wholeSurface;
    }
    const std::unique_ptr<Graphics> graphics = createGraphics(&target);
    RectF area = wholeSurface;
    switch (style) {
        case kAnalogueStyle:
            area = drawAnalogue(*graphics, scene, target.height);
            break;
        case kDigitalStyle: {
            const ClockColours colours = clockColours(scene.values);
            const auto draw = scene.values.fixedWidthDigits != 0 ? drawDigitalTextFixedDigits : drawDigitalText;
            area = draw(*graphics, scene.text, scene.font, scene.geometry.centreX, scene.geometry.centreY,
                        scene.geometry.textBase, target.height, colours.text, colours.back);
            break;
        }
        default:
            area = drawLed(*graphics, scene, wholeSurface);
            break;
    }
    graphics->finish();
    return area;
}

}  // namespace horavex
