#include "core/drawing/LEDClockDrawer.h"

#include <algorithm>
#include <cmath>

#include "core/drawing/SaturatingMath.h"

namespace horavex {
namespace {

// One rectangle in grid units; an x offset of -5 stands for -X(5).
struct UnitRect {
    int32_t x, y, width, height;
};

struct Segment {
    UnitRect rect;
    const char* digits;  // the digits that light it
};

constexpr Segment kSegments[] = {
    {{0, 0, 25, 5}, "02356789"},    // top
    {{-5, 5, 5, 20}, "045689"},     // upper left
    {{25, 5, 5, 20}, "01234789"},   // upper right
    {{0, 25, 25, 5}, "2345689"},    // middle
    {{0, 50, 25, 5}, "0235689"},    // bottom
    {{-5, 30, 5, 20}, "0268"},      // lower left
    {{25, 30, 5, 20}, "013456789"}, // lower right
};

constexpr UnitRect kLetterA[] = {{5, 15, 15, 5}, {0, 20, 5, 30}, {20, 20, 5, 30}, {5, 32, 15, 5}};
constexpr UnitRect kLetterP[] = {{5, 15, 15, 5}, {0, 20, 5, 30}, {20, 20, 5, 12}, {5, 32, 15, 5}};
constexpr UnitRect kLetterM[] = {{0, 15, 15, 5}, {-5, 20, 5, 30}, {15, 20, 5, 30}, {5, 15, 5, 15}};
constexpr UnitRect kColon[] = {{12, 12, 7, 7}, {12, 40, 7, 7}};
constexpr UnitRect kFullStop[] = {{12, 40, 7, 7}};
constexpr UnitRect kMinus[] = {{0, 25, 25, 5}};
constexpr UnitRect kSemicolon[] = {{12, 12, 7, 7}, {12, 40, 7, 7}, {12, 40, 5, 15}};

bool lights(const Segment& segment, wchar_t character) {
    for (const char* digit = segment.digits; *digit != '\0'; ++digit) {
        if (static_cast<wchar_t>(*digit) == character) {
            return true;
        }
    }
    return false;
}

template <size_t N>
int32_t metric(const std::array<int32_t, N>& units, const std::array<int32_t, N>& metrics, int32_t unit) {
    const auto found = std::find(units.begin(), units.end(), unit);
    return found == units.end() ? 0 : metrics[static_cast<size_t>(found - units.begin())];
}

}  // namespace

int32_t LEDClockDrawer::sizeFromTextBase(int32_t textBase) {
    return clampToInt32(int64_t{textBase} * 68 / 100);
}

void LEDClockDrawer::setScale(int32_t size, float pixelAspectRatio) {
    const float ratio = (std::isfinite(pixelAspectRatio) && pixelAspectRatio > 0.0f) ? pixelAspectRatio : 1.0f;
    scale = size / 100.0;
    for (size_t i = 0; i < kYUnits.size(); ++i) {
        yMetrics[i] = truncToInt32(kYUnits[i] * scale);
    }
    const float xScale = toFloat(scale / ratio);
    for (size_t i = 0; i < kXUnits.size(); ++i) {
        xMetrics[i] = truncToInt32(static_cast<float>(kXUnits[i]) * xScale);
    }
}

int32_t LEDClockDrawer::X(int32_t units) const { return metric(kXUnits, xMetrics, units); }

int32_t LEDClockDrawer::Y(int32_t units) const { return metric(kYUnits, yMetrics, units); }

GlyphRectangles LEDClockDrawer::glyphRectangles(wchar_t character, int64_t x, int64_t y) const {
    GlyphRectangles glyph;
    // Below 20 pixels per 100 units the 5-unit thickness of a segment
    // truncates to no pixel, and every digit would vanish from its box while
    // its segments are still long enough to tell one digit from another. As
    // long as they are two pixels long, a rectangle keeps a pixel each way.
    const int64_t thinnest = X(25) >= 2 && Y(20) >= 2 ? 1 : 0;
    auto add = [&](const UnitRect& r) {
        const int64_t dx = r.x < 0 ? -int64_t{X(-r.x)} : X(r.x);
        glyph.rects[glyph.count++] = IntRect{x + dx, y + Y(r.y), std::max<int64_t>(X(r.width), thinnest),
                                             std::max<int64_t>(Y(r.height), thinnest)};
    };
    auto addAll = [&](const auto& rects) {
        for (const UnitRect& r : rects) {
            add(r);
        }
    };
    switch (character) {
        case L'A': addAll(kLetterA); break;
        case L'P': addAll(kLetterP); break;
        case L'M': addAll(kLetterM); break;
        case L':': addAll(kColon); break;
        case L'.': addAll(kFullStop); break;
        case L'-':
            if (drawTimerMarks != 0) addAll(kMinus);
            break;
        case L';':
            if (drawTimerMarks != 0) addAll(kSemicolon);
            break;
        default:
            for (const Segment& segment : kSegments) {
                if (lights(segment, character)) {
                    add(segment.rect);
                }
            }
            break;
    }
    return glyph;
}

IntRect LEDClockDrawer::boxRectangle(size_t length) const {
    return IntRect{int64_t{left} - X(10), int64_t{top} - Y(5), int64_t{X(45)} * static_cast<int64_t>(length),
                   Y(65)};
}

void LEDClockDrawer::drawText(Graphics& graphics, int32_t cx, int32_t cy, int32_t size, double pixelAspectRatio,
                              std::wstring_view text) {
    const std::wstring_view shown = text.substr(0, Graphics::kMaxTextLength);
    const int64_t length = static_cast<int64_t>(shown.size());
    setScale(size, toFloat(pixelAspectRatio));
    top = clampToInt32(int64_t{cy} - Y(25));
    const int64_t rowWidth = int64_t{X(45)} * length;
    left = truncToInt32(static_cast<double>(cx) - static_cast<double>(rowWidth) / 2.0 + X(10));
    if (drawBackground != 0) {
        fillSegment(graphics, boxRectangle(shown.size()), backgroundColour);
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        // Every character takes a cell X(45) wide, whatever it is.
        drawGlyph(graphics, shown, i, int64_t{left} + static_cast<int64_t>(i) * X(45), top, segmentColour);
    }
}

void LEDClockDrawer::drawGlyph(Graphics& graphics, std::wstring_view text, size_t index, int64_t x, int64_t y,
                               Color colour) const {
    if (index >= text.size()) {
        return;
    }
    const GlyphRectangles glyph = glyphRectangles(text[index], x, y);
    for (size_t i = 0; i < glyph.count; ++i) {
        fillSegment(graphics, glyph.rects[i], colour);
    }
}

void LEDClockDrawer::fillSegment(Graphics& graphics, const IntRect& rect, Color colour) {
    graphics.fillRectangle(rect, colour);
}

}  // namespace horavex
