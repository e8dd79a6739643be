#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "drawing/DigitalText.h"
#include "drawing/DrawingSurface.h"
#include "drawing/Graphics.h"
#include "drawing/PangoTextEngine.h"
#include "drawing/RecordingGraphics.h"

namespace horavex {
namespace {

LogFont fontNamed(std::u16string_view face, int32_t height = -27, int32_t weight = 400) {
    LogFont font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    for (size_t i = 0; i < face.size() && i + 1 < std::size(font.lfFaceName); ++i) {
        font.lfFaceName[i] = static_cast<FaceChar>(face[i]);
    }
    return font;
}

constexpr Color kText = makeColor(255, 250, 250, 250);
constexpr Color kBack = makeColor(255, 0, 0, 128);

TEST(DigitalFont, EmSizeIsAPercentageOfTheTextBaseWhateverTheSign) {
    EXPECT_EQ(digitalEmSize(189, -27), 51);
    EXPECT_EQ(digitalEmSize(189, 27), 51);
    EXPECT_EQ(digitalEmSize(3, -27), 0);
    EXPECT_EQ(digitalEmSize(std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()),
              std::numeric_limits<int32_t>::max());
    EXPECT_EQ(digitalEmSize(-189, 27), -51);
}

TEST(DigitalFont, StyleBitsFollowWeightAndFlags) {
    LogFont font = fontNamed(u"Arial");
    EXPECT_EQ(digitalFontStyle(font), kFontStyleRegular);
    font.lfWeight = 401;
    EXPECT_EQ(digitalFontStyle(font), kFontStyleBold);
    font.lfItalic = 1;
    font.lfUnderline = 2;
    font.lfStrikeOut = 255;
    EXPECT_EQ(digitalFontStyle(font), 15);
    font.lfWeight = 400;
    EXPECT_EQ(digitalFontStyle(font), 14);
}

TEST(DigitalFont, EmptyFaceMeansArialAndAFullFaceFieldIsReadNoFurther) {
    EXPECT_EQ(digitalFaceName(fontNamed(u"")), u"Arial");
    EXPECT_EQ(digitalFaceName(fontNamed(u"DejaVu Serif")), u"DejaVu Serif");
    LogFont full = fontNamed(u"");
    for (auto& c : full.lfFaceName) {
        c = u'x';  // no terminator anywhere in the field
    }
    EXPECT_EQ(digitalFaceName(full), std::u16string(32, u'x'));
}

TEST(DigitalBox, MeasuredSizeGivesBoxAreaAndLayoutToThePixel) {
    const DigitalTextBox box = digitalTextBox(123.456f, 31.7f, 960, 300, 1080);
    EXPECT_EQ(box.left, 892);
    EXPECT_EQ(box.top, 284);
    EXPECT_EQ(box.width, 135);
    EXPECT_EQ(box.height, 31);
    EXPECT_EQ(box.drawArea, (RectF{892, 765, 135, 31}));
    EXPECT_EQ(box.layout, (RectF{892, 284, 135.3f, 31}));
}

TEST(DigitalBox, BoxReachingBelowThePictureKeepsANegativeOrigin) {
    const DigitalTextBox box = digitalTextBox(100.0f, 40.0f, 500, 1070, 1080);
    EXPECT_EQ(box.top, 1050);
    EXPECT_EQ(box.drawArea.y, -10.0f);
    EXPECT_EQ(box.drawArea.height, 40.0f);
}

TEST(DigitalBox, AbsurdMeasuresSaturate) {
    const DigitalTextBox box = digitalTextBox(3e38f, 3e38f, std::numeric_limits<int32_t>::min(),
                                              std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(box.left, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(box.width, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(box.height, std::numeric_limits<int32_t>::max());
}

TEST(DigitalDrawing, MeasuresInArialAndDrawsInTheChosenFaceInsideTheBox) {
    RecordingGraphics graphics;
    graphics.measuredWidth = 123.456f;
    graphics.measuredHeight = 31.7f;
    LogFont font = fontNamed(u"DejaVu Serif", -27, 700);
    font.lfItalic = 1;
    const RectF area = drawDigitalText(graphics, L"12:34:56", font, 960, 300, 189, 1080, kText, kBack);
    EXPECT_EQ(area, (RectF{892, 765, 135, 31}));
    ASSERT_EQ(graphics.measurements.size(), 1u);
    EXPECT_EQ(graphics.measurements[0].font.faceName, u"Arial");
    EXPECT_EQ(graphics.measurements[0].font.emSizePoints, 51.0f);
    EXPECT_EQ(graphics.measurements[0].font.styleBits, kFontStyleBold | kFontStyleItalic);
    EXPECT_EQ(graphics.measurements[0].origin, (PointF{960, 300}));
    EXPECT_EQ(graphics.measurements[0].text, L"12:34:56");
    ASSERT_EQ(graphics.calls.size(), 2u);
    EXPECT_EQ(graphics.calls[0].kind, RecordingGraphics::Kind::rectangle);
    EXPECT_EQ(graphics.calls[0].rect, (IntRect{892, 284, 135, 31}));
    EXPECT_EQ(graphics.calls[0].colour, kBack);
    EXPECT_EQ(graphics.calls[1].kind, RecordingGraphics::Kind::text);
    EXPECT_EQ(graphics.calls[1].layout, (RectF{892, 284, 135.3f, 31}));
    EXPECT_EQ(graphics.calls[1].font.faceName, u"DejaVu Serif");
    EXPECT_EQ(graphics.calls[1].font.emSizePoints, 51.0f);
    EXPECT_EQ(graphics.calls[1].colour, kText);
}

TEST(DigitalDrawing, BoxIsDrawnEvenWhenFullyTransparent) {
    RecordingGraphics graphics;
    graphics.measuredWidth = 50.0f;
    graphics.measuredHeight = 20.0f;
    drawDigitalText(graphics, L"1", fontNamed(u"Arial"), 100, 100, 189, 200, kText, Color{});
    ASSERT_FALSE(graphics.calls.empty());
    EXPECT_EQ(graphics.calls[0].kind, RecordingGraphics::Kind::rectangle);
    EXPECT_EQ(graphics.calls[0].colour, Color{});
}

TEST(DigitalDrawing, TextLongerThanTheLineBufferIsCutNotOverrun) {
    RecordingGraphics graphics;
    graphics.measuredWidth = 50.0f;
    graphics.measuredHeight = 20.0f;
    const std::wstring longLine(1000, L'8');
    drawDigitalText(graphics, longLine, fontNamed(u"Arial"), 100, 100, 189, 200, kText, kBack);
    ASSERT_EQ(graphics.measurements.size(), 1u);
    EXPECT_EQ(graphics.measurements[0].text.size(), Graphics::kMaxTextLength);
    EXPECT_EQ(graphics.calls.back().text.size(), Graphics::kMaxTextLength);
}

// Drawn with the real fonts: fonts-liberation2 stands in for Arial.
class DigitalCanvas : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::printf("\"Arial\" is drawn with \"%s\"\n", PangoTextEngine::instance().matchedFamily("Arial").c_str());
    }

    RectF draw(std::wstring_view text, const LogFont& font, int textBase = 189) {
        surface.release();
        const DrawingTarget* target = surface.create(kWidth, kHeight, 32, false);
        EXPECT_NE(target, nullptr);
        auto graphics = createGraphics(target);
        return drawDigitalText(*graphics, text, font, 320, 120, textBase, kHeight, kText, kBack);
    }

    // A pixel by memory row (counted upward), as the compositing reads it.
    Color atMemory(int x, int row) const {
        const uint8_t* p = surface.pixels() + static_cast<size_t>(row) * surface.rowBytes() + static_cast<size_t>(x) * 4;
        return makeColor(p[3], p[2], p[1], p[0]);
    }

    size_t touchedOutside(const RectF& area) const {
        size_t count = 0;
        for (int row = 0; row < kHeight; ++row) {
            for (int x = 0; x < kWidth; ++x) {
                const bool inside = x >= area.x && x < area.x + area.width && row >= area.y &&
                                    row < area.y + area.height;
                count += (!inside && atMemory(x, row) != Color{}) ? 1 : 0;
            }
        }
        return count;
    }

    static constexpr int kWidth = 640;
    static constexpr int kHeight = 240;
    DrawingSurface surface;
};

TEST_F(DigitalCanvas, BoxHoldsTheBackgroundAndNothingLandsOutsideTheDrawArea) {
    const RectF area = draw(L"12:34:56", fontNamed(u"Arial"));
    ASSERT_GT(area.width, 100.0f);
    ASSERT_GT(area.height, 40.0f);
    const int left = static_cast<int>(area.x);
    const int bottom = static_cast<int>(area.y);
    const int right = left + static_cast<int>(area.width) - 1;
    const int topRow = bottom + static_cast<int>(area.height) - 1;
    EXPECT_EQ(atMemory(left, bottom), kBack);
    EXPECT_EQ(atMemory(right, topRow), kBack);
    EXPECT_EQ(atMemory(left - 1, bottom), Color{});
    EXPECT_EQ(atMemory(right + 1, topRow), Color{});
    EXPECT_EQ(touchedOutside(area), 0u);
    size_t textPixels = 0;
    for (int row = bottom; row <= topRow; ++row) {
        for (int x = left; x <= right; ++x) {
            textPixels += atMemory(x, row) == kText ? 1 : 0;
        }
    }
    EXPECT_GT(textPixels, 200u);
    // The box is centred on the clock centre (320, 120 from the top).
    EXPECT_NEAR(area.x + area.width / 2.0f, 320.0f, 1.0f);
    EXPECT_NEAR(kHeight - (area.y + area.height / 2.0f), 120.0f, 1.0f);
}

TEST_F(DigitalCanvas, ABoxFollowsArialsMeasureWhateverFaceDraws) {
    const RectF arial = draw(L"12:34:56", fontNamed(u"Arial"));
    const RectF serif = draw(L"12:34:56", fontNamed(u"DejaVu Serif"));
    const RectF unknown = draw(L"12:34:56", fontNamed(u"No Such Face Horavex"));
    const RectF empty = draw(L"12:34:56", fontNamed(u""));
    EXPECT_EQ(serif, arial);
    EXPECT_EQ(unknown, arial);
    EXPECT_EQ(empty, arial);
}

TEST_F(DigitalCanvas, BoldWidensTheBoxAndTheFontHeightScalesIt) {
    const RectF regular = draw(L"Horavex 12:00", fontNamed(u"Arial", -27, 400));
    const RectF bold = draw(L"Horavex 12:00", fontNamed(u"Arial", -27, 401));
    const RectF doubled = draw(L"Horavex 12:00", fontNamed(u"Arial", 54, 400));
    EXPECT_GT(bold.width, regular.width);
    EXPECT_NEAR(doubled.height, 2 * regular.height, 2.0f);
}

TEST_F(DigitalCanvas, EmptyTextOrAZeroEmSizeDrawsAnEmptyBox) {
    const RectF empty = draw(L"", fontNamed(u"Arial"));
    EXPECT_EQ(empty.width, 0.0f);
    EXPECT_EQ(touchedOutside(RectF{}), 0u);
    const RectF tiny = draw(L"12:00", fontNamed(u"Arial"), 3);
    EXPECT_EQ(tiny.width, 0.0f);
    EXPECT_EQ(tiny.height, 0.0f);
    EXPECT_EQ(touchedOutside(RectF{}), 0u);
}

}  // namespace
}  // namespace horavex
