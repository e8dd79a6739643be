#include "core/drawing/DigitalText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/drawing/SaturatingMath.h"

namespace horavex {
namespace {

constexpr double kBoxWidening = 1.1;
constexpr std::u16string_view kMeasuringFace = u"Arial";

bool isDigit(std::wstring_view character) {
    return character.size() == 1 && character[0] >= L'0' && character[0] <= L'9';
}

// Where wide characters are UTF-16, a character outside the basic plane takes
// two of them.
size_t characterLength(std::wstring_view text, size_t at) {
    if constexpr (sizeof(wchar_t) == 2) {
        const auto unit = static_cast<uint32_t>(text[at]);
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size()) {
            const auto next = static_cast<uint32_t>(text[at + 1]);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                return 2;
            }
        }
    }
    return 1;
}

float measuredWidth(Graphics& graphics, std::wstring_view text, const Font& font) {
    const float width = graphics.measureString(text, font, PointF{0.0f, 0.0f}).width;
    return std::isfinite(width) && width > 0.0f ? width : 0.0f;
}

}  // namespace

std::u16string digitalFaceName(const LogFont& font) {
    std::u16string face;
    // The name may fill its whole field without a terminator.
    for (const auto c : font.lfFaceName) {
        if (c == 0) {
            break;
        }
        face.push_back(static_cast<char16_t>(c));
    }
    return face.empty() ? std::u16string(kMeasuringFace) : face;
}

int digitalFontStyle(const LogFont& font) {
    int style = kFontStyleRegular;
    if (font.lfWeight > 400) {
        style |= kFontStyleBold;
    }
    if (font.lfItalic != 0) {
        style |= kFontStyleItalic;
    }
    if (font.lfUnderline != 0) {
        style |= kFontStyleUnderline;
    }
    if (font.lfStrikeOut != 0) {
        style |= kFontStyleStrikeout;
    }
    return style;
}

int32_t digitalEmSize(int32_t textBase, int32_t lfHeight) {
    return clampToInt32(int64_t{textBase} * std::llabs(int64_t{lfHeight}) / 100);
}

DigitalTextBox digitalTextBox(float measuredWidth, float measuredHeight, int32_t centreX, int32_t centreY,
                              int32_t surfaceHeight) {
    const double widened = static_cast<double>(measuredWidth) * kBoxWidening;
    DigitalTextBox box;
    box.left = truncToInt32(static_cast<double>(centreX) - widened / 2.0);
    box.top = truncToInt32(static_cast<float>(centreY) - measuredHeight / 2.0f);
    box.width = truncToInt32(widened);
    box.height = truncToInt32(measuredHeight);
    box.drawArea = RectF{static_cast<float>(box.left),
                         static_cast<float>(int64_t{surfaceHeight} - box.top - box.height),
                         static_cast<float>(box.width), static_cast<float>(box.height)};
    box.layout = RectF{static_cast<float>(box.left), static_cast<float>(box.top),
                       toFloat(truncToInt32(measuredWidth) * kBoxWidening), static_cast<float>(box.height)};
    return box;
}

RectF drawDigitalText(Graphics& graphics, std::wstring_view line, const LogFont& font, int32_t centreX,
                      int32_t centreY, int32_t textBase, int32_t surfaceHeight, Color textColour,
                      Color backColour) {
    const std::wstring_view text = line.substr(0, Graphics::kMaxTextLength);
    const int style = digitalFontStyle(font);
    const float emSize = static_cast<float>(digitalEmSize(textBase, font.lfHeight));
    const auto drawingFont = graphics.createFont(digitalFaceName(font), emSize, style);
    const auto measuringFont = graphics.createFont(kMeasuringFace, emSize, style);
    const RectF measured = graphics.measureString(
        text, *measuringFont, PointF{static_cast<float>(centreX), static_cast<float>(centreY)});
    const DigitalTextBox box = digitalTextBox(measured.width, measured.height, centreX, centreY, surfaceHeight);
    // The box is drawn whatever its alpha; the compositing decides what shows.
    graphics.fillRectangle(IntRect{box.left, box.top, box.width, box.height}, backColour);
    graphics.drawString(text, *drawingFont, box.layout, textColour);
    return box.drawArea;
}

std::vector<TextCell> fixedDigitCells(Graphics& graphics, std::wstring_view line, const Font& font) {
    static constexpr std::wstring_view kDigits = L"0123456789";
    float widestDigit = 0.0f;
    for (size_t i = 0; i < kDigits.size(); ++i) {
        widestDigit = std::max(widestDigit, measuredWidth(graphics, kDigits.substr(i, 1), font));
    }
    std::vector<TextCell> cells;
    for (size_t at = 0; at < line.size();) {
        const std::wstring_view character = line.substr(at, characterLength(line, at));
        at += character.size();
        const float width = isDigit(character) ? widestDigit : measuredWidth(graphics, character, font);
        cells.push_back(TextCell{character, width});
    }
    return cells;
}

RectF drawDigitalTextFixedDigits(Graphics& graphics, std::wstring_view line, const LogFont& font, int32_t centreX,
                                 int32_t centreY, int32_t textBase, int32_t surfaceHeight, Color textColour,
                                 Color backColour) {
    const std::wstring_view text = line.substr(0, Graphics::kMaxTextLength);
    const float emSize = static_cast<float>(digitalEmSize(textBase, font.lfHeight));
    const auto drawingFont = graphics.createFont(digitalFaceName(font), emSize, digitalFontStyle(font));
    const std::vector<TextCell> cells = fixedDigitCells(graphics, text, *drawingFont);
    double width = 0.0;
    for (const TextCell& cell : cells) {
        width += cell.width;
    }
    const float height = graphics.measureString(text, *drawingFont, PointF{0.0f, 0.0f}).height;
    const DigitalTextBox box = digitalTextBox(toFloat(width), height, centreX, centreY, surfaceHeight);
    graphics.fillRectangle(IntRect{box.left, box.top, box.width, box.height}, backColour);
    // Each character is centred on its cell in a rectangle wide enough that
    // no overhang of its glyph is cut off; the compositing keeps to the box.
    const double margin = std::max(static_cast<double>(box.height), 1.0);
    double x = static_cast<double>(box.layout.x) + (static_cast<double>(box.layout.width) - width) / 2.0;
    for (const TextCell& cell : cells) {
        const double centre = x + cell.width / 2.0;
        const double span = cell.width + 2.0 * margin;
        graphics.drawString(cell.text, *drawingFont,
                            RectF{toFloat(centre - span / 2.0), box.layout.y, toFloat(span), box.layout.height},
                            textColour);
        x += cell.width;
    }
    return box.drawArea;
}

}  // namespace horavex
