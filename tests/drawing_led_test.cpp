#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/drawing/DrawingSurface.h"
#include "core/drawing/Graphics.h"
#include "core/drawing/LEDClockDrawer.h"
#include "core/drawing/RecordingGraphics.h"

namespace horavex {
namespace {

constexpr Color kSegment = makeColor(255, 255, 40, 0);
constexpr Color kBackground = makeColor(255, 0, 0, 60);

std::vector<IntRect> rectanglesOf(const GlyphRectangles& glyph) {
    return std::vector<IntRect>(glyph.rects.begin(), glyph.rects.begin() + static_cast<std::ptrdiff_t>(glyph.count));
}

std::vector<IntRect> filled(const RecordingGraphics& graphics) {
    std::vector<IntRect> rects;
    for (const auto& call : graphics.calls) {
        rects.push_back(call.rect);
    }
    return rects;
}

LEDClockDrawer ledClock() {
    LEDClockDrawer clock;
    clock.segmentColour = kSegment;
    clock.backgroundColour = kBackground;
    clock.drawBackground = 1;
    return clock;
}

TEST(LEDMetrics, SizeOneHundredMakesEveryMetricItsUnit) {
    LEDClockDrawer clock;
    clock.setScale(100, 1.0f);
    for (int32_t k : LEDClockDrawer::kXUnits) {
        EXPECT_EQ(clock.X(k), k);
    }
    for (int32_t k : LEDClockDrawer::kYUnits) {
        EXPECT_EQ(clock.Y(k), k);
    }
}

TEST(LEDMetrics, SizeSixtyEightTruncatesEachMetric) {
    LEDClockDrawer clock;
    clock.setScale(68, 1.0f);
    EXPECT_EQ(clock.X(5), 3);
    EXPECT_EQ(clock.Y(5), 3);
    EXPECT_EQ(clock.X(7), 4);
    EXPECT_EQ(clock.Y(7), 4);
    EXPECT_EQ(clock.X(10), 6);
    EXPECT_EQ(clock.X(12), 8);
    EXPECT_EQ(clock.Y(12), 8);
    EXPECT_EQ(clock.X(15), 10);
    EXPECT_EQ(clock.Y(15), 10);
    EXPECT_EQ(clock.X(20), 13);
    EXPECT_EQ(clock.Y(20), 13);
    EXPECT_EQ(clock.X(25), 17);
    EXPECT_EQ(clock.Y(25), 17);
    EXPECT_EQ(clock.Y(30), 20);
    EXPECT_EQ(clock.Y(32), 21);
    EXPECT_EQ(clock.Y(40), 27);
    EXPECT_EQ(clock.X(45), 30);
    EXPECT_EQ(clock.Y(50), 34);
    EXPECT_EQ(clock.Y(65), 44);
}

TEST(LEDMetrics, PixelAspectRatioNarrowsOnlyHorizontalMetrics) {
    LEDClockDrawer clock;
    clock.setScale(100, 2.0f);
    EXPECT_EQ(clock.X(5), 2);
    EXPECT_EQ(clock.X(10), 5);
    EXPECT_EQ(clock.X(25), 12);
    EXPECT_EQ(clock.X(45), 22);
    for (int32_t k : LEDClockDrawer::kYUnits) {
        EXPECT_EQ(clock.Y(k), k);
    }
}

TEST(LEDMetrics, UnusablePixelAspectRatiosCountAsSquarePixels) {
    for (float ratio : {0.0f, -1.0f, std::nanf(""), std::numeric_limits<float>::infinity()}) {
        LEDClockDrawer clock;
        clock.setScale(100, ratio);
        EXPECT_EQ(clock.X(45), 45) << ratio;
    }
}

TEST(LEDMetrics, TextBaseGivesTheSizeAndHugeValuesSaturate) {
    EXPECT_EQ(LEDClockDrawer::sizeFromTextBase(189), 128);
    EXPECT_EQ(LEDClockDrawer::sizeFromTextBase(std::numeric_limits<int32_t>::max()),
              static_cast<int32_t>(int64_t{std::numeric_limits<int32_t>::max()} * 68 / 100));
    LEDClockDrawer clock;
    clock.setScale(std::numeric_limits<int32_t>::max(), 1e-30f);
    EXPECT_EQ(clock.X(45), std::numeric_limits<int32_t>::max());
    EXPECT_GT(clock.Y(65), 0);
}

TEST(LEDGlyphs, LettersColonAndFullStopHaveTheirOwnShapes) {
    LEDClockDrawer clock;
    clock.setScale(100, 1.0f);
    EXPECT_EQ(rectanglesOf(clock.glyphRectangles(L'A', 0, 0)),
              (std::vector<IntRect>{{5, 15, 15, 5}, {0, 20, 5, 30}, {20, 20, 5, 30}, {5, 32, 15, 5}}));
    EXPECT_EQ(rectanglesOf(clock.glyphRectangles(L'P', 0, 0)),
              (std::vector<IntRect>{{5, 15, 15, 5}, {0, 20, 5, 30}, {20, 20, 5, 12}, {5, 32, 15, 5}}));
    EXPECT_EQ(rectanglesOf(clock.glyphRectangles(L'M', 0, 0)),
              (std::vector<IntRect>{{0, 15, 15, 5}, {-5, 20, 5, 30}, {15, 20, 5, 30}, {5, 15, 5, 15}}));
    EXPECT_EQ(rectanglesOf(clock.glyphRectangles(L':', 0, 0)),
              (std::vector<IntRect>{{12, 12, 7, 7}, {12, 40, 7, 7}}));
    EXPECT_EQ(rectanglesOf(clock.glyphRectangles(L'.', 0, 0)), (std::vector<IntRect>{{12, 40, 7, 7}}));
    for (wchar_t c : {L'a', L'p', L'm', L' ', L'/', L'-', L'\0', static_cast<wchar_t>(0x2603)}) {
        EXPECT_EQ(clock.glyphRectangles(c, 0, 0).count, 0u) << static_cast<int>(c);
    }
}

TEST(LEDGlyphs, TimerTextsLightTheirMinusAndDropFrameSeparator) {
    LEDClockDrawer clock;
    clock.setScale(100, 1.0f);
    clock.drawTimerMarks = 1;
    EXPECT_EQ(rectanglesOf(clock.glyphRectangles(L'-', 0, 0)), (std::vector<IntRect>{{0, 25, 25, 5}}));
    EXPECT_EQ(rectanglesOf(clock.glyphRectangles(L';', 0, 0)),
              (std::vector<IntRect>{{12, 12, 7, 7}, {12, 40, 7, 7}, {12, 40, 5, 15}}));
    EXPECT_EQ(clock.glyphRectangles(L'/', 0, 0).count, 0u);
    // Any other text keeps them dark, as it always has.
    clock.drawTimerMarks = 0;
    EXPECT_EQ(clock.glyphRectangles(L';', 0, 0).count, 0u);
    EXPECT_EQ(clock.glyphRectangles(L'-', 0, 0).count, 0u);
}

TEST(LEDGlyphs, DigitsLightTheirSegments) {
    LEDClockDrawer clock;
    clock.setScale(100, 1.0f);
    const size_t lit[] = {6, 2, 5, 5, 4, 5, 6, 3, 7, 6};
    for (int digit = 0; digit < 10; ++digit) {
        EXPECT_EQ(clock.glyphRectangles(static_cast<wchar_t>(L'0' + digit), 0, 0).count, lit[digit]) << digit;
    }
    EXPECT_EQ(rectanglesOf(clock.glyphRectangles(L'7', 0, 0)),
              (std::vector<IntRect>{{0, 0, 25, 5}, {25, 5, 5, 20}, {25, 30, 5, 20}}));
}

TEST(LEDDrawing, EightAtSizeOneHundred) {
    LEDClockDrawer clock = ledClock();
    RecordingGraphics graphics;
    clock.drawText(graphics, 500, 300, 100, 1.0, L"8");
    EXPECT_EQ(clock.top, 275);
    EXPECT_EQ(clock.left, 487);  // 500 - 22.5 + 10, truncated
    EXPECT_EQ(filled(graphics), (std::vector<IntRect>{{477, 270, 45, 65},
                                                      {487, 275, 25, 5},
                                                      {482, 280, 5, 20},
                                                      {512, 280, 5, 20},
                                                      {487, 300, 25, 5},
                                                      {487, 325, 25, 5},
                                                      {482, 305, 5, 20},
                                                      {512, 305, 5, 20}}));
    EXPECT_EQ(graphics.calls[0].colour, kBackground);
    EXPECT_EQ(graphics.calls[1].colour, kSegment);
}

TEST(LEDDrawing, TimeTextAtSizeSixtyEight) {
    LEDClockDrawer clock = ledClock();
    RecordingGraphics graphics;
    clock.drawText(graphics, 200, 200, 68, 1.0, L"12:34:56");
    EXPECT_EQ(clock.top, 183);
    EXPECT_EQ(clock.left, 86);
    const std::vector<IntRect> rects = filled(graphics);
    ASSERT_GE(rects.size(), 5u);
    EXPECT_EQ(rects[0], (IntRect{80, 180, 240, 44}));
    EXPECT_EQ(rects[1], (IntRect{103, 186, 3, 13}));  // the 1
    EXPECT_EQ(rects[2], (IntRect{103, 203, 3, 13}));
    // The 2 (five segments) follows, then the first colon.
    EXPECT_EQ(rects[8], (IntRect{154, 191, 4, 4}));
    EXPECT_EQ(rects[9], (IntRect{154, 210, 4, 4}));
}

TEST(LEDDrawing, BoxSpansEveryCellWhateverTheCharacters) {
    LEDClockDrawer clock = ledClock();
    RecordingGraphics graphics;
    clock.drawText(graphics, 500, 300, 100, 1.0, L"am pm");
    ASSERT_EQ(graphics.calls.size(), 1u);  // lower-case letters and spaces draw nothing
    EXPECT_EQ(graphics.calls[0].rect.width, 5 * 45);
    RecordingGraphics capitals;
    clock.drawText(capitals, 500, 300, 100, 1.0, L"AM");
    EXPECT_EQ(capitals.calls.size(), 1u + 4u + 4u);
}

TEST(LEDDrawing, EmptyTextDrawsABoxOfZeroWidth) {
    LEDClockDrawer clock = ledClock();
    RecordingGraphics graphics;
    clock.drawText(graphics, 500, 300, 100, 1.0, L"");
    ASSERT_EQ(graphics.calls.size(), 1u);
    EXPECT_EQ(graphics.calls[0].rect.width, 0);
}

TEST(LEDDrawing, LongTextAndHugeSizesNeitherOverflowNorOverrun) {
    LEDClockDrawer clock = ledClock();
    RecordingGraphics graphics;
    const std::wstring longLine(1000, L'8');
    clock.drawText(graphics, 0, 0, std::numeric_limits<int32_t>::max(), 1e-30, longLine);
    ASSERT_FALSE(graphics.calls.empty());
    EXPECT_EQ(graphics.calls[0].rect.width,
              int64_t{std::numeric_limits<int32_t>::max()} * static_cast<int64_t>(Graphics::kMaxTextLength));
    EXPECT_EQ(graphics.calls.size(), 1u + 7u * Graphics::kMaxTextLength);
}

TEST(LEDDrawing, NegativeSizeDrawsNothingVisible) {
    DrawingSurface surface;
    const DrawingTarget* target = surface.create(200, 100, 32, false);
    ASSERT_NE(target, nullptr);
    LEDClockDrawer clock = ledClock();
    clock.drawText(*createGraphics(target), 100, 50, -100, 1.0, L"88:88");
    size_t touched = 0;
    for (size_t i = 0; i < surface.sizeBytes(); ++i) {
        touched += surface.pixels()[i] != 0 ? 1 : 0;
    }
    EXPECT_EQ(touched, 0u);
}

TEST(LEDDrawing, SegmentsAreExactRectanglesOfTheColourOnTheBox) {
    DrawingSurface surface;
    const int height = 600;
    const DrawingTarget* target = surface.create(1000, height, 32, false);
    ASSERT_NE(target, nullptr);
    LEDClockDrawer clock = ledClock();
    clock.drawText(*createGraphics(target), 500, 300, 100, 1.0, L"8");
    auto at = [&](int x, int y) {
        const uint8_t* p =
            surface.pixels() + static_cast<size_t>(height - 1 - y) * surface.rowBytes() + static_cast<size_t>(x) * 4;
        return makeColor(p[3], p[2], p[1], p[0]);
    };
    // Top segment (487, 275, 25, 5): every pixel, and the box around it.
    for (int y = 275; y < 280; ++y) {
        for (int x = 487; x < 512; ++x) {
            ASSERT_EQ(at(x, y), kSegment) << x << "," << y;
        }
    }
    EXPECT_EQ(at(486, 275), kBackground);
    EXPECT_EQ(at(512, 275), kBackground);
    EXPECT_EQ(at(487, 274), kBackground);
    EXPECT_EQ(at(487, 280), kBackground);
    // Box (477, 270, 45, 65): its corners and just outside.
    EXPECT_EQ(at(477, 270), kBackground);
    EXPECT_EQ(at(521, 334), kBackground);
    EXPECT_EQ(at(476, 270), Color{});
    EXPECT_EQ(at(522, 334), Color{});
    EXPECT_EQ(at(477, 335), Color{});
}

TEST(LEDDrawing, SmallDigitsStayApartAndInsideTheirBox) {
    // Sizes at which the 5-unit segment thickness truncates to no pixel while
    // the segments are still at least two pixels long; the LED clock at 30 %
    // of a 100-pixel-high frame is size 10.
    struct Case {
        int32_t size;
        double pixelAspectRatio;
    };
    for (const Case& c : {Case{10, 1.0}, Case{14, 1.0}, Case{19, 1.0}, Case{30, 2.0}, Case{12, 0.5}}) {
        SCOPED_TRACE(std::to_string(c.size) + " par " + std::to_string(c.pixelAspectRatio));
        std::vector<std::vector<uint8_t>> pictures;
        for (wchar_t digit = L'0'; digit <= L'9'; ++digit) {
            DrawingSurface surface;
            const int width = 60;
            const int height = 40;
            const DrawingTarget* target = surface.create(width, height, 32, false);
            ASSERT_NE(target, nullptr);
            LEDClockDrawer clock = ledClock();
            clock.drawText(*createGraphics(target), 30, 20, c.size, c.pixelAspectRatio, std::wstring(1, digit));
            const IntRect box = clock.boxRectangle(1);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const uint8_t* p = surface.pixels() + static_cast<size_t>(height - 1 - y) * surface.rowBytes() +
                                       static_cast<size_t>(x) * 4;
                    const bool inBox = x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
                    if (!inBox) {
                        ASSERT_EQ(makeColor(p[3], p[2], p[1], p[0]), Color{}) << char(digit) << " " << x << "," << y;
                    }
                }
            }
            pictures.emplace_back(surface.pixels(), surface.pixels() + surface.sizeBytes());
        }
        for (size_t a = 0; a < pictures.size(); ++a) {
            for (size_t b = a + 1; b < pictures.size(); ++b) {
                EXPECT_NE(pictures[a], pictures[b]) << a << " and " << b << " look the same";
            }
        }
    }
}

}  // namespace
}  // namespace horavex
