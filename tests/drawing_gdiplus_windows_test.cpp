// The GDI+ backend's faces and its life in the process: a clock keeps its text
// on a system that lacks both the chosen face and Arial, and GDI+ is started
// once, when the process first draws, and shut down at the plug-in's unload.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "core/drawing/DigitalText.h"
#include "core/drawing/DrawingSurface.h"
#include "core/drawing/GdiplusFonts.h"
#include "core/drawing/GdiplusRuntime.h"
#include "core/drawing/Graphics.h"
#include "support/HostBuilders.h"

namespace horavex {
namespace {

constexpr Color kText = makeColor(255, 250, 250, 250);
constexpr Color kBack = makeColor(255, 0, 0, 128);

LogFont fontNamed(std::u16string_view face) {
    LogFont font{};
    font.lfHeight = -27;
    font.lfWeight = 400;
    for (size_t i = 0; i < face.size() && i + 1 < std::size(font.lfFaceName); ++i) {
        font.lfFaceName[i] = static_cast<FaceChar>(face[i]);
    }
    return font;
}

// Pixels of the text colour: the digits themselves, not their box.
int textPixels(const DrawingSurface& surface) {
    int count = 0;
    for (int y = 0; y < surface.height(); ++y) {
        const uint8_t* row = surface.pixels() + static_cast<size_t>(y) * surface.rowBytes();
        for (int x = 0; x < surface.width(); ++x) {
            const uint8_t* p = row + static_cast<size_t>(x) * 4;
            count += p[0] > 200 && p[1] > 200 && p[2] > 200 && p[3] == 255 ? 1 : 0;
        }
    }
    return count;
}

// Draws "12:34:56" as the digital clock does; the number of text pixels.
int digitalClockTextPixels(std::u16string_view face) {
    DrawingSurface surface;
    const DrawingTarget* target = surface.create(400, 120, 32, false);
    EXPECT_NE(target, nullptr);
    {
        const std::unique_ptr<Graphics> graphics = createGraphics(target);
        const RectF area = drawDigitalText(*graphics, L"12:34:56", fontNamed(face), 200, 60, 150, 120, kText, kBack);
        EXPECT_GT(area.width, 0.0f);
        EXPECT_GT(area.height, 0.0f);
    }
    return textPixels(surface);
}

class MissingFaces : public ::testing::Test {
protected:
    void TearDown() override { setFacesTreatedAsMissing({}); }
};

// As in a Wine prefix without its own fonts and without Arial: neither the
// chosen face, nor GDI+'s generic sans-serif family (Microsoft Sans Serif,
// or Tahoma under Wine), nor Arial is there.
TEST_F(MissingFaces, TheDigitalClockKeepsItsTextWithoutTheChosenFaceArialAndTheGenericFamily) {
    const int withArial = digitalClockTextPixels(u"Arial");
    ASSERT_GT(withArial, 50);
    setFacesTreatedAsMissing({L"Arial", L"Microsoft Sans Serif", L"Tahoma"});
    EXPECT_GT(digitalClockTextPixels(u"No Such Face Anywhere"), 50);
    EXPECT_GT(digitalClockTextPixels(u"Arial"), 50);
    EXPECT_GT(digitalClockTextPixels(u""), 50);
}

TEST_F(MissingFaces, AFaceTheSystemLacksMeasuresAndDrawsWithAFallback) {
    setFacesTreatedAsMissing({L"Arial", L"Microsoft Sans Serif", L"Tahoma"});
    DrawingSurface surface;
    const DrawingTarget* target = surface.create(200, 60, 32, false);
    ASSERT_NE(target, nullptr);
    const std::unique_ptr<Graphics> graphics = createGraphics(target);
    for (const char16_t* face : {u"No Such Face Anywhere", u"Arial", u""}) {
        const std::unique_ptr<Font> font = graphics->createFont(face, 20.0f, kFontStyleRegular);
        EXPECT_TRUE(font->usable());
        EXPECT_GT(graphics->measureString(L"12:34", *font, PointF{}).width, 10.0f);
        const std::unique_ptr<Font> bold = graphics->createFont(face, 20.0f, kFontStyleBold);
        EXPECT_TRUE(bold->usable());
    }
}

// Consecutive drawings, as consecutive renders make them.
void drawClocks(int count) {
    for (int i = 0; i < count; ++i) {
        DrawingSurface surface;
        const DrawingTarget* target = surface.create(64, 32, 32, false);
        ASSERT_NE(target, nullptr);
        const std::unique_ptr<Graphics> graphics = createGraphics(target);
        graphics->fillRectangle(IntRect{0, 0, 10, 10}, kText);
        const std::unique_ptr<Font> font = graphics->createFont(u"Arial", 12.0f, kFontStyleRegular);
        graphics->drawString(L"12", *font, RectF{0, 0, 64, 32}, kText);
    }
}

TEST(GdiplusLife, StartedOnceForManyDrawingsAndShutDownAtUnload) {
    drawClocks(1);
    const GdiplusStatus first = gdiplusStatus();
    EXPECT_TRUE(first.running);
    drawClocks(10);
    // Still the same start-up: none per drawing, and none stopped in between.
    EXPECT_EQ(gdiplusStatus().startups, first.startups);
    EXPECT_TRUE(gdiplusStatus().running);

    releaseDrawingBackend();
    EXPECT_FALSE(gdiplusStatus().running);
    drawClocks(1);
    EXPECT_TRUE(gdiplusStatus().running);
    EXPECT_EQ(gdiplusStatus().startups, first.startups + 1);
}

TEST(GdiplusLife, AShutDownWaitsForWhatIsStillDrawing) {
    DrawingSurface surface;
    const DrawingTarget* target = surface.create(64, 32, 32, false);
    ASSERT_NE(target, nullptr);
    auto graphics = createGraphics(target);
    auto font = graphics->createFont(u"Arial", 12.0f, kFontStyleRegular);
    releaseDrawingBackend();
    EXPECT_TRUE(gdiplusStatus().running);
    graphics->drawString(L"12", *font, RectF{0, 0, 64, 32}, kText);
    graphics.reset();
    // The font was made with GDI+ too.
    EXPECT_TRUE(gdiplusStatus().running);
    font.reset();
    EXPECT_FALSE(gdiplusStatus().running);
}

TEST(GdiplusLife, DrawingOnSeveralThreadsWhileTheBackendIsReleased) {
    std::atomic<bool> done{false};
    std::atomic<int> drawn{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 30; ++i) {
                DrawingSurface surface;
                const DrawingTarget* target = surface.create(48, 24, 32, false);
                if (target == nullptr) {
                    continue;
                }
                {
                    const std::unique_ptr<Graphics> graphics = createGraphics(target);
                    graphics->fillRectangle(IntRect{0, 0, 48, 24}, kText);
                }
                drawn += textPixels(surface) == 48 * 24 ? 1 : 0;
            }
        });
    }
    std::thread releaser([&] {
        while (!done) {
            releaseDrawingBackend();
            std::this_thread::yield();
        }
    });
    for (std::thread& t : threads) {
        t.join();
    }
    done = true;
    releaser.join();
    EXPECT_EQ(drawn.load(), 90);
    releaseDrawingBackend();
    EXPECT_FALSE(gdiplusStatus().running);
}

}  // namespace

namespace host::testing {
namespace {

// The plug-in keeps GDI+ from its first render to its unload; loaded again,
// it draws again.
TEST(GdiplusLife, ThePluginDrawsAgainAfterAnUnloadAndALoad) {
    for (int load = 0; load < 2; ++load) {
        PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
        FrameImages images = attachFrame(*session.effect, imageSpec({0, 0, 96, 54}));
        session.effect->param("ClockChoice").setInt(1);
        ASSERT_EQ(session.effect->render(0.0, {0, 0, 96, 54}), kOfxStatOK);
        int opaque = 0;
        const auto* bytes = reinterpret_cast<const uint8_t*>(images.output->memory());
        for (size_t i = 3; i < images.output->memorySize(); i += 4) {
            opaque += bytes[i] != 0 ? 1 : 0;
        }
        EXPECT_GT(opaque, 100) << "load " << load;
    }
}

}  // namespace
}  // namespace host::testing
}  // namespace horavex
