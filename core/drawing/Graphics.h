// The drawing operations the clock styles use, independent of the platform's
// 2-D library. One Graphics draws on one surface for the length of one clock;
// destroying it (or calling finish) completes the drawing, after which the
// surface holds straight (not premultiplied) colours.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "core/drawing/Color.h"
#include "core/drawing/DrawingSurface.h"
#include "core/drawing/Shapes.h"

namespace horavex {

enum FontStyleBits : int {
    kFontStyleRegular = 0,
    kFontStyleBold = 1,
    kFontStyleItalic = 2,
    kFontStyleUnderline = 4,
    kFontStyleStrikeout = 8,
};

// A font made by a Graphics. A font that could not be made (an em size that is
// zero, negative, not finite or too large to draw) measures as an empty box and
// draws nothing.
class Font {
public:
    virtual ~Font() = default;
    virtual bool usable() const noexcept = 0;
};

class Graphics {
public:
    // Text beyond this many characters is not laid out.
    static constexpr size_t kMaxTextLength = 254;

    virtual ~Graphics() = default;

    // Fills the ellipse inscribed in the rectangle. An empty rectangle fills nothing.
    virtual void fillEllipse(const IntRect& bounds, Color colour) = 0;

    // Fills the polygon through the points in their order, by the alternate
    // (even-odd) rule. Fewer than three points fill nothing.
    virtual void fillPolygon(std::span<const PointF> points, Color colour) = 0;

    // Fills the rectangle with corners (x, y) and (x + width, y + height).
    virtual void fillRectangle(const IntRect& rect, Color colour) = 0;

    // A font of a face at an em size in points (1/72 inch at 96 pixels per
    // inch), with the style bits above. A face the system does not know, or an
    // empty one, gives the generic sans-serif family.
    virtual std::unique_ptr<Font> createFont(std::u16string_view faceName, float emSizePoints,
                                             int styleBits) = 0;

    // The bounding box, in pixels, of the whole line laid out from origin.
    // (0, 0, 0, 0) when the font is not usable or there is no pixel memory.
    virtual RectF measureString(std::wstring_view text, const Font& font, PointF origin) = 0;

    // Draws the line centred horizontally and vertically in the layout
    // rectangle, clipped to it.
    virtual void drawString(std::wstring_view text, const Font& font, const RectF& layout,
                            Color colour) = 0;

    // Completes the drawing so far; the surface then holds straight colours.
    // Drawing may go on afterwards.
    virtual void finish() = 0;
};

// A Graphics on the target that DrawingSurface::create returned. On a null
// target nothing is drawn and nothing measures.
std::unique_ptr<Graphics> createGraphics(const DrawingTarget* target);

// Lets go of what the platform's drawing library keeps for the whole process
// (GDI+, started when the process first draws); the next drawing starts it
// again. Called when the plug-in is unloaded.
void releaseDrawingBackend();

}  // namespace horavex
