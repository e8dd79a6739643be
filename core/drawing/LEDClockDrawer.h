// The LED clock: the time text as seven-segment characters of filled
// rectangles on a background box. Glyphs live on a grid in which 100 units
// span the size handed in; horizontal units are also divided by the pixel
// aspect ratio so the characters keep their shape on non-square pixels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/drawing/Color.h"
#include "core/drawing/Graphics.h"
#include "core/drawing/Shapes.h"

namespace horavex {

// The rectangles of one character, in fill order.
struct GlyphRectangles {
    std::array<IntRect, 7> rects{};
    size_t count = 0;
};

class LEDClockDrawer {
public:
    // Grid units that have a metric.
    static constexpr std::array<int32_t, 8> kXUnits{5, 7, 10, 12, 15, 20, 25, 45};
    static constexpr std::array<int32_t, 11> kYUnits{5, 7, 12, 15, 20, 25, 30, 32, 40, 50, 65};

    // The size the render action hands in: 68 % of the text base size.
    static int32_t sizeFromTextBase(int32_t textBase);

    // size pixels per 100 units; a pixel aspect ratio that is zero, negative or
    // not finite counts as 1.
    void setScale(int32_t size, float pixelAspectRatio);
    // Metrics in pixels for a grid unit of kXUnits / kYUnits (0 for any other).
    int32_t X(int32_t units) const;
    int32_t Y(int32_t units) const;

    // The rectangles of a character with its origin at (x, y); other
    // characters than digits, ':', '.', 'A', 'P' and 'M' have none, except
    // that with drawTimerMarks '-' lights the middle segment and ';' is a
    // colon with a tail.
    GlyphRectangles glyphRectangles(wchar_t character, int64_t x, int64_t y) const;
    // The background box of a text of this many characters, after drawText
    // (or the caller) has set top and left.
    IntRect boxRectangle(size_t length) const;

    // Draws the whole clock centred on (cx, cy). Text beyond
    // Graphics::kMaxTextLength characters is not drawn.
    void drawText(Graphics& graphics, int32_t cx, int32_t cy, int32_t size, double pixelAspectRatio,
                  std::wstring_view text);
    void drawGlyph(Graphics& graphics, std::wstring_view text, size_t index, int64_t x, int64_t y,
                   Color colour) const;
    static void fillSegment(Graphics& graphics, const IntRect& rect, Color colour);

    Color segmentColour;
    Color backgroundColour;
    int32_t top = 0;
    int32_t left = 0;
    double scale = 0.0;
    int32_t drawBackground = 1;
    // For the timer and timecode texts only: other texts keep their '-' and
    // ';' dark, as they always were.
    int32_t drawTimerMarks = 0;
    std::array<int32_t, kXUnits.size()> xMetrics{};
    std::array<int32_t, kYUnits.size()> yMetrics{};
};

}  // namespace horavex
