#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "core/drawing/DrawingSurface.h"
#include "core/drawing/Graphics.h"
#ifndef _WIN32
#include "core/drawing/PangoTextEngine.h"
#endif
#include "support/FontFaces.h"
#include "support/Platform.h"

namespace horavex {
namespace {

struct Pixel {
    uint8_t blue, green, red, alpha;
};

// A bottom-up surface with a Graphics on it, read back in drawing coordinates.
class Canvas {
public:
    Canvas(int width, int height) {
        target_ = surface.create(width, height, 32, false);
        graphics = createGraphics(target_);
    }

    // Completes the drawing before any pixel is read.
    Pixel at(int x, int y) {
        graphics->finish();
        const uint8_t* p = surface.pixels() + static_cast<size_t>(surface.height() - 1 - y) * surface.rowBytes() +
                           static_cast<size_t>(x) * 4;
        return Pixel{p[0], p[1], p[2], p[3]};
    }

    bool untouched(int x, int y) {
        const Pixel p = at(x, y);
        return p.blue == 0 && p.green == 0 && p.red == 0 && p.alpha == 0;
    }

    bool exactly(int x, int y, Color c) {
        const Pixel p = at(x, y);
        return p.alpha == c.alpha() && p.red == c.red() && p.green == c.green() && p.blue == c.blue();
    }

    int width() const { return surface.width(); }
    int height() const { return surface.height(); }

    // Smallest rectangle (drawing coordinates, right/bottom exclusive) holding
    // every touched pixel; empty when nothing is drawn.
    std::array<int, 4> inkBounds() {
        std::array<int, 4> bounds{width(), height(), 0, 0};
        for (int y = 0; y < height(); ++y) {
            for (int x = 0; x < width(); ++x) {
                if (!untouched(x, y)) {
                    bounds = {std::min(bounds[0], x), std::min(bounds[1], y), std::max(bounds[2], x + 1),
                              std::max(bounds[3], y + 1)};
                }
            }
        }
        return bounds;
    }

    int touchedCount() {
        int count = 0;
        for (int y = 0; y < height(); ++y) {
            for (int x = 0; x < width(); ++x) {
                count += untouched(x, y) ? 0 : 1;
            }
        }
        return count;
    }

    DrawingSurface surface;
    std::unique_ptr<Graphics> graphics;

private:
    const DrawingTarget* target_ = nullptr;
};

constexpr Color kOpaqueOrange = makeColor(255, 250, 120, 7);

TEST(DrawingColours, ChannelsOutsideTheByteRangeSaturate) {
    EXPECT_EQ(colorFromChannels(ChannelColour{306, -25, 1000, -32768}), makeColor(0, 255, 0, 255));
    EXPECT_EQ(colorFromChannels(ChannelColour{256, 255, 0, 32767}), makeColor(255, 255, 255, 0));
    EXPECT_EQ(colorFromChannels(ChannelColour{10, 20, 30, 40}), makeColor(40, 10, 20, 30));
}

TEST(GraphicsFills, OpaqueRectangleHoldsTheExactColourAndNothingElseIsTouched) {
    Canvas canvas(40, 30);
    canvas.graphics->fillRectangle(IntRect{5, 6, 10, 4}, kOpaqueOrange);
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const bool inside = x >= 5 && x < 15 && y >= 6 && y < 10;
            if (inside) {
                ASSERT_TRUE(canvas.exactly(x, y, kOpaqueOrange)) << x << "," << y;
            } else {
                ASSERT_TRUE(canvas.untouched(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(GraphicsFills, EmptyOrNegativeRectanglesAndEllipsesDrawNothing) {
    Canvas canvas(20, 20);
    canvas.graphics->fillRectangle(IntRect{5, 5, 0, 5}, kOpaqueOrange);
    canvas.graphics->fillRectangle(IntRect{5, 5, 5, -5}, kOpaqueOrange);
    canvas.graphics->fillEllipse(IntRect{5, 5, -5, 5}, kOpaqueOrange);
    canvas.graphics->fillEllipse(IntRect{5, 5, 5, 0}, kOpaqueOrange);
    const std::array<PointF, 2> line{PointF{0, 0}, PointF{10, 10}};
    canvas.graphics->fillPolygon(line, kOpaqueOrange);
    const std::array<PointF, 4> degenerate{PointF{2, 2}, PointF{2, 2}, PointF{2, 2}, PointF{2, 2}};
    canvas.graphics->fillPolygon(degenerate, kOpaqueOrange);
    EXPECT_EQ(canvas.touchedCount(), 0);
}

TEST(GraphicsFills, EllipseFillsItsInsideExactlyAndStaysWithinItsRectangle) {
    Canvas canvas(60, 50);
    canvas.graphics->fillEllipse(IntRect{10, 10, 40, 20}, kOpaqueOrange);
    EXPECT_TRUE(canvas.exactly(30, 20, kOpaqueOrange));
    EXPECT_TRUE(canvas.exactly(12, 20, kOpaqueOrange));  // near the left end of the long axis
    EXPECT_TRUE(canvas.untouched(10, 10));                // the rectangle's corner lies outside
    EXPECT_TRUE(canvas.untouched(49, 29));
    const auto bounds = canvas.inkBounds();
    EXPECT_GE(bounds[0], 10);
    EXPECT_GE(bounds[1], 10);
    EXPECT_LE(bounds[2], 50);
    EXPECT_LE(bounds[3], 30);
}

TEST(GraphicsFills, PartlyCoveredEdgePixelsKeepTheStraightColour) {
    if (testing::runningUnderWine()) {
        GTEST_SKIP() << "Wine's GDI+ does not anti-alias shapes";
    }
    Canvas canvas(60, 60);
    canvas.graphics->fillEllipse(IntRect{5, 5, 50, 50}, kOpaqueOrange);
    int edgePixels = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            const Pixel p = canvas.at(x, y);
            if (p.alpha == 0 || p.alpha == 255) {
                continue;
            }
            ++edgePixels;
            // Premultiplied storage would darken these towards black.
            EXPECT_NEAR(p.red, 250, 255 / p.alpha + 1) << x << "," << y;
            EXPECT_NEAR(p.green, 120, 255 / p.alpha + 1) << x << "," << y;
            EXPECT_NEAR(p.blue, 7, 255 / p.alpha + 1) << x << "," << y;
        }
    }
    EXPECT_GT(edgePixels, 50);  // the edge is anti-aliased
}

TEST(GraphicsFills, PolygonUsesTheAlternateRule) {
    Canvas canvas(60, 60);
    // An outer and an inner square in the same turning direction, joined into
    // one outline: the non-zero rule would fill the inner square too.
    const std::vector<PointF> outline{{10, 10}, {50, 10}, {50, 50}, {10, 50}, {10, 10},
                                      {20, 20}, {40, 20}, {40, 40}, {20, 40}, {20, 20}};
    canvas.graphics->fillPolygon(outline, kOpaqueOrange);
    EXPECT_TRUE(canvas.exactly(15, 30, kOpaqueOrange));
    EXPECT_TRUE(canvas.exactly(45, 30, kOpaqueOrange));
    EXPECT_TRUE(canvas.untouched(30, 30));
    EXPECT_TRUE(canvas.untouched(55, 55));
}

TEST(GraphicsFills, TranslucentFillStoresStraightColourAndItsAlpha) {
    Canvas canvas(20, 20);
    const Color half = makeColor(128, 200, 100, 0);
    canvas.graphics->fillRectangle(IntRect{2, 2, 10, 10}, half);
    const Pixel p = canvas.at(5, 5);
    EXPECT_EQ(p.alpha, 128);
    EXPECT_NEAR(p.red, 200, 1);
    EXPECT_NEAR(p.green, 100, 1);
    EXPECT_EQ(p.blue, 0);
}

// Keying compares exact colours, so a drawn pixel must keep exactly the
// colour it was drawn with, whatever its alpha, through the rasteriser's
// premultiplied arithmetic.
TEST(GraphicsFills, TranslucentFillsKeepTheirExactColourAtEveryAlpha) {
    const Color colours[] = {makeColor(0, 200, 100, 50), makeColor(0, 255, 255, 255), makeColor(0, 1, 2, 3),
                             makeColor(0, 254, 0, 129), makeColor(0, 17, 239, 128)};
    for (const Color base : colours) {
        for (uint32_t alpha = 1; alpha <= 255; ++alpha) {
            const Color colour{base.argb | alpha << 24};
            Canvas canvas(6, 4);
            canvas.graphics->fillRectangle(IntRect{1, 1, 4, 2}, colour);
            ASSERT_TRUE(canvas.exactly(2, 1, colour)) << std::hex << colour.argb;
        }
    }
}

// Anti-aliased edges: every pixel a shape of one colour touches holds that
// colour, at its own alpha, on its own and beside a shape of another colour.
TEST(GraphicsFills, AntiAliasedEdgesKeepTheExactColour) {
    if (testing::runningUnderWine()) {
        GTEST_SKIP() << "Wine's GDI+ does not anti-alias shapes";
    }
    const Color key = makeColor(0, 200, 100, 50);
    const Color other = makeColor(255, 20, 240, 90);
    for (uint32_t alpha : {1u, 26u, 51u, 127u, 128u, 200u, 254u, 255u}) {
        const Color colour{key.argb | alpha << 24};
        Canvas canvas(40, 40);
        canvas.graphics->fillRectangle(IntRect{30, 0, 10, 40}, other);
        canvas.graphics->fillEllipse(IntRect{3, 3, 30, 33}, colour);
        canvas.graphics->fillPolygon(std::vector<PointF>{{2.3f, 37.0f}, {20.7f, 30.2f}, {11.1f, 39.9f}}, colour);
        int edges = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 29; ++x) {
                const Pixel p = canvas.at(x, y);
                if (p.alpha == 0) {
                    continue;
                }
                edges += p.alpha < alpha ? 1 : 0;
                ASSERT_TRUE(p.red == 200 && p.green == 100 && p.blue == 50)
                    << "alpha " << alpha << " at " << x << "," << y << ": " << int{p.red} << "," << int{p.green}
                    << "," << int{p.blue} << " alpha " << int{p.alpha};
            }
        }
        if (alpha > 51) {
            EXPECT_GT(edges, 20) << alpha;
        }
    }
}

TEST(GraphicsFills, TranslucentFillsOverEarlierDrawingCompositeInStraightColour) {
    Canvas canvas(30, 20);
    const Color red = makeColor(128, 200, 0, 0);
    canvas.graphics->fillRectangle(IntRect{0, 0, 20, 20}, red);
    canvas.graphics.reset();  // the surface now holds straight colour
    canvas.graphics = createGraphics(canvas.surface.target());
    canvas.graphics->fillRectangle(IntRect{10, 0, 20, 20}, red);
    const Pixel once = canvas.at(5, 5);
    const Pixel twice = canvas.at(15, 5);
    EXPECT_EQ(once.alpha, 128);
    EXPECT_NEAR(twice.alpha, 128 + 128 * 127 / 255, 1);
    EXPECT_NEAR(twice.red, 200, 1);  // red over red stays red
    EXPECT_EQ(twice.green, 0);
    const Pixel blueOverRed = [&] {
        canvas.graphics->fillRectangle(IntRect{0, 10, 5, 5}, makeColor(255, 0, 0, 90));
        return canvas.at(2, 12);
    }();
    EXPECT_EQ(blueOverRed.alpha, 255);
    EXPECT_EQ(blueOverRed.red, 0);
    EXPECT_EQ(blueOverRed.blue, 90);
}

TEST(GraphicsFills, ShapesFarOutsideThePictureAreClippedNotWrapped) {
    Canvas canvas(32, 24);
    // A triangle whose corners lie far beyond any fixed-point range covers the
    // whole picture.
    const std::array<PointF, 3> huge{PointF{-1e30f, -1e30f}, PointF{1e30f, -1e30f}, PointF{0.0f, 1e30f}};
    canvas.graphics->fillPolygon(huge, kOpaqueOrange);
    EXPECT_TRUE(canvas.exactly(0, 0, kOpaqueOrange));
    EXPECT_TRUE(canvas.exactly(31, 23, kOpaqueOrange));

    Canvas far(32, 24);
    const std::array<PointF, 3> away{PointF{1e9f, 1e9f}, PointF{2e9f, 1e9f}, PointF{1e9f, 2e9f}};
    far.graphics->fillPolygon(away, kOpaqueOrange);
    const std::array<PointF, 3> notFinite{PointF{0, 0}, PointF{std::numeric_limits<float>::infinity(), 0},
                                          PointF{0, std::numeric_limits<float>::quiet_NaN()}};
    far.graphics->fillPolygon(notFinite, kOpaqueOrange);
    far.graphics->fillRectangle(IntRect{std::numeric_limits<int64_t>::max() - 5, 0, 100, 10}, kOpaqueOrange);
    EXPECT_EQ(far.touchedCount(), 0);
}

// A shape that leaves the picture keeps its edges where they were where it
// crosses back in, whichever side it left by.
TEST(GraphicsFills, ASlantedEdgeLeavingThePictureStaysWhereItWas) {
    Canvas top(64, 48);
    // The slanted edge runs from (0, -100) to (40, 100): x = 20.4 at y = 2,
    // x = 28 at y = 40.
    const std::array<PointF, 3> upwards{PointF{0.0f, -100.0f}, PointF{40.0f, 100.0f}, PointF{0.0f, 100.0f}};
    top.graphics->fillPolygon(upwards, kOpaqueOrange);
    EXPECT_TRUE(top.exactly(15, 2, kOpaqueOrange));
    EXPECT_TRUE(top.untouched(25, 2));
    EXPECT_TRUE(top.exactly(25, 40, kOpaqueOrange));
    EXPECT_TRUE(top.untouched(31, 40));

    Canvas bottom(64, 48);
    // Mirrored: from (0, 148) up to (40, -52): x = 20.4 at y = 46.
    const std::array<PointF, 3> downwards{PointF{0.0f, 148.0f}, PointF{40.0f, -52.0f}, PointF{0.0f, -52.0f}};
    bottom.graphics->fillPolygon(downwards, kOpaqueOrange);
    EXPECT_TRUE(bottom.exactly(15, 46, kOpaqueOrange));
    EXPECT_TRUE(bottom.untouched(25, 46));

    Canvas side(64, 48);
    // Out to the left and back: from (-100, 0) to (100, 40) across x = 0 at y = 20.
    const std::array<PointF, 3> sideways{PointF{-100.0f, 0.0f}, PointF{100.0f, 40.0f}, PointF{100.0f, 0.0f}};
    side.graphics->fillPolygon(sideways, kOpaqueOrange);
    EXPECT_TRUE(side.exactly(2, 15, kOpaqueOrange));
    EXPECT_TRUE(side.untouched(2, 25));
}

TEST(GraphicsFills, HugeEllipsesAndRectanglesCoverWhatTheyShould) {
    Canvas canvas(32, 24);
    const int64_t r = int64_t{1} << 33;
    // Centre (16, 12): the whole picture lies deep inside.
    canvas.graphics->fillEllipse(IntRect{16 - r, 12 - r, 2 * r, 2 * r}, kOpaqueOrange);
    EXPECT_TRUE(canvas.exactly(0, 0, kOpaqueOrange));
    EXPECT_TRUE(canvas.exactly(31, 23, kOpaqueOrange));

    // A huge ellipse whose edge runs through the picture near x = 20.
    Canvas edge(32, 24);
    edge.graphics->fillEllipse(IntRect{20 - 2 * r, 12 - r, 2 * r, 2 * r}, kOpaqueOrange);
    EXPECT_TRUE(edge.exactly(18, 12, kOpaqueOrange));
    EXPECT_TRUE(edge.untouched(22, 12));

    Canvas wide(32, 24);
    const int64_t big = std::numeric_limits<int64_t>::max();
    wide.graphics->fillRectangle(IntRect{-big / 2, 4, big, 2}, kOpaqueOrange);
    EXPECT_TRUE(wide.exactly(0, 4, kOpaqueOrange));
    EXPECT_TRUE(wide.exactly(31, 5, kOpaqueOrange));
    EXPECT_TRUE(wide.untouched(0, 6));
}

// A circle too large for the rasteriser is drawn as a polygon; all along it,
// not only where the polygon has its corners, the edge stays within about a
// pixel of the true circle.
TEST(GraphicsFills, AHugeCircleKeepsItsEdgeAllAlongIt) {
    const int64_t r = int64_t{1} << 33;
    const double radius = static_cast<double>(r);
    // Points on the circle a small fraction of a degree apart, where a coarse
    // polygon's sides would cut inside the circle between its corners.
    for (int k = 0; k < 16; ++k) {
        const double angle = 0.3 + 2.0 * std::numbers::pi / 65536.0 * k / 16.0;
        // The centre rounded so that the circle's point at `angle` falls near (8, 8).
        const int64_t centreX = static_cast<int64_t>(std::llround(8.0 - radius * std::cos(angle)));
        const int64_t centreY = static_cast<int64_t>(std::llround(8.0 - radius * std::sin(angle)));
        Canvas canvas(16, 16);
        canvas.graphics->fillEllipse(IntRect{centreX - r, centreY - r, 2 * r, 2 * r}, kOpaqueOrange);
        int inside = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                // Positive inside the circle, in pixels, from the pixel's centre.
                const double depth = radius - std::hypot(static_cast<double>(x - centreX) + 0.5,
                                                         static_cast<double>(y - centreY) + 0.5);
                if (depth > 1.5) {
                    ++inside;
                    ASSERT_TRUE(canvas.exactly(x, y, kOpaqueOrange)) << "angle step " << k << " at " << x << "," << y;
                } else if (depth < -1.0) {
                    ASSERT_TRUE(canvas.untouched(x, y)) << "angle step " << k << " at " << x << "," << y;
                }
            }
        }
        EXPECT_GT(inside, 40) << "angle step " << k;
    }
}

TEST(GraphicsFills, NothingIsDrawnWithoutPixelMemory) {
    auto graphics = createGraphics(nullptr);
    graphics->fillRectangle(IntRect{0, 0, 10, 10}, kOpaqueOrange);
    graphics->fillEllipse(IntRect{0, 0, 10, 10}, kOpaqueOrange);
    const std::array<PointF, 3> triangle{PointF{0, 0}, PointF{5, 0}, PointF{0, 5}};
    graphics->fillPolygon(triangle, kOpaqueOrange);
    auto font = graphics->createFont(u"Arial", 20.0f, kFontStyleRegular);
    EXPECT_EQ(graphics->measureString(L"12:00", *font, PointF{5, 5}), (RectF{}));
    graphics->drawString(L"12:00", *font, RectF{0, 0, 100, 30}, kOpaqueOrange);
    graphics->finish();
}

TEST(GraphicsFills, DrawingReachesEveryTileOfAPictureWiderThanOneTile) {
    DrawingSurface surface;
    const DrawingTarget* target = surface.create(16384 + 40, 3, 32, false);
    ASSERT_NE(target, nullptr);
    createGraphics(target)->fillRectangle(IntRect{16384 - 10, 0, 20, 3}, kOpaqueOrange);
    auto pixelAt = [&](int x, int y) {
        return surface.pixels() + static_cast<size_t>(2 - y) * surface.rowBytes() + static_cast<size_t>(x) * 4;
    };
    EXPECT_EQ(pixelAt(16384 - 10, 0)[3], 255);
    EXPECT_EQ(pixelAt(16384 + 9, 2)[2], 250);
    EXPECT_EQ(pixelAt(16384 + 10, 1)[3], 0);
    EXPECT_EQ(pixelAt(16384 - 11, 1)[3], 0);
}

// Text. fonts-liberation2 makes "Arial" a metric-compatible face; the tests
// print the face fontconfig picked.
class GraphicsText : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string face = testing::matchedFontFamily("Arial");
        std::printf("\"Arial\" is drawn with \"%s\"\n", face.c_str());
    }
};

TEST_F(GraphicsText, FontSizeIsInPointsAtNinetySixPixelsPerInch) {
    Canvas canvas(10, 10);
    auto small = canvas.graphics->createFont(u"Arial", 30.0f, kFontStyleRegular);
    auto large = canvas.graphics->createFont(u"Arial", 60.0f, kFontStyleRegular);
    const RectF a = canvas.graphics->measureString(L"12:34:56", *small, PointF{960, 300});
    const RectF b = canvas.graphics->measureString(L"12:34:56", *large, PointF{960, 300});
    EXPECT_EQ(a.x, 960.0f);
    EXPECT_EQ(a.y, 300.0f);
    // A line is a little more than one em high: 30 points are 40 pixels.
    EXPECT_GT(a.height, 40.0f);
    EXPECT_LT(a.height, 40.0f * 1.4f);
    // Eight characters, each advance fitted to whole pixels where the
    // platform does so.
    EXPECT_NEAR(b.width, 2.0f * a.width, testing::kGridFittedAdvances ? 8.0f : 1.0f);
    EXPECT_NEAR(b.height, 2.0f * a.height, 1.0f);
}

TEST_F(GraphicsText, UnknownOrEmptyFaceFallsBackToGenericSansSerif) {
    Canvas canvas(10, 10);
    auto generic = canvas.graphics->createFont(u"sans-serif", 40.0f, kFontStyleRegular);
    auto unknown = canvas.graphics->createFont(u"No Such Face Horavex", 40.0f, kFontStyleRegular);
    auto empty = canvas.graphics->createFont(u"", 40.0f, kFontStyleRegular);
    const RectF g = canvas.graphics->measureString(L"Horavex 12:34", *generic, PointF{});
    EXPECT_GT(g.width, 0.0f);
    EXPECT_EQ(canvas.graphics->measureString(L"Horavex 12:34", *unknown, PointF{}), g);
    EXPECT_EQ(canvas.graphics->measureString(L"Horavex 12:34", *empty, PointF{}), g);
}

// Pango's font engine (the Linux backend) only.
#ifndef _WIN32
// fontconfig matches every name to some face, and Debian binds unknown names
// weakly to its defaults; only a face that is installed, under the name or a
// name the configuration binds to it strongly, counts.
TEST_F(GraphicsText, OnlyInstalledFacesAreTakenUnknownNamesBecomeSansSerif) {
    PangoTextEngine& engine = PangoTextEngine::instance();
    for (const char* unknown : {"No Such Face Horavex", "Horavex Unknown 2", "Arial Horavex", "x"}) {
        EXPECT_EQ(engine.usableFamily(unknown), "sans-serif") << unknown;
    }
    EXPECT_EQ(engine.usableFamily("sans-serif"), "sans-serif");
    EXPECT_EQ(engine.usableFamily("monospace"), "monospace");
    // No name is no face; and a face name is one family, never a list of
    // them for Pango to pick from, even when its families are installed.
    for (const char* notOne : {"", "DejaVu Serif,monospace", "monospace, serif"}) {
        EXPECT_EQ(engine.usableFamily(notOne), "sans-serif") << notOne;
    }
    if (engine.matchedFamily("DejaVu Serif") == "DejaVu Serif") {
        EXPECT_EQ(engine.usableFamily("DejaVu Serif"), "DejaVu Serif");
    }
    // fonts-liberation2 binds "Arial" to Liberation Sans.
    if (engine.matchedFamily("Arial") == "Liberation Sans") {
        EXPECT_EQ(engine.usableFamily("Arial"), "Arial");
    }
}

// The tests that compare faces skip when the face they name is missing, as
// told by matchedFamily: a matchedFamily that never finds a face would skip
// them all unnoticed.
TEST_F(GraphicsText, TheMatchedFamilyNamesAnInstalledFace) {
    PangoTextEngine& engine = PangoTextEngine::instance();
    const std::string fallback = engine.matchedFamily("sans-serif");
    ASSERT_FALSE(fallback.empty());
    EXPECT_EQ(engine.matchedFamily(fallback), fallback);
    EXPECT_EQ(engine.usableFamily(fallback), fallback);
}

// Every face name and size a project animates through must not stay in the
// process for good.
TEST_F(GraphicsText, ManyFaceNamesAndSizesKeepTheFontMapBounded) {
    Canvas canvas(10, 10);
    const RectF before = [&] {
        auto font = canvas.graphics->createFont(u"Arial", 20.0f, kFontStyleRegular);
        return canvas.graphics->measureString(L"12:34", *font, PointF{});
    }();
    for (int i = 0; i < 3 * static_cast<int>(PangoTextEngine::kMaxFaces); ++i) {
        const std::u16string face = u"Unknown Face " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                                    std::u16string(1, static_cast<char16_t>(u'a' + i / 26 % 26));
        auto font = canvas.graphics->createFont(face, 10.0f + static_cast<float>(i) * 0.25f, kFontStyleRegular);
        EXPECT_GT(canvas.graphics->measureString(L"12:34", *font, PointF{}).width, 0.0f);
        ASSERT_LE(PangoTextEngine::instance().keptFaces(), PangoTextEngine::kMaxFaces);
    }
    auto font = canvas.graphics->createFont(u"Arial", 20.0f, kFontStyleRegular);
    EXPECT_EQ(canvas.graphics->measureString(L"12:34", *font, PointF{}), before);
}

// The font map holds every face and size it has loaded for as long as it
// lives: past the limit the map that held them must go, taking them along.
void noteFreed(gpointer flag, GObject*) { static_cast<std::atomic<bool>*>(flag)->store(true); }

TEST_F(GraphicsText, TheFontMapHoldingManyFacesIsFreedPastTheLimit) {
    PangoTextEngine& engine = PangoTextEngine::instance();
    std::atomic<bool> freed{false};
    GObject* fontMap = nullptr;
    {
        std::lock_guard<std::mutex> guard(engine.lock());
        fontMap = G_OBJECT(pango_context_get_font_map(engine.context()));
        g_object_weak_ref(fontMap, noteFreed, &freed);
    }
    {
        Canvas canvas(10, 10);
        for (int i = 0; i <= static_cast<int>(PangoTextEngine::kMaxFaces); ++i) {
            // Sizes no other case uses, so that every one is a new face.
            auto font = canvas.graphics->createFont(u"DejaVu Sans", 5.0f + static_cast<float>(i) / 64.0f,
                                                    kFontStyleRegular);
            EXPECT_GT(canvas.graphics->measureString(L"12:34", *font, PointF{}).width, 0.0f);
        }
    }
    // Pango reads the font configuration of a new map on a thread of its own,
    // which holds the map a moment longer on a busy machine: the old map is
    // given a few seconds to go.
    for (int wait = 0; wait < 500 && !freed.load(); ++wait) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(freed.load());
    if (!freed.load()) {
        g_object_weak_unref(fontMap, noteFreed, &freed);
    }
}

#endif  // _WIN32

TEST_F(GraphicsText, AnInstalledFaceIsUsedRatherThanTheFallback) {
    const std::string serif = testing::matchedFontFamily("DejaVu Serif");
    if (serif != "DejaVu Serif") {
        GTEST_SKIP() << "DejaVu Serif is not installed";
    }
    Canvas canvas(10, 10);
    auto generic = canvas.graphics->createFont(u"sans-serif", 40.0f, kFontStyleRegular);
    auto face = canvas.graphics->createFont(u"DejaVu Serif", 40.0f, kFontStyleRegular);
    EXPECT_NE(canvas.graphics->measureString(L"Horavex", *face, PointF{}).width,
              canvas.graphics->measureString(L"Horavex", *generic, PointF{}).width);
}

TEST_F(GraphicsText, BoldIsWiderThanRegular) {
    Canvas canvas(10, 10);
    auto regular = canvas.graphics->createFont(u"Arial", 40.0f, kFontStyleRegular);
    auto bold = canvas.graphics->createFont(u"Arial", 40.0f, kFontStyleBold);
    EXPECT_GT(canvas.graphics->measureString(L"Horavex", *bold, PointF{}).width,
              canvas.graphics->measureString(L"Horavex", *regular, PointF{}).width);
}

TEST_F(GraphicsText, FontsThatCannotBeMadeMeasureEmptyAndDrawNothing) {
    Canvas canvas(200, 100);
    for (float em : {0.0f, -12.0f, std::numeric_limits<float>::quiet_NaN(),
                     std::numeric_limits<float>::infinity(), 1e30f}) {
        auto font = canvas.graphics->createFont(u"Arial", em, kFontStyleRegular);
        EXPECT_FALSE(font->usable()) << em;
        EXPECT_EQ(canvas.graphics->measureString(L"12:00", *font, PointF{3, 4}), (RectF{})) << em;
        canvas.graphics->drawString(L"12:00", *font, RectF{0, 0, 200, 100}, kOpaqueOrange);
    }
    EXPECT_EQ(canvas.touchedCount(), 0);
}

TEST_F(GraphicsText, LineIsCentredInTheLayoutRectangleAndClippedToIt) {
    Canvas canvas(300, 120);
    auto font = canvas.graphics->createFont(u"Arial", 30.0f, kFontStyleRegular);
    const RectF layout{50, 20, 200, 80};
    canvas.graphics->drawString(L"0000", *font, layout, kOpaqueOrange);
    const auto ink = canvas.inkBounds();
    ASSERT_LT(ink[0], ink[2]) << "nothing drawn";
    // Zeros have near-equal side bearings, so the ink is centred as the line is.
    EXPECT_NEAR((ink[0] + ink[2]) / 2.0, 150.0, 2.0);
    EXPECT_GT(ink[1], 20);
    EXPECT_LT(ink[3], 100);

    Canvas tight(300, 120);
    auto big = tight.graphics->createFont(u"Arial", 60.0f, kFontStyleRegular);
    tight.graphics->drawString(L"88888888", *big, RectF{100, 40, 50, 20}, kOpaqueOrange);
    const auto clipped = tight.inkBounds();
    ASSERT_LT(clipped[0], clipped[2]) << "nothing drawn";
    EXPECT_GE(clipped[0], 99);
    EXPECT_LE(clipped[2], 151);
    EXPECT_GE(clipped[1], 39);
    EXPECT_LE(clipped[3], 61);
}

TEST_F(GraphicsText, VeryLargeTextIsDrawnCentredAndClippedToo) {
    // 450 points are 600 pixels: past the size whose glyphs are cached.
    Canvas canvas(900, 900);
    auto font = canvas.graphics->createFont(u"Arial", 450.0f, kFontStyleRegular);
    ASSERT_TRUE(font->usable());
    const RectF layout{100, 50, 700, 800};
    canvas.graphics->drawString(L"0", *font, layout, kOpaqueOrange);
    const auto ink = canvas.inkBounds();
    ASSERT_LT(ink[0], ink[2]) << "nothing drawn";
    EXPECT_NEAR((ink[0] + ink[2]) / 2.0, 450.0, 4.0);
    EXPECT_GT(ink[2] - ink[0], 200);
    EXPECT_TRUE(canvas.exactly((ink[0] + ink[2]) / 2, ink[1] + 10, kOpaqueOrange));  // the zero's upper stroke

    Canvas tight(900, 900);
    auto same = tight.graphics->createFont(u"Arial", 450.0f, kFontStyleRegular);
    tight.graphics->drawString(L"0", *same, RectF{300, 300, 300, 100}, kOpaqueOrange);
    const auto clipped = tight.inkBounds();
    EXPECT_GE(clipped[0], 299);
    EXPECT_LE(clipped[2], 601);
    EXPECT_GE(clipped[1], 299);
    EXPECT_LE(clipped[3], 401);
}

// Above 4,096 pixels Pango cannot lay a long line out; such fonts are laid
// out smaller and scaled, so they measure and draw in proportion.
TEST_F(GraphicsText, FontsLargerThanTheFontEngineLaysOutAreScaled) {
    Canvas canvas(10, 10);
    auto base = canvas.graphics->createFont(u"Arial", 1500.0f, kFontStyleRegular);
    auto twice = canvas.graphics->createFont(u"Arial", 3000.0f, kFontStyleRegular);
    auto huge = canvas.graphics->createFont(u"Arial", 1.5e8f, kFontStyleRegular);
    ASSERT_TRUE(twice->usable());
    ASSERT_TRUE(huge->usable());
    const RectF b = canvas.graphics->measureString(L"12:34", *base, PointF{});
    const RectF t = canvas.graphics->measureString(L"12:34", *twice, PointF{});
    const RectF h = canvas.graphics->measureString(L"12:34", *huge, PointF{});
    EXPECT_NEAR(t.width, 2.0f * b.width, 0.01f * b.width);
    EXPECT_NEAR(t.height, 2.0f * b.height, 0.01f * b.height);
    EXPECT_NEAR(h.width, 1e5f * b.width, 1e3f * b.width);

    // 3,600 points are 4,800 pixels: a zero centred at x 1,500 has its left
    // stroke (about 0.1 em wide) about 1,300 pixels further left, across the
    // picture, and its hole to the right of it.
    Canvas big(1000, 1000);
    auto font = big.graphics->createFont(u"Arial", 3600.0f, kFontStyleRegular);
    big.graphics->drawString(L"0", *font, RectF{-1000, -2000, 5000, 5000}, kOpaqueOrange);
    EXPECT_GT(big.touchedCount(), 100000);
    EXPECT_TRUE(big.untouched(999, 500));
}

// Glyph outlines from about 65,000 pixels per em up are past what the font
// engine scales to; they are still drawn. An "I" centred on the picture
// covers it with its stem (about a tenth of an em wide).
TEST_F(GraphicsText, GlyphsPastTheFontEnginesLargestSizeAreStillDrawn) {
#ifdef _WIN32
    GTEST_SKIP() << "GDI+ draws text through the system's font engine, which draws nothing past about 65,000 "
                    "pixels per em; only the Cairo backend outlines such glyphs itself";
#endif
    for (float points : {30000.0f, 60000.0f, 150000.0f, 1.5e6f}) {
        SCOPED_TRACE(points);
        Canvas canvas(64, 64);
        auto font = canvas.graphics->createFont(u"Arial", points, kFontStyleRegular);
        ASSERT_TRUE(font->usable());
        const float side = points * 4.0f;
        canvas.graphics->drawString(L"I", *font, RectF{32.0f - side / 2.0f, 32.0f - side / 2.0f, side, side},
                                    kOpaqueOrange);
        EXPECT_TRUE(canvas.exactly(0, 0, kOpaqueOrange));
        EXPECT_TRUE(canvas.exactly(32, 32, kOpaqueOrange));
        EXPECT_TRUE(canvas.exactly(63, 63, kOpaqueOrange));
    }

    // Outlined smaller and scaled, the glyph keeps its proportions: across a
    // strip through the middle of an "I", its stem is as wide and as far left
    // of the centre, in ems, at 12,000 pixels per em as at 40,000.
    struct Stem {
        double left;
        double coverage;
    };
    auto stemAt = [](double pixelsPerEm) {
        Canvas strip(20000, 4);
        auto font = strip.graphics->createFont(u"Arial", static_cast<float>(pixelsPerEm * 0.75), kFontStyleRegular);
        const float side = static_cast<float>(pixelsPerEm * 3.0);
        strip.graphics->drawString(L"I", *font, RectF{10000.0f - side / 2.0f, 2.0f - side / 2.0f, side, side},
                                   kOpaqueOrange);
        int left = -1;
        double coverage = 0.0;
        for (int x = 0; x < strip.width(); ++x) {
            const uint8_t alpha = strip.at(x, 1).alpha;
            left = left < 0 && alpha != 0 ? x : left;
            coverage += alpha / 255.0;
        }
        return Stem{(left - 10000.0) / pixelsPerEm, coverage / pixelsPerEm};
    };
    const Stem direct = stemAt(12000.0);
    const Stem outlined = stemAt(40000.0);
    EXPECT_GT(direct.coverage, 0.05);
    EXPECT_NEAR(outlined.coverage, direct.coverage, 0.0002);
    EXPECT_NEAR(outlined.left, direct.left, 0.0002);
}

TEST_F(GraphicsText, UnderlineAndStrikeoutAddStrokes) {
    if (testing::runningUnderWine()) {
        GTEST_SKIP() << "Wine's GDI+ draws no underline or strike-out";
    }
    auto inkCount = [](int style) {
        Canvas canvas(300, 100);
        auto font = canvas.graphics->createFont(u"Arial", 30.0f, style);
        canvas.graphics->drawString(L"1 1", *font, RectF{0, 0, 300, 100}, kOpaqueOrange);
        return canvas.touchedCount();
    };
    const int plain = inkCount(kFontStyleRegular);
    EXPECT_GT(inkCount(kFontStyleUnderline), plain + 50);
    EXPECT_GT(inkCount(kFontStyleStrikeout), plain + 50);
}

TEST_F(GraphicsText, ConcurrentRendersGiveTheSameTextAsOneAlone) {
    auto render = [] {
        Canvas canvas(240, 60);
        auto font = canvas.graphics->createFont(u"Arial", 24.0f, kFontStyleBold);
        const RectF box = canvas.graphics->measureString(L"23:59:59.999", *font, PointF{});
        canvas.graphics->drawString(L"23:59:59.999", *font, RectF{0, 0, box.width, box.height},
                                    makeColor(200, 255, 255, 255));
        canvas.graphics.reset();
        return std::vector<uint8_t>(canvas.surface.pixels(), canvas.surface.pixels() + canvas.surface.sizeBytes());
    };
    const std::vector<uint8_t> alone = render();
    std::vector<std::vector<uint8_t>> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results) {
        threads.emplace_back([&result, &render] {
            for (int i = 0; i < 5; ++i) {
                result = render();
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto& result : results) {
        EXPECT_TRUE(result == alone);
    }
}

}  // namespace
}  // namespace horavex
