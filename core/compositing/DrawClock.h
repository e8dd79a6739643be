// The style branch of a render: draws the chosen clock on the surface and says
// which part of it holds the clock.
#pragma once

#include <string_view>

#include "core/clocktime/ShownTime.h"
#include "core/drawing/Color.h"
#include "core/drawing/DrawingSurface.h"
#include "core/drawing/Shapes.h"
#include "core/values/ClockValues.h"
#include "core/values/LogFont.h"
#include "core/compositing/ClockGeometry.h"

namespace horavex {

enum ClockStyle : int { kAnalogueStyle = 0, kDigitalStyle = 1, kLedStyle = 2 };

// The drawing colours of the text styles: "Main Colour" for the text or
// segments, "Background Colour" for the box behind them. The analogue drawer
// picks its hand and mark colours from the snapshot itself.
struct ClockColours {
    Color text;
    Color back;
};

ClockColours clockColours(const ClockValues& values);

// The values a frame is drawn with: a countdown in overtime, with "Use
// Overtime Colour" on, takes the overtime colour wherever "Main Colour" would
// go; anything else is drawn with the values as they are.
ClockValues drawingValues(const ClockValues& values, const ShownTime& shown);

// True for the styles that show the time as text.
constexpr bool styleShowsText(int style) {
    return style == kDigitalStyle || style == kLedStyle;
}

struct ClockScene {
    const ClockValues& values;
    const ClockGeometry& geometry;
    const ShownTime& shown;
    std::wstring_view text;  // the time text, for the text styles
    const LogFont& font;     // the digital style's font
};

// Draws the style of `scene.values.clockStyle` and returns its drawing area in
// surface rows counted upward: the analogue clock area, the digital text box,
// or `wholeSurface` for the LED style and any unknown style (which draws nothing).
RectF drawClock(const DrawingTarget& target, const ClockScene& scene, RectF wholeSurface);

}  // namespace horavex
