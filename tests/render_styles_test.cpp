// The three clock styles rendered through the in-tree host, checked by what
// follows from their geometry rather than against stored pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/drawing/AnalogueClockDrawer.h"
#include "core/drawing/DigitalText.h"
#include "core/drawing/Graphics.h"
#include "core/drawing/LEDClockDrawer.h"
#include "support/HostBuilders.h"

namespace horavex::host::testing {
namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr OfxRectI kFrame{0, 0, kWidth, kHeight};

bool sameColour(const Rgba& p, const Rgba& q, double tolerance = 1e-6) {
    return std::abs(p.r - q.r) <= tolerance && std::abs(p.g - q.g) <= tolerance &&
           std::abs(p.b - q.b) <= tolerance && std::abs(p.a - q.a) <= tolerance;
}

// Drawing rows count down from the top; image rows count up from the bottom.
Rgba atDrawing(const ImageBuffer& image, int64_t x, int64_t y) {
    return readPixel(image, static_cast<int>(x), kHeight - 1 - static_cast<int>(y));
}

class Styles : public ::testing::Test {
protected:
    void load(const char* context, const char* depth = kOfxBitDepthByte) {
        session = loadEffect(context);
        images = attachFrame(*session.effect, imageSpec(kFrame, depth));
        if (images.source) {
            fillPattern(*images.source, 11);
        }
        Effect& e = *session.effect;
        e.param("Main Colour").setDoubleN({1.0, 0.0, 0.0, 1.0});
        e.param("Background Colour").setDoubleN({0.0, 0.0, 1.0, 1.0});
        e.param("ClockSize").setDouble(0.35);
    }
    PluginSession session;
    FrameImages images;
};

TEST_F(Styles, LedSegmentsAreExactRectanglesOfTheMainColour) {
    for (const char* depth : {kOfxBitDepthByte, kOfxBitDepthShort, kOfxBitDepthFloat}) {
        SCOPED_TRACE(depth);
        load(kOfxImageEffectContextFilter, depth);
        session.effect->param("ClockChoice").setInt(2);
        session.effect->param("Dig Clock Format").setInt(4);  // hh:mm
        session.effect->param("Start Hour").setInt(18);
        session.effect->param("Start Minute").setInt(8);
        ASSERT_EQ(session.effect->render(0.0, kFrame), kOfxStatOK);

        // Centre (200, 150); text base 300 x 35 / 2 / 100 = 52; LED size 35.
        LEDClockDrawer led;
        led.setScale(LEDClockDrawer::sizeFromTextBase(52), 1.0f);
        const std::wstring text = L"18:08";
        const int64_t top = 150 - led.Y(25);
        const int64_t left = static_cast<int64_t>(200 - (led.X(45) * 5) / 2.0 + led.X(10));
        size_t segmentPixels = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            const GlyphRectangles glyph = led.glyphRectangles(text[i], left + int64_t{led.X(45)} * i, top);
            for (size_t r = 0; r < glyph.count; ++r) {
                const IntRect& rect = glyph.rects[r];
                for (int64_t y = rect.y; y < rect.y + rect.height; ++y) {
                    for (int64_t x = rect.x; x < rect.x + rect.width; ++x) {
                        ASSERT_TRUE(sameColour(atDrawing(*images.output, x, y), Rgba{1, 0, 0, 1}))
                            << "segment pixel " << x << "," << y;
                        ++segmentPixels;
                    }
                }
            }
        }
        EXPECT_GT(segmentPixels, 100u);
        // Between the digits the box shows its colour, opaque.
        EXPECT_TRUE(sameColour(atDrawing(*images.output, left - led.X(10) + 1, top - led.Y(5) + 1), Rgba{0, 0, 1, 1}));
    }
}

TEST_F(Styles, KeyingPunchesTheKeyColourOutOfTheClock) {
    load(kOfxImageEffectContextFilter);
    Effect& e = *session.effect;
    e.param("ClockChoice").setInt(2);
    e.param("Key Colour").setDoubleN({1.0, 0.0, 0.0, 1.0});
    e.param("Use Key Colour").setInt(1);
    ASSERT_EQ(e.render(0.0, kFrame), kOfxStatOK);
    // The top segment of the first digit "0" of 00:00:00.000.
    LEDClockDrawer led;
    led.setScale(LEDClockDrawer::sizeFromTextBase(52), 1.0f);
    const int64_t top = 150 - led.Y(25);
    const int64_t left = static_cast<int64_t>(200 - (led.X(45) * 12) / 2.0 + led.X(10));
    ASSERT_GE(led.Y(5), 1);
    EXPECT_TRUE(sameColour(atDrawing(*images.output, left + 1, top), Rgba{0, 0, 0, 0}));
    // The box around it keeps its own colour.
    EXPECT_TRUE(sameColour(atDrawing(*images.output, left - led.X(10) + 1, top - 1), Rgba{0, 0, 1, 1}));
}

// A key-coloured clock is punched out wherever it is drawn, whatever the
// colour's alpha, its anti-aliased edges included: the dial, the box and the
// hands of every style, drawn in the key colour, leave no pixel of the clock
// in the output, only the source around it.
TEST_F(Styles, KeyColouredClocksArePunchedOutAtEveryAlphaEdgesIncluded) {
    for (int style : {0, 1, 2}) {
        for (double alpha : {1.0 / 255.0, 0.1, 0.5, 127.0 / 255.0, 0.9, 1.0}) {
            SCOPED_TRACE(::testing::Message() << "style " << style << " alpha " << alpha);
            load(kOfxImageEffectContextFilter);
            Effect& e = *session.effect;
            e.param("ClockChoice").setInt(style);
            const double key[] = {200.0 / 255.0, 100.0 / 255.0, 50.0 / 255.0};
            e.param("Main Colour").setDoubleN({key[0], key[1], key[2], alpha});
            e.param("Background Colour").setDoubleN({key[0], key[1], key[2], alpha});
            e.param("Key Colour").setDoubleN({key[0], key[1], key[2], 1.0});
            e.param("Use Key Colour").setInt(1);
            ASSERT_EQ(e.render(0.0, kFrame), kOfxStatOK);
            std::size_t punched = 0;
            std::size_t other = 0;
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    const Rgba out = readPixel(*images.output, x, y);
                    if (sameColour(out, Rgba{0, 0, 0, 0})) {
                        ++punched;
                    } else if (!sameColour(out, readPixel(*images.source, x, y))) {
                        ++other;
                    }
                }
            }
            EXPECT_GT(punched, 1000u);
            EXPECT_EQ(other, 0u);
        }
    }
}

TEST_F(Styles, AnalogueDialHandsAndSurroundings) {
    for (const char* context : {kOfxImageEffectContextFilter, kOfxImageEffectContextGenerator}) {
        SCOPED_TRACE(context);
        load(context);
        Effect& e = *session.effect;
        e.param("Start Hour").setInt(3);
        e.param("Hour Colour").setDoubleN({0.0, 1.0, 0.0, 1.0});
        e.param("Use Hour Colour").setInt(1);
        e.param("Second Length").setDouble(0.0);
        e.param("Minute Length").setDouble(0.0);
        ASSERT_EQ(e.render(0.0, kFrame), kOfxStatOK);

        // radius = 0.35 x 300 / 2 = 52 around (200, 150).
        const int r = 52;
        const Rgba hour{0, 1, 0, 1};
        const Rgba dial{0, 0, 1, 1};
        // 3 o'clock: the hour hand points right, half the radius long.
        EXPECT_TRUE(sameColour(atDrawing(*images.output, 200 + r / 5, 150), hour));
        EXPECT_TRUE(sameColour(atDrawing(*images.output, 200 - r * 2 / 5, 150), dial));
        EXPECT_TRUE(sameColour(atDrawing(*images.output, 200, 150 + r / 2), dial));
        EXPECT_TRUE(sameColour(atDrawing(*images.output, 200, 150 - r / 2), dial));

        // Outside the clock area the output is the source, or transparent black.
        const RectF area = AnalogueClockDrawer::clockArea(200, kHeight - 150, r, 1.0);
        const OfxRectI clock{static_cast<int>(area.x), static_cast<int>(area.y),
                             static_cast<int>(area.x + area.width), static_cast<int>(area.y + area.height)};
        size_t differing = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (x >= clock.x1 && x < clock.x2 && y >= clock.y1 && y < clock.y2) {
                    continue;
                }
                const Rgba expected = images.source ? readPixel(*images.source, x, y) : Rgba{0, 0, 0, 0};
                differing += sameColour(readPixel(*images.output, x, y), expected, 0.0) ? 0 : 1;
            }
        }
        EXPECT_EQ(differing, 0u);
        // In the generator the corners of the clock area, outside the dial, stay empty.
        if (!images.source) {
            EXPECT_TRUE(sameColour(readPixel(*images.output, clock.x1 + 1, clock.y1 + 1), Rgba{0, 0, 0, 0}));
        }
    }
}

TEST_F(Styles, DigitalBoxIsCentredAndTenPercentWiderThanTheText) {
    load(kOfxImageEffectContextFilter);
    Effect& e = *session.effect;
    e.param("ClockChoice").setInt(1);
    e.param("Dig Clock Format").setInt(3);  // hh:mm:ss
    e.param("Start Hour").setInt(12);
    e.param("Start Minute").setInt(34);
    e.param("Start Second").setDouble(56.0);
    ASSERT_EQ(e.render(0.0, kFrame), kOfxStatOK);

    // Measure the same text the way the clock does, in Arial at its em size.
    DrawingSurface surface;
    const DrawingTarget* target = surface.create(8, 8, 32, false);
    ASSERT_NE(target, nullptr);
    auto graphics = createGraphics(target);
    const int32_t em = digitalEmSize(52, 27);
    auto font = graphics->createFont(u"Arial", static_cast<float>(em), 0);
    const RectF bound = graphics->measureString(L"12:34:56", *font, PointF{200.0f, 150.0f});
    ASSERT_GT(bound.width, 0.0f);
    const DigitalTextBox box = digitalTextBox(bound.width, bound.height, 200, 150, kHeight);
    EXPECT_NEAR(box.left + box.width / 2.0, 200.0, 1.0);
    EXPECT_NEAR(box.width, bound.width * 1.1, 1.0);

    // Just inside the box's left and right edges: the box colour; just outside: the source.
    const int midY = box.top + box.height / 2;
    for (int x : {box.left, box.left + box.width - 1}) {
        EXPECT_TRUE(sameColour(atDrawing(*images.output, x, midY), Rgba{0, 0, 1, 1})) << x;
    }
    for (int x : {box.left - 1, box.left + box.width}) {
        const int y = kHeight - 1 - midY;
        EXPECT_TRUE(sameColour(readPixel(*images.output, x, y), readPixel(*images.source, x, y), 0.0)) << x;
    }
    // Some pixels of the text carry the main colour.
    size_t textPixels = 0;
    for (int y = box.top; y < box.top + box.height; ++y) {
        for (int x = box.left; x < box.left + box.width; ++x) {
            textPixels += sameColour(atDrawing(*images.output, x, y), Rgba{1, 0, 0, 1}) ? 1 : 0;
        }
    }
    EXPECT_GT(textPixels, 20u);
}

struct OddFrame {
    int width;
    int height;
    double aspect;
};

class OddSizes : public ::testing::TestWithParam<std::tuple<OddFrame, int, const char*>> {};

TEST_P(OddSizes, EveryStyleRendersInBothContexts) {
    const auto [frame, style, depth] = GetParam();
    for (const char* context : {kOfxImageEffectContextFilter, kOfxImageEffectContextGenerator}) {
        PluginSession session = loadEffect(context);
        ImageSpec layout = imageSpec({0, 0, frame.width, frame.height}, depth);
        layout.pixelAspectRatio = frame.aspect;
        FrameImages images = attachFrame(*session.effect, layout);
        session.effect->param("ClockChoice").setInt(style);
        session.effect->param("Dig Clock Format").setInt(12);
        EXPECT_EQ(session.effect->render(1234.0, {0, 0, frame.width, frame.height}), kOfxStatOK);
        EXPECT_EQ(session.host->images().outstanding(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, OddSizes,
                         ::testing::Combine(::testing::Values(OddFrame{1, 1, 1.0}, OddFrame{7, 3, 1.0},
                                                              OddFrame{1920, 1080, 2.0}),
                                            ::testing::Values(0, 1, 2),
                                            ::testing::Values(kOfxBitDepthByte, kOfxBitDepthShort,
                                                              kOfxBitDepthFloat)));

TEST_F(Styles, LedShowsTheOvertimeMinusOnlyForTimerTexts) {
    // Centre (200, 150), LED size 35, as above; the middle segment of the first cell.
    LEDClockDrawer led;
    led.setScale(LEDClockDrawer::sizeFromTextBase(52), 1.0f);
    auto minusLit = [&](size_t length) {
        const int64_t top = 150 - led.Y(25);
        const int64_t left = static_cast<int64_t>(200 - (led.X(45) * static_cast<double>(length)) / 2.0 + led.X(10));
        return sameColour(atDrawing(*images.output, left + led.X(12), top + led.Y(25)), Rgba{1, 0, 0, 1});
    };
    load(kOfxImageEffectContextGenerator);
    Effect& e = *session.effect;
    e.param("ClockChoice").setInt(2);
    e.param("Dig Clock Format").setInt(4);  // hh:mm
    e.param("Mode").setInt(2);
    e.param("Duration Minutes").setInt(1);
    e.param("Show Overtime").setInt(1);
    ASSERT_EQ(e.render(25.0 * 180, kFrame), kOfxStatOK);  // "-00:02"
    EXPECT_TRUE(minusLit(6));
    // A time of day keeps a '-' of its free format dark.
    load(kOfxImageEffectContextGenerator);
    session.effect->param("ClockChoice").setInt(2);
    session.effect->param("Dig Clock Format").setInt(13);
    session.effect->param("Dig Clock Free Format").setString("-%H:%M");
    ASSERT_EQ(session.effect->render(0.0, kFrame), kOfxStatOK);
    EXPECT_FALSE(minusLit(6));
}

// Pixels of the frame that carry exactly this colour.
size_t pixelsOf(const ImageBuffer& image, Rgba colour) {
    size_t count = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            count += sameColour(readPixel(image, x, y), colour) ? 1 : 0;
        }
    }
    return count;
}

TEST_F(Styles, OvertimeDrawsTheClockInTheOvertimeColourOnlyPastZero) {
    for (int style : {1, 2}) {
        SCOPED_TRACE(style);
        load(kOfxImageEffectContextGenerator);
        Effect& e = *session.effect;
        e.param("ClockChoice").setInt(style);
        e.param("Dig Clock Format").setInt(3);
        e.param("Mode").setInt(2);
        e.param("Duration Minutes").setInt(0);
        e.param("Duration Seconds").setInt(2);
        e.param("Show Overtime").setInt(1);
        e.param("Overtime Colour").setDoubleN({0.0, 1.0, 0.0, 1.0});
        const Rgba red{1, 0, 0, 1};
        const Rgba green{0, 1, 0, 1};
        ASSERT_EQ(e.render(25.0, kFrame), kOfxStatOK);  // one second left
        EXPECT_GT(pixelsOf(*images.output, red), 50u);
        EXPECT_EQ(pixelsOf(*images.output, green), 0u);
        // Overtime without its switch keeps the main colour.
        ASSERT_EQ(e.render(75.0, kFrame), kOfxStatOK);
        EXPECT_GT(pixelsOf(*images.output, red), 50u);
        EXPECT_EQ(pixelsOf(*images.output, green), 0u);
        e.param("Use Overtime Colour").setInt(1);
        ASSERT_EQ(e.render(75.0, kFrame), kOfxStatOK);
        EXPECT_EQ(pixelsOf(*images.output, red), 0u);
        EXPECT_GT(pixelsOf(*images.output, green), 50u);
        // At zero (held there without overtime) the clock is not in overtime.
        e.param("Show Overtime").setInt(0);
        ASSERT_EQ(e.render(75.0, kFrame), kOfxStatOK);
        EXPECT_GT(pixelsOf(*images.output, red), 50u);
        EXPECT_EQ(pixelsOf(*images.output, green), 0u);
    }
}

TEST_F(Styles, AnalogueCountdownShowsTheTimeLeftOnTheDial) {
    const struct {
        double frame;
        int hour, minute, second;
    } cases[] = {{0.0, 0, 5, 0}, {25.0 * 90, 0, 3, 30}, {25.0 * 299, 0, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame);
        load(kOfxImageEffectContextGenerator);
        session.effect->param("Mode").setInt(2);  // five minutes by default
        ASSERT_EQ(session.effect->render(c.frame, kFrame), kOfxStatOK);
        const std::vector<std::byte> countdown(images.output->memory(),
                                               images.output->memory() + images.output->memorySize());
        // The same dial as a time of day standing at the time left.
        load(kOfxImageEffectContextGenerator);
        session.effect->param("Start Hour").setInt(c.hour);
        session.effect->param("Start Minute").setInt(c.minute);
        session.effect->param("Start Second").setDouble(c.second);
        session.effect->param("Speed Factor").setDouble(0.0);
        ASSERT_EQ(session.effect->render(c.frame, kFrame), kOfxStatOK);
        EXPECT_TRUE(std::equal(countdown.begin(), countdown.end(), images.output->memory()));
    }
}

// The columns of one row that hold the box's background colour: its left and
// right edge.
std::pair<int, int> boxColumns(const ImageBuffer& image, int y) {
    int left = -1;
    int right = -1;
    for (int x = 0; x < kWidth; ++x) {
        if (sameColour(readPixel(image, x, y), Rgba{0, 0, 1, 1})) {
            left = left < 0 ? x : left;
            right = x;
        }
    }
    return {left, right};
}

TEST_F(Styles, FixedWidthDigitsKeepARunningClocksBoxStillInDejaVuSans) {
    load(kOfxImageEffectContextGenerator);
    Effect& e = *session.effect;
    e.param("ClockChoice").setInt(1);
    e.param("FontParam").setString("27 0 0 0 400 34 DejaVu_Sans");
    e.param("Fixed-width digits").setInt(1);
    e.param("Mode").setInt(1);
    e.param("Start Hour").setInt(9);
    e.param("Start Minute").setInt(59);
    e.param("Speed Factor").setDouble(37.0);  // every digit changes within the frames below
    std::vector<std::pair<int, int>> edges;
    for (double frame = 0.0; frame < 100.0; frame += 7.0) {
        ASSERT_EQ(e.render(frame, kFrame), kOfxStatOK);
        edges.push_back(boxColumns(*images.output, kHeight / 2));
    }
    ASSERT_GT(edges[0].second - edges[0].first, 100);
    for (size_t i = 1; i < edges.size(); ++i) {
        EXPECT_EQ(edges[i], edges[0]) << i;
    }
}

TEST(LargeFrame, EveryStyleRendersAt4096x2160) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    FrameImages images = attachFrame(*session.effect, imageSpec({0, 0, 4096, 2160}));
    for (int style : {0, 1, 2}) {
        session.effect->param("ClockChoice").setInt(style);
        EXPECT_EQ(session.effect->render(0.0, {0, 0, 4096, 2160}), kOfxStatOK);
        // The clock's centre is drawn, opaque, in every style.
        EXPECT_DOUBLE_EQ(readPixel(*images.output, 2048, 1080).a, 1.0) << style;
    }
}

// 110 points in the font dialog (147 pixels at 96 dpi) at ClockSize 1.0 on
// an 8K frame: an em of over 4,096 pixels, larger than Pango lays out.
TEST(LargeFrame, TextLargerThanTheFontEngineLaysOutIsStillDrawnAt8K) {
    constexpr OfxRectI k8K{0, 0, 7680, 4320};
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    FrameImages images = attachFrame(*session.effect, imageSpec(k8K));
    Effect& e = *session.effect;
    e.param("ClockChoice").setInt(1);
    e.param("ClockSize").setDouble(1.0);
    e.param("FontParam").setString("-147 0 0 0 400 34 Arial");
    e.param("Dig Clock Format").setInt(4);  // hh:mm
    e.param("Main Colour").setDoubleN({1.0, 0.0, 0.0, 1.0});
    e.param("Background Colour").setDoubleN({0.0, 0.0, 1.0, 1.0});
    ASSERT_EQ(e.render(0.0, k8K), kOfxStatOK);
    std::size_t text = 0;
    std::size_t box = 0;
    for (int y = 0; y < 4320; y += 8) {
        for (int x = 0; x < 7680; x += 8) {
            const Rgba p = readPixel(*images.output, x, y);
            text += sameColour(p, Rgba{1, 0, 0, 1}) ? 1 : 0;
            box += sameColour(p, Rgba{0, 0, 1, 1}) ? 1 : 0;
        }
    }
    EXPECT_GT(text, 10000u);
    EXPECT_GT(box, 10000u);
}

}  // namespace
}  // namespace horavex::host::testing
