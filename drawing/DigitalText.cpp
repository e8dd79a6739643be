#include "drawing/DigitalText.h"

#include <cstdlib>

#include "drawing/SaturatingMath.h"

namespace horavex {
namespace {

constexpr double kBoxWidening = 1.1;
constexpr std::u16string_view kMeasuringFace = u"Arial";

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

}  // namespace horavex
