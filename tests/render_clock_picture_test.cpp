// A frame rendered as several windows, one after the other or on several
// threads at once, gives to the bit the pixels of the whole-frame render; the
// last clock drawn is reused only while nothing that decides it changes; large
// windows are composited on the host's threads with the same result.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/compositing/ClockPicture.h"
#include "adapter/InstanceData.h"
#include "support/HostBuilders.h"

namespace horavex::host::testing {
namespace {

// Off the origin, so that a layout taken from a window would move the clock.
constexpr OfxRectI kFrame{-30, 20, 290, 200};

// `count` windows that tile `frame`, of uneven sizes: rows of columns.
std::vector<OfxRectI> cutIntoWindows(const OfxRectI& frame, int count) {
    int rows = 1;
    while ((rows + 1) * (rows + 1) <= count) {
        ++rows;
    }
    std::vector<OfxRectI> windows;
    const int height = frame.y2 - frame.y1;
    const int width = frame.x2 - frame.x1;
    auto cut = [](int from, int size, int k, int parts) {
        // Even cuts moved by a few pixels, never past a neighbour.
        const int even = from + size * k / parts;
        return k == 0 || k == parts ? even : even + (k * 7) % 5 - 2;
    };
    for (int r = 0; r < rows; ++r) {
        const int columns = count / rows + (r < count % rows ? 1 : 0);
        for (int c = 0; c < columns; ++c) {
            windows.push_back(OfxRectI{cut(frame.x1, width, c, columns), cut(frame.y1, height, r, rows),
                                       cut(frame.x1, width, c + 1, columns), cut(frame.y1, height, r + 1, rows)});
        }
    }
    return windows;
}

std::vector<std::byte> bytesOf(const ImageBuffer& image) {
    return {image.memory(), image.memory() + image.memorySize()};
}

struct WindowCase {
    const char* context;
    const char* depth;
    int style;
    int keying;  // 0 none, 1 the main colour, 2 black (undrawn pixels keyed too)
};

std::string caseName(const WindowCase& c) {
    return std::string(c.context) + " " + c.depth + " style " + std::to_string(c.style) + " key " +
           std::to_string(c.keying);
}

std::vector<WindowCase> windowCases() {
    std::vector<WindowCase> cases;
    for (const char* depth : {kOfxBitDepthByte, kOfxBitDepthShort, kOfxBitDepthFloat}) {
        for (int style : {0, 1, 2}) {
            cases.push_back({kOfxImageEffectContextGenerator, depth, style, 0});
            for (int keying : {0, 1, 2}) {
                cases.push_back({kOfxImageEffectContextFilter, depth, style, keying});
            }
        }
    }
    return cases;
}

void setUpClock(Effect& e, const WindowCase& c, FrameImages& images) {
    images = attachFrame(e, imageSpec(kFrame, c.depth));
    if (images.source) {
        fillPattern(*images.source, 5);
    }
    e.param("ClockChoice").setInt(c.style);
    // 35 % across and 60 % up the frame.
    e.setSpatialFraction("corner1", 0.35, 0.6);
    e.param("ClockSize").setDouble(0.6);
    e.param("Dig Clock Format").setInt(3);  // hh:mm:ss
    e.param("Start Hour").setInt(10);
    e.param("Start Minute").setInt(9);
    e.param("Main Colour").setDoubleN({1.0, 0.5, 0.0, 0.8});
    e.param("Background Colour").setDoubleN({0.0, 0.2, 1.0, 0.6});
    if (c.keying != 0) {
        e.param("Use Key Colour").setInt(1);
        e.param("Key Colour").setDoubleN(c.keying == 1 ? std::vector<double>{1.0, 0.5, 0.0, 1.0}
                                                       : std::vector<double>{0.0, 0.0, 0.0, 1.0});
    }
}

PluginSession clockSession(const WindowCase& c, FrameImages& images, HostConfig config = {}) {
    PluginSession session = loadEffect(c.context, pluginBundlePath(), EffectConfig{}, config);
    setUpClock(*session.effect, c, images);
    return session;
}

TEST(RenderWindows, AnyCutOfTheFrameGivesTheWholeFrameRenderToTheBit) {
    for (const WindowCase& c : windowCases()) {
        SCOPED_TRACE(caseName(c));
        FrameImages images;
        PluginSession session = clockSession(c, images);
        ASSERT_EQ(session.effect->render(3.0, kFrame), kOfxStatOK);
        const std::vector<std::byte> whole = bytesOf(*images.output);
        if (!images.source) {
            // The clock lies inside the frame, so the windows have some of it to share.
            EXPECT_GT(countPixelsNot(*images.output, kFrame, Rgba{0, 0, 0, 0}), 1000u);
        }
        for (int count : {1, 3, 7, 16}) {
            SCOPED_TRACE(count);
            const std::vector<OfxRectI> windows = cutIntoWindows(kFrame, count);
            ASSERT_EQ(windows.size(), static_cast<size_t>(count));
            images.output->fillBytes(std::byte{0x5A});
            for (const OfxRectI& window : windows) {
                ASSERT_EQ(session.effect->render(3.0, window), kOfxStatOK);
            }
            EXPECT_TRUE(bytesOf(*images.output) == whole);
        }
        // A fresh instance that renders only windows, never the whole frame;
        // the first one goes, so that no instance can hand it a clock.
        session = PluginSession{};
        FrameImages fresh;
        PluginSession windowsOnly = clockSession(c, fresh);
        for (const OfxRectI& window : cutIntoWindows(kFrame, 7)) {
            ASSERT_EQ(windowsOnly.effect->render(3.0, window), kOfxStatOK);
        }
        EXPECT_TRUE(bytesOf(*fresh.output) == whole);
    }
}

TEST(RenderWindows, WindowsRenderedOnSeveralThreadsAtOnceFitTogether) {
    for (const WindowCase& c : {WindowCase{kOfxImageEffectContextFilter, kOfxBitDepthFloat, 1, 1},
                                WindowCase{kOfxImageEffectContextGenerator, kOfxBitDepthByte, 0, 0},
                                WindowCase{kOfxImageEffectContextFilter, kOfxBitDepthByte, 2, 2}}) {
        SCOPED_TRACE(caseName(c));
        FrameImages images;
        PluginSession session = clockSession(c, images);
        ASSERT_EQ(session.effect->render(7.0, kFrame), kOfxStatOK);
        const std::vector<std::byte> whole = bytesOf(*images.output);
        // Gone, so that the threads below draw the clock themselves.
        session = PluginSession{};

        FrameImages threaded;
        PluginSession fresh = clockSession(c, threaded);
        const std::vector<OfxRectI> windows = cutIntoWindows(kFrame, 16);
        std::vector<OfxStatus> statuses(windows.size(), kOfxStatErrUnknown);
        std::vector<std::thread> threads;
        for (size_t i = 0; i < windows.size(); ++i) {
            threads.emplace_back([&, i] { statuses[i] = fresh.effect->render(7.0, windows[i]); });
        }
        for (std::thread& t : threads) {
            t.join();
        }
        EXPECT_EQ(std::count(statuses.begin(), statuses.end(), kOfxStatOK), static_cast<long>(windows.size()));
        EXPECT_TRUE(bytesOf(*threaded.output) == whole);
        EXPECT_EQ(fresh.host->images().outstanding(), 0u);
    }
}

const ClockCache& cacheOf(const Effect& effect) {
    return *static_cast<const ClockInstanceData*>(effect.instanceData())->clockCache;
}

TEST(RenderReuse, ASecondsClockIsDrawnOncePerSecondAndReusedToTheBit) {
    for (int style : {0, 1, 2}) {
        SCOPED_TRACE(style);
        const WindowCase c{kOfxImageEffectContextFilter, kOfxBitDepthByte, style, 0};
        FrameImages images;
        PluginSession session = clockSession(c, images);
        for (int frame = 0; frame < 100; ++frame) {
            ASSERT_EQ(session.effect->render(frame, kFrame), kOfxStatOK);
        }
        // 25 frames per second: seconds 0 to 3.
        EXPECT_EQ(cacheOf(*session.effect).drawn(), 4u);
        const std::vector<std::byte> reused = bytesOf(*images.output);
        // Gone, so that the fresh instance draws the clock itself.
        session = PluginSession{};

        FrameImages freshImages;
        PluginSession fresh = clockSession(c, freshImages);
        ASSERT_EQ(fresh.effect->render(99.0, kFrame), kOfxStatOK);
        EXPECT_TRUE(bytesOf(*freshImages.output) == reused);
    }
}

TEST(RenderReuse, AHostThatMakesAnInstanceForEveryFrameStillDrawsTheClockOncePerSecond) {
    // As MLT does for a plug-in that lets it render frames at once: one
    // instance lasts, and every frame is rendered by a new one.
    for (int style : {0, 1, 2}) {
        SCOPED_TRACE(style);
        const WindowCase c{kOfxImageEffectContextFilter, kOfxBitDepthByte, style, 0};
        FrameImages lastingImages;
        PluginSession lasting = clockSession(c, lastingImages);
        uint64_t drawn = 0;
        std::vector<std::byte> lastFrame;
        for (int frame = 0; frame < 50; ++frame) {
            std::unique_ptr<Effect> perFrame = lasting.host->createEffect(c.context);
            FrameImages images;
            setUpClock(*perFrame, c, images);
            ASSERT_EQ(perFrame->render(frame, kFrame), kOfxStatOK);
            drawn += cacheOf(*perFrame).drawn();
            lastFrame = bytesOf(*images.output);
        }
        // 25 frames per second: seconds 0 and 1.
        EXPECT_EQ(drawn, 2u);
        lasting = PluginSession{};

        FrameImages freshImages;
        PluginSession fresh = clockSession(c, freshImages);
        ASSERT_EQ(fresh.effect->render(49.0, kFrame), kOfxStatOK);
        EXPECT_EQ(cacheOf(*fresh.effect).drawn(), 1u);
        EXPECT_TRUE(bytesOf(*freshImages.output) == lastFrame);
    }
}

// The analogue clock an hour (or a minute) later has the same seconds: only
// its hour (minute) hand tells the two apart, and the kept clock must not be
// served for it.
TEST(RenderReuse, AnAnalogueClockAWholeHourOrMinuteLaterIsDrawnAfresh) {
    const WindowCase c{kOfxImageEffectContextGenerator, kOfxBitDepthByte, 0, 0};
    for (const double later : {90000.0, 1500.0}) {
        SCOPED_TRACE(later);
        FrameImages images;
        PluginSession session = clockSession(c, images);
        ASSERT_EQ(session.effect->render(0.0, kFrame), kOfxStatOK);
        const std::vector<std::byte> first = bytesOf(*images.output);
        ASSERT_EQ(session.effect->render(later, kFrame), kOfxStatOK);
        const std::vector<std::byte> jumped = bytesOf(*images.output);
        session = PluginSession{};

        FrameImages freshImages;
        PluginSession fresh = clockSession(c, freshImages);
        ASSERT_EQ(fresh.effect->render(later, kFrame), kOfxStatOK);
        EXPECT_TRUE(bytesOf(*freshImages.output) == jumped);
        EXPECT_FALSE(jumped == first);
    }
}

TEST(RenderReuse, EveryInputThatDecidesTheClockDrawsItAgain) {
    struct Change {
        const char* what;
        void (*apply)(Effect&, FrameImages&);
    };
    const Change changes[] = {
        {"colour", [](Effect& e, FrameImages&) { e.param("Main Colour").setDoubleN({0.0, 1.0, 0.0, 1.0}); }},
        {"size", [](Effect& e, FrameImages&) { e.param("ClockSize").setDouble(0.3); }},
        // Canonical coordinates, as a standard host hands them back.
        {"centre", [](Effect& e, FrameImages&) { e.param("corner1").setDoubleN({800.0, 500.0}); }},
        {"format", [](Effect& e, FrameImages&) { e.param("Dig Clock Format").setInt(4); }},
        {"font", [](Effect& e, FrameImages&) { e.param("FontParam").setString("40 0 0 0 700 34 Arial"); }},
        {"fixed-width digits", [](Effect& e, FrameImages&) { e.param("Fixed-width digits").setInt(1); }},
        {"frame",
         [](Effect& e, FrameImages& images) { images = attachFrame(e, imageSpec({0, 0, 200, 120})); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        const WindowCase c{kOfxImageEffectContextGenerator, kOfxBitDepthByte, 1, 0};
        FrameImages images;
        PluginSession session = clockSession(c, images);
        ASSERT_EQ(session.effect->render(0.0, kFrame), kOfxStatOK);
        ASSERT_EQ(session.effect->render(1.0, kFrame), kOfxStatOK);
        EXPECT_EQ(cacheOf(*session.effect).drawn(), 1u);
        change.apply(*session.effect, images);
        ASSERT_EQ(session.effect->render(2.0, kFrame), kOfxStatOK);
        EXPECT_EQ(cacheOf(*session.effect).drawn(), 2u);
    }
}

TEST(RenderThreads, LargeWindowsAreCompositedOnTheHostsThreadsWithTheSameResult) {
    // Over 12 MB of output at either depth; a 1920x1080 8-bit frame (8 MB)
    // is copied faster by one core than handed out in bands.
    constexpr OfxRectI kLarge{0, 0, 2048, 1600};
    constexpr OfxRectI kHd{0, 0, 1920, 1080};
    for (const char* depth : {kOfxBitDepthByte, kOfxBitDepthFloat}) {
        SCOPED_TRACE(depth);
        {
            HostConfig config;
            config.threaded = true;
            config.cpuCount = 4;
            PluginSession session = loadEffect(kOfxImageEffectContextFilter, pluginBundlePath(), EffectConfig{}, config);
            attachFrame(*session.effect, imageSpec(kHd, depth));
            session.host->calls().clear();
            ASSERT_EQ(session.effect->render(0.0, kHd), kOfxStatOK);
            EXPECT_EQ(session.host->calls().count("multiThread"), depth == kOfxBitDepthFloat ? 1u : 0u);
        }
        std::vector<std::byte> results[2];
        for (unsigned cpus : {1u, 4u}) {
            HostConfig config;
            config.threaded = true;
            config.cpuCount = cpus;
            PluginSession session = loadEffect(kOfxImageEffectContextFilter, pluginBundlePath(), EffectConfig{}, config);
            FrameImages images = attachFrame(*session.effect, imageSpec(kLarge, depth));
            fillPattern(*images.source, 9);
            session.effect->param("ClockChoice").setInt(2);
            session.effect->param("ClockSize").setDouble(0.8);
            session.host->calls().clear();
            ASSERT_EQ(session.effect->render(0.0, kLarge), kOfxStatOK);
            EXPECT_EQ(session.host->calls().count("multiThread"), cpus > 1 ? 1u : 0u);
            results[cpus > 1 ? 1 : 0] = bytesOf(*images.output);
        }
        EXPECT_TRUE(results[0] == results[1]);
    }
}

TEST(RenderThreads, ANewClockDrawnWhileOtherRowsAreCopiedGivesTheOneThreadPixels) {
    // Large enough to be split across threads; off the origin.
    constexpr OfxRectI kLarge{-40, 30, 600, 390};
    // Each step draws a new clock; the last two move it away from where the
    // one before lay, so rows planned as clear of it are not.
    struct Step {
        double time;
        double centreX;
        double centreY;
        double size;
    };
    const Step steps[] = {{0.0, 672.0, 648.0, 0.6}, {25.0, 672.0, 648.0, 0.6}, {50.0, 1500.0, 100.0, 0.6},
                          {75.0, 960.0, 900.0, 1.4}};
    for (const WindowCase& c : windowCases()) {
        SCOPED_TRACE(caseName(c));
        std::vector<std::vector<std::byte>> results[2];
        for (unsigned cpus : {1u, 2u}) {
            HostConfig config;
            config.threaded = true;
            config.cpuCount = cpus;
            FrameImages images;
            PluginSession session = clockSession(c, images, config);
            images = attachFrame(*session.effect, imageSpec(kLarge, c.depth));
            if (images.source) {
                fillPattern(*images.source, 5);
            }
            for (const Step& step : steps) {
                session.effect->param("corner1").setDoubleN({step.centreX, step.centreY});
                session.effect->param("ClockSize").setDouble(step.size);
                ASSERT_EQ(session.effect->render(step.time, kLarge), kOfxStatOK);
                results[cpus - 1].push_back(bytesOf(*images.output));
            }
            EXPECT_EQ(cacheOf(*session.effect).drawn(), std::size(steps));
            // Every frame after the first has a last clock of its size to
            // plan around, so with two CPUs its new clock is drawn beside the
            // copying; a black key takes undrawn pixels, so then nothing is
            // copied before the clock is ready.
            const uint64_t besideCopies = cpus > 1 && c.keying != 2 ? std::size(steps) - 1 : 0;
            EXPECT_EQ(cacheOf(*session.effect).obtainedBesideCopies(), besideCopies);
        }
        for (std::size_t k = 0; k < std::size(steps); ++k) {
            EXPECT_TRUE(results[0][k] == results[1][k]) << "step " << k;
        }
    }
}

// A clock that changes every frame is converted as it is composited; only one
// shown again earns the memory of an 8-bit copy, which then holds the ink as
// an 8-bit output shows it.
TEST(RenderReuse, TheEightBitCopyOfAClockIsMadeOnlyWhenItIsShownAgain) {
    ClockValues values;  // the analogue dial: opaque strokes and anti-aliased edges
    const ShownTime shown{};
    const auto picture = drawClockPicture(clockKey(values, LogFont{}, 96, 64, L"", shown), shown);
    ASSERT_NE(picture, nullptr);
    ASSERT_LT(picture->ink.x1, picture->ink.x2);
    EXPECT_EQ(picture->inkCopy8(), nullptr);
    const OfxRGBAColourB* copy = picture->inkCopy8();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(picture->inkCopy8(), copy);

    const auto columns = static_cast<std::size_t>(picture->ink.x2 - picture->ink.x1);
    const auto rows = static_cast<std::size_t>(picture->ink.y2 - picture->ink.y1);
    std::size_t translucent = 0;
    for (std::size_t row = 0; row < rows; ++row) {
        for (std::size_t column = 0; column < columns; ++column) {
            const unsigned char* bgra = picture->inkPixels() + row * picture->inkRowBytes + column * 4;
            const OfxRGBAColourB& out = copy[row * columns + column];
            const int alpha = bgra[3];
            ASSERT_EQ(out.a, alpha) << row << "," << column;
            const int expected[3] = {bgra[2] * alpha, bgra[1] * alpha, bgra[0] * alpha};
            const int got[3] = {out.r, out.g, out.b};
            for (int k = 0; k < 3; ++k) {
                ASSERT_LE(std::abs(got[k] * 255 - expected[k]), 255) << row << "," << column << " channel " << k;
            }
            translucent += alpha > 0 && alpha < 255 ? 1 : 0;
        }
    }
    EXPECT_GT(translucent, 0u);
}

}  // namespace
}  // namespace horavex::host::testing
