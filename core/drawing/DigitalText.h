// The digital clock: the time text in the user's font on a background box
// centred on the clock centre. The box and the centring follow the text's
// measure in "Arial", whatever face draws it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/drawing/Color.h"
#include "core/drawing/Graphics.h"
#include "core/drawing/Shapes.h"
#include "core/values/LogFont.h"

namespace horavex {

// The face to draw in: the font's face name, or "Arial" when it is empty.
std::u16string digitalFaceName(const LogFont& font);

// Bold above weight 400, italic, underline and strike-out as style bits.
int digitalFontStyle(const LogFont& font);

// Em size in points: |lfHeight| is a percentage of the text base size.
int32_t digitalEmSize(int32_t textBase, int32_t lfHeight);

// Where the box and the text go for a measured text size (W, H).
struct DigitalTextBox {
    int32_t left = 0;    // drawing coordinates
    int32_t top = 0;
    int32_t width = 0;   // the box is 10 % wider than the text
    int32_t height = 0;
    RectF drawArea;      // surface rows counted upward; may start below row 0
    RectF layout;        // the rectangle the text is centred in
};

DigitalTextBox digitalTextBox(float measuredWidth, float measuredHeight, int32_t centreX, int32_t centreY,
                              int32_t surfaceHeight);

// Draws the box and the text and returns the box as the clock's drawing area.
// Text beyond Graphics::kMaxTextLength characters is not drawn.
RectF drawDigitalText(Graphics& graphics, std::wstring_view line, const LogFont& font, int32_t centreX,
                      int32_t centreY, int32_t textBase, int32_t surfaceHeight, Color textColour,
                      Color backColour);

// The digital clock with fixed-width digits, so that a running clock keeps
// still in any font: each character takes a cell of its own width as the
// drawing font measures it, except that every digit 0 to 9 takes the width of
// the widest one. The box is 10 % wider than the cells together and as high
// as the measured line, placed like drawDigitalText's; each character is
// drawn centred in its cell.
RectF drawDigitalTextFixedDigits(Graphics& graphics, std::wstring_view line, const LogFont& font, int32_t centreX,
                                 int32_t centreY, int32_t textBase, int32_t surfaceHeight, Color textColour,
                                 Color backColour);

// One character of a line (a surrogate pair counts as one) and the width of
// its cell.
struct TextCell {
    std::wstring_view text;
    float width = 0.0f;
};

// The cells of drawDigitalTextFixedDigits, measured with `font`.
std::vector<TextCell> fixedDigitCells(Graphics& graphics, std::wstring_view line, const Font& font);

}  // namespace horavex
