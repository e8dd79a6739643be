#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/drawing/DigitalText.h"
#include "core/drawing/DrawingSurface.h"
#include "core/drawing/Graphics.h"
#include "support/FontFaces.h"
#include "core/drawing/RecordingGraphics.h"

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

// Measures like a proportional font: "1" is far narrower than the other
// digits, as in many faces, and a line is as wide as its characters together.
class ProportionalGraphics final : public Graphics {
public:
    struct Drawn {
        std::wstring text;
        RectF layout;
        std::u16string face;
    };
    static float widthOf(wchar_t c) {
        if (c == L'1') return 4.0f;
        if (c >= L'0' && c <= L'9') return c == L'8' ? 11.0f : 10.0f;
        return c == L':' ? 5.0f : 8.0f;
    }
    void fillEllipse(const IntRect&, Color) override {}
    void fillPolygon(std::span<const PointF>, Color) override {}
    void fillRectangle(const IntRect& rect, Color) override { boxes.push_back(rect); }
    std::unique_ptr<Font> createFont(std::u16string_view faceName, float emSizePoints, int styleBits) override {
        return std::make_unique<RecordedFont>(FontRequest{std::u16string(faceName), emSizePoints, styleBits});
    }
    RectF measureString(std::wstring_view text, const Font& font, PointF origin) override {
        measuredFaces.push_back(static_cast<const RecordedFont&>(font).request.faceName);
        float width = 0.0f;
        for (wchar_t c : text) width += widthOf(c);
        return RectF{origin.x, origin.y, width, 20.0f};
    }
    void drawString(std::wstring_view text, const Font& font, const RectF& layout, Color) override {
        drawn.push_back(Drawn{std::wstring(text), layout, static_cast<const RecordedFont&>(font).request.faceName});
    }
    void finish() override {}

    std::vector<IntRect> boxes;
    std::vector<Drawn> drawn;
    std::vector<std::u16string> measuredFaces;
};

struct FixedDrawing {
    RectF area;
    ProportionalGraphics graphics;
};

void drawFixed(FixedDrawing& out, std::wstring_view text) {
    out.area = drawDigitalTextFixedDigits(out.graphics, text, fontNamed(u"Some Face"), 320, 120, 189, 240, kText,
                                          kBack);
}

float cellCentre(const ProportionalGraphics::Drawn& d) { return d.layout.x + d.layout.width / 2.0f; }

TEST(DigitalFixedDigits, EveryDigitTakesTheWidestDigitsCellSoTheBoxKeepsStill) {
    FixedDrawing ones;
    FixedDrawing zeros;
    drawFixed(ones, L"11:11");
    drawFixed(zeros, L"10:08");
    // Laid out as one line, the two texts differ in width in this face ...
    ProportionalGraphics plain;
    const LogFont face = fontNamed(u"Some Face");
    const RectF plainOnes = drawDigitalText(plain, L"11:11", face, 320, 120, 189, 240, kText, kBack);
    const RectF plainZeros = drawDigitalText(plain, L"10:08", face, 320, 120, 189, 240, kText, kBack);
    ASSERT_NE(plainOnes.width, plainZeros.width);
    // ... with fixed digits they take the same box: four cells of 11 and a colon of 5, 10 % wider.
    EXPECT_EQ(ones.area, zeros.area);
    EXPECT_EQ(ones.area.width, 53.0f);
    ASSERT_EQ(ones.graphics.boxes.size(), 1u);
    EXPECT_EQ(ones.graphics.boxes[0].width, 53);
    // One character per call, each centred on its own cell, the cells where
    // they are whatever the digits.
    ASSERT_EQ(ones.graphics.drawn.size(), 5u);
    ASSERT_EQ(zeros.graphics.drawn.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(ones.graphics.drawn[i].text, std::wstring(1, L"11:11"[i]));
        EXPECT_FLOAT_EQ(cellCentre(ones.graphics.drawn[i]), cellCentre(zeros.graphics.drawn[i])) << i;
        EXPECT_EQ(ones.graphics.drawn[i].face, u"Some Face");
    }
    EXPECT_FLOAT_EQ(cellCentre(ones.graphics.drawn[1]) - cellCentre(ones.graphics.drawn[0]), 11.0f);
    EXPECT_FLOAT_EQ(cellCentre(ones.graphics.drawn[2]) - cellCentre(ones.graphics.drawn[1]), 8.0f);
    // The cells are centred on the clock centre, as a whole line would be.
    EXPECT_NEAR((cellCentre(ones.graphics.drawn[0]) + cellCentre(ones.graphics.drawn[4])) / 2.0f, 320.0f, 1.0f);
    // Measured in the face that draws, not in Arial.
    for (const std::u16string& face : ones.graphics.measuredFaces) {
        EXPECT_EQ(face, u"Some Face");
    }
}

TEST(DigitalFixedDigits, OtherCharactersKeepTheirOwnWidthAndEmptyTextDrawsAnEmptyBox) {
    FixedDrawing drawing;
    drawDigitalTextFixedDigits(drawing.graphics, L"-1.5", fontNamed(u"Face"), 100, 100, 100, 200, kText, kBack);
    const auto cells = fixedDigitCells(drawing.graphics, L"-1.5", RecordedFont(FontRequest{u"Face", 10.0f, 0}));
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0].width, 8.0f);
    EXPECT_EQ(cells[1].width, 11.0f);
    EXPECT_EQ(cells[2].width, 8.0f);
    EXPECT_EQ(cells[3].width, 11.0f);
    FixedDrawing empty;
    drawFixed(empty, L"");
    EXPECT_EQ(empty.area.width, 0.0f);
    EXPECT_TRUE(empty.graphics.drawn.empty());
}

// Drawn with the real fonts: fonts-liberation2 stands in for Arial.
class DigitalCanvas : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::printf("\"Arial\" is drawn with \"%s\"\n", testing::matchedFontFamily("Arial").c_str());
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

    std::vector<Color> pixelsIn(const RectF& area) const {
        std::vector<Color> pixels;
        for (int row = static_cast<int>(area.y); row < static_cast<int>(area.y + area.height); ++row) {
            for (int x = static_cast<int>(area.x); x < static_cast<int>(area.x + area.width); ++x) {
                pixels.push_back(atMemory(x, row));
            }
        }
        return pixels;
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
    const std::vector<Color> arialPixels = pixelsIn(arial);
    const RectF serif = draw(L"12:34:56", fontNamed(u"DejaVu Serif"));
    // The text is measured in Arial first; what is drawn is the chosen face
    // (where the platform has a face of its own for it).
    const std::string serifFace = testing::matchedFontFamily("DejaVu Serif");
    if (!serifFace.empty() && serifFace != testing::matchedFontFamily("Arial")) {
        EXPECT_NE(pixelsIn(serif), arialPixels);
    }
    const RectF unknown = draw(L"12:34:56", fontNamed(u"No Such Face Horavex"));
    const RectF empty = draw(L"12:34:56", fontNamed(u""));
    EXPECT_EQ(pixelsIn(empty), arialPixels);
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

TEST_F(DigitalCanvas, FixedDigitsInDejaVuSansKeepTheBoxStill) {
    const LogFont font = fontNamed(u"DejaVu Sans");
    std::vector<RectF> areas;
    for (const wchar_t* text : {L"10:11:11", L"10:00:00", L"19:58:47", L"11:11:11"}) {
        surface.release();
        const DrawingTarget* target = surface.create(kWidth, kHeight, 32, false);
        ASSERT_NE(target, nullptr);
        auto graphics = createGraphics(target);
        const RectF area = drawDigitalTextFixedDigits(*graphics, text, font, 320, 120, 189, kHeight, kText, kBack);
        graphics->finish();
        areas.push_back(area);
        EXPECT_EQ(touchedOutside(area), 0u);
        size_t textPixels = 0;
        for (int row = static_cast<int>(area.y); row < static_cast<int>(area.y + area.height); ++row) {
            for (int x = static_cast<int>(area.x); x < static_cast<int>(area.x + area.width); ++x) {
                textPixels += atMemory(x, row) == kText ? 1 : 0;
            }
        }
        EXPECT_GT(textPixels, 200u);
    }
    ASSERT_GT(areas[0].width, 100.0f);
    for (size_t i = 1; i < areas.size(); ++i) {
        EXPECT_EQ(areas[i], areas[0]) << i;
    }
}

}  // namespace
}  // namespace horavex
