// The render action end to end through the in-tree host: pass-through and
// transparent black around the clock at every depth, odd windows and row
// bytes, missing images, aborts and the accounting of what a render fetches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "adapter/InstanceData.h"
#include "support/HostBuilders.h"

namespace horavex::host::testing {
namespace {

// A clock style value no option stands for draws nothing, which leaves only
// the compositing around it to look at.
constexpr int kNoStyle = 3;

struct WindowCase {
    const char* name;
    OfxRectI bounds;
    OfxRectI window;
};

const WindowCase kWindows[] = {
    {"equal", {0, 0, 64, 36}, {0, 0, 64, 36}},
    {"smaller", {0, 0, 64, 36}, {10, 5, 40, 30}},
    {"offset", {100, -20, 164, 16}, {100, -20, 164, 16}},
    {"larger", {0, 0, 64, 36}, {-8, -8, 80, 50}},
};

class PassThrough : public ::testing::TestWithParam<std::tuple<const char*, int, bool>> {};

TEST_P(PassThrough, FilterCopiesTheSourceAndGeneratorClearsOutsideTheClock) {
    const auto [depth, windowIndex, negativeRows] = GetParam();
    const WindowCase& c = kWindows[windowIndex];
    for (const char* context : {kOfxImageEffectContextFilter, kOfxImageEffectContextGenerator}) {
        SCOPED_TRACE(std::string(context) + " " + c.name + " " + depth);
        PluginSession session = loadEffect(context);
        session.effect->param("ClockChoice").setInt(kNoStyle);
        FrameImages images = attachFrame(*session.effect, imageSpec(c.bounds, depth, 0, negativeRows));
        if (images.source) {
            fillPattern(*images.source, 7);
        }
        fillImage(*images.output, Rgba{0.5, 0.25, 0.75, 0.5});
        ASSERT_EQ(session.effect->render(0.0, c.window), kOfxStatOK);

        const OfxRectI inside{std::max(c.window.x1, c.bounds.x1), std::max(c.window.y1, c.bounds.y1),
                              std::min(c.window.x2, c.bounds.x2), std::min(c.window.y2, c.bounds.y2)};
        if (images.source) {
            EXPECT_EQ(countDifferences(*images.source, *images.output, inside), 0u);
        } else {
            EXPECT_EQ(countPixelsNot(*images.output, inside, Rgba{0, 0, 0, 0}), 0u);
        }
        // Pixels outside the window keep what the host put there.
        std::size_t changedOutside = 0;
        for (int y = c.bounds.y1; y < c.bounds.y2; ++y) {
            for (int x = c.bounds.x1; x < c.bounds.x2; ++x) {
                const bool inWindow = x >= inside.x1 && x < inside.x2 && y >= inside.y1 && y < inside.y2;
                const Rgba p = readPixel(*images.output, x, y);
                if (!inWindow && (std::abs(p.r - 0.5) > 0.003 || std::abs(p.a - 0.5) > 0.003)) {
                    ++changedOutside;
                }
            }
        }
        EXPECT_EQ(changedOutside, 0u);
        EXPECT_EQ(session.host->images().outstanding(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(DepthsWindowsRows, PassThrough,
                         ::testing::Combine(::testing::Values(kOfxBitDepthByte, kOfxBitDepthShort, kOfxBitDepthFloat),
                                            ::testing::Range(0, 4), ::testing::Bool()));

TEST(RenderFailures, AMissingOutputImageFailsAndReleasesNothing) {
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    session.effect->clip("Output").refuseImages();
    EXPECT_EQ(session.effect->render(0.0, {0, 0, 8, 8}), kOfxStatFailed);
    EXPECT_EQ(session.host->images().handedOut(), 0u);
    EXPECT_EQ(session.host->images().badReleases(), 0u);
}

TEST(RenderFailures, AMissingSourceFailsLeavesTheOutputAndReleasesItOnce) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    FrameImages images = attachFrame(*session.effect, imageSpec({0, 0, 8, 8}));
    fillImage(*images.output, Rgba{1, 0, 0, 1});
    session.effect->clip("Source").refuseImages();
    EXPECT_EQ(session.effect->render(0.0, {0, 0, 8, 8}), kOfxStatFailed);
    EXPECT_EQ(countPixelsNot(*images.output, {0, 0, 8, 8}, Rgba{1, 0, 0, 1}), 0u);
    EXPECT_EQ(session.host->images().handedOut(), 1u);
    EXPECT_EQ(session.host->images().outstanding(), 0u);
    EXPECT_EQ(session.host->images().badReleases(), 0u);
}

TEST(RenderFailures, AMissingImageWhileTheHostAbortsIsNotAFailure) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    attachFrame(*session.effect, imageSpec({0, 0, 8, 8}));
    session.effect->clip("Source").setNullImageData(true);
    session.host->abortControl().set(true);
    EXPECT_EQ(session.effect->render(0.0, {0, 0, 8, 8}), kOfxStatOK);
    // The image without pixels is given back at once, the output at the end.
    EXPECT_EQ(session.host->images().handedOut(), 2u);
    EXPECT_EQ(session.host->images().outstanding(), 0u);
}

TEST(RenderFailures, AnAbortBeforeTheFirstRowLeavesTheOutputUntouched) {
    for (const char* depth : {kOfxBitDepthByte, kOfxBitDepthShort, kOfxBitDepthFloat}) {
        PluginSession session = loadEffect(kOfxImageEffectContextFilter);
        FrameImages images = attachFrame(*session.effect, imageSpec({0, 0, 20, 10}, depth));
        fillPattern(*images.source, 3);
        fillImage(*images.output, Rgba{0, 1, 0, 1});
        session.host->abortControl().set(true);
        EXPECT_EQ(session.effect->render(0.0, {0, 0, 20, 10}), kOfxStatOK);
        EXPECT_EQ(countPixelsNot(*images.output, {0, 0, 20, 10}, Rgba{0, 1, 0, 1}), 0u) << depth;
    }
}

TEST(RenderFailures, AnAbortDuringCompositingStopsWithinThirtyTwoRows) {
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    session.effect->param("ClockChoice").setInt(kNoStyle);
    FrameImages images = attachFrame(*session.effect, imageSpec({0, 0, 16, 100}));
    fillImage(*images.output, Rgba{0, 1, 0, 1});
    // Asked before compositing, then before rows 31 and 63, which it stops at.
    session.host->abortControl().abortAfter(2);
    EXPECT_EQ(session.effect->render(0.0, {0, 0, 16, 100}), kOfxStatOK);
    EXPECT_EQ(countPixelsNot(*images.output, {0, 0, 16, 63}, Rgba{0, 0, 0, 0}), 0u);
    EXPECT_EQ(countPixelsNot(*images.output, {0, 63, 16, 100}, Rgba{0, 1, 0, 1}), 0u);
    EXPECT_EQ(session.host->abortControl().calls(), 3u);
}

TEST(RenderHostCalls, AHdFrameAsksTheHostLittle) {
    // Compositing is split into bands of rows (one per CPU the host offers,
    // or chunks taken while a new clock is drawn); each asks about an abort
    // once every 32 of its rows, so a part of up to 31 rows at the end of
    // each asks nothing.
    for (unsigned cpus : {1u, 2u}) {
        HostConfig config;
        config.cpuCount = cpus;
        PluginSession session =
            loadEffect(kOfxImageEffectContextFilter, pluginBundlePath(), EffectConfig{}, config);
        attachFrame(*session.effect, imageSpec({0, 0, 1920, 1080}));
        for (int style : {0, 1, 2}) {
            SCOPED_TRACE(::testing::Message() << "style " << style << ", CPUs " << cpus);
            session.effect->param("ClockChoice").setInt(style);
            ASSERT_EQ(session.effect->render(0.0, {0, 0, 1920, 1080}), kOfxStatOK);
            session.host->calls().clear();
            ASSERT_EQ(session.effect->render(1.0, {0, 0, 1920, 1080}), kOfxStatOK);
            const std::size_t questions = session.host->calls().count("abort");
            EXPECT_LE(questions, 1u + 1080u / 32u);
            EXPECT_GE(questions, 1u + 1080u / 32u - 3u);
            EXPECT_LT(session.host->calls().records().size(), 120u);
        }
    }
}

TEST(RenderFailures, AnUnknownDepthLeavesTheOutputUntouched) {
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    ImageSpec layout = imageSpec({0, 0, 8, 8}, kOfxBitDepthHalf);
    FrameImages images = attachFrame(*session.effect, layout);
    images.output->fillBytes(std::byte{0x5A});
    EXPECT_EQ(session.effect->render(0.0, {0, 0, 8, 8}), kOfxStatErrImageFormat);
    for (std::size_t i = 0; i < images.output->memorySize(); ++i) {
        ASSERT_EQ(images.output->memory()[i], std::byte{0x5A});
    }
}

// A host may ignore the declared layout (RGBA, one depth for all images).
// Each row: the output and source a host hands over, and the status the
// render must end with; the output keeps every byte when the render fails.
struct LayoutCase {
    const char* name;
    ImageSpec output;
    std::optional<ImageSpec> source;  // filter context when set
    OfxStatus status;
};

ImageSpec withComponents(ImageSpec layout, const char* components, int bytesPerPixel = 0) {
    layout.components = components;
    layout.bytesPerPixel = bytesPerPixel;
    return layout;
}

TEST(RenderFailures, ImagesOfAnotherLayoutAreNeverWrittenOrReadAsRgba) {
    const OfxRectI bounds{0, 0, 16, 4};
    const ImageSpec rgba8 = imageSpec(bounds);
    const LayoutCase cases[] = {
        {"alpha-only output", withComponents(rgba8, kOfxImageComponentAlpha), std::nullopt, kOfxStatErrImageFormat},
        {"RGB output", withComponents(rgba8, kOfxImageComponentRGB), std::nullopt, kOfxStatErrImageFormat},
        {"rows shorter than a row", withComponents(rgba8, kOfxImageComponentRGBA, 2), std::nullopt,
         kOfxStatErrImageFormat},
        {"rows shorter, running down", withComponents(imageSpec(bounds, kOfxBitDepthFloat, 0, true),
                                                      kOfxImageComponentRGBA, 8),
         std::nullopt, kOfxStatErrImageFormat},
        {"alpha-only output over a source", withComponents(rgba8, kOfxImageComponentAlpha), rgba8,
         kOfxStatErrImageFormat},
        {"8-bit source under a float output", imageSpec(bounds, kOfxBitDepthFloat), rgba8, kOfxStatFailed},
        {"float source under an 8-bit output", rgba8, imageSpec(bounds, kOfxBitDepthFloat), kOfxStatFailed},
        {"alpha-only source", rgba8, withComponents(rgba8, kOfxImageComponentAlpha), kOfxStatFailed},
        {"source rows shorter than a row", rgba8, withComponents(rgba8, kOfxImageComponentRGBA, 2),
         kOfxStatFailed},
        {"RGBA at one depth", rgba8, rgba8, kOfxStatOK},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        PluginSession session =
            loadEffect(c.source ? kOfxImageEffectContextFilter : kOfxImageEffectContextGenerator);
        session.effect->param("ClockChoice").setInt(2);
        const auto output = session.effect->clip("Output").attachImage(c.output);
        if (c.source) {
            session.effect->clip("Source").attachImage(*c.source)->fillBytes(std::byte{0x33});
        }
        output->fillBytes(std::byte{0x5A});
        EXPECT_EQ(session.effect->render(0.0, bounds), c.status);
        std::size_t changed = 0;
        for (std::size_t i = 0; i < output->memorySize(); ++i) {
            changed += output->memory()[i] != std::byte{0x5A} ? 1 : 0;
        }
        EXPECT_EQ(changed == 0, c.status != kOfxStatOK);
        EXPECT_EQ(session.host->images().outstanding(), 0u);
        EXPECT_EQ(session.host->images().badReleases(), 0u);
    }
}

TEST(RenderResources, EveryRenderGivesBackItsImagesAndFreesItsSurface) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    attachFrame(*session.effect, imageSpec({0, 0, 48, 27}));
    for (int style : {0, 1, 2}) {
        session.effect->param("ClockChoice").setInt(style);
        ASSERT_EQ(session.effect->render(style, {0, 0, 48, 27}), kOfxStatOK);
    }
    EXPECT_EQ(session.host->images().handedOut(), 6u);
    EXPECT_EQ(session.host->images().outstanding(), 0u);
    EXPECT_EQ(session.host->images().badReleases(), 0u);
    EXPECT_EQ(static_cast<const ClockInstanceData*>(session.effect->instanceData())->surface, nullptr);
}

// The clock is laid out on the frame (here the image), whatever the window:
// a window of the whole integer range gives the image what a window equal to
// it gives.
TEST(RenderResources, AWindowOfTheWholeIntegerRangeDrawsOnlyWhatLiesInTheImage) {
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    FrameImages images = attachFrame(*session.effect, imageSpec({0, 0, 4, 4}));
    ASSERT_EQ(session.effect->render(0.0, {0, 0, 4, 4}), kOfxStatOK);
    const std::vector<std::byte> exact(images.output->memory(), images.output->memory() + images.output->memorySize());
    fillImage(*images.output, Rgba{0, 0, 1, 1});
    const OfxRectI huge{std::numeric_limits<int>::min(), std::numeric_limits<int>::min(),
                        std::numeric_limits<int>::max(), std::numeric_limits<int>::max()};
    EXPECT_EQ(session.effect->render(0.0, huge), kOfxStatOK);
    EXPECT_EQ(session.host->images().outstanding(), 0u);
    EXPECT_TRUE(std::equal(exact.begin(), exact.end(), images.output->memory()));
}

TEST(RenderResources, AFrameTooLargeToDrawInReportsOutOfMemory) {
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    FrameImages images = attachFrame(*session.effect, imageSpec({0, 0, 4, 4}));
    fillImage(*images.output, Rgba{0, 0, 1, 1});
    session.effect->clip("Output").setRegionOfDefinition({0.0, 0.0, 2.0e9, 2.0e9});
    EXPECT_EQ(session.effect->render(0.0, {0, 0, 4, 4}), kOfxStatErrMemory);
    EXPECT_EQ(session.host->images().outstanding(), 0u);
    EXPECT_EQ(countPixelsNot(*images.output, {0, 0, 4, 4}, Rgba{0, 0, 1, 1}), 0u);
}

TEST(RenderResources, AHugeWindowOverASmallFrameWritesOnlyTheImage) {
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    session.effect->param("ClockChoice").setInt(kNoStyle);
    FrameImages images = attachFrame(*session.effect, imageSpec({0, 0, 4, 4}));
    fillImage(*images.output, Rgba{0, 0, 1, 1});
    const OfxRectI huge{std::numeric_limits<int>::min(), std::numeric_limits<int>::min(),
                        std::numeric_limits<int>::max(), std::numeric_limits<int>::max()};
    EXPECT_EQ(session.effect->render(0.0, huge), kOfxStatOK);
    EXPECT_EQ(session.host->images().outstanding(), 0u);
    EXPECT_EQ(countPixelsNot(*images.output, {0, 0, 4, 4}, Rgba{0, 0, 0, 0}), 0u);
}

// A window two billion rows tall over a 64x36 image costs a surface of the
// frame and draws the image what a window equal to it would.
TEST(RenderResources, AWindowFarLargerThanTheImageIsDrawnWhereItMeetsTheImage) {
    const OfxRectI bounds{0, 0, 64, 36};
    const OfxRectI tall{0, -(1 << 30), 64, 1 << 30};
    for (int style : {0, 1, 2}) {
        SCOPED_TRACE(style);
        PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
        session.effect->param("ClockChoice").setInt(style);
        FrameImages images = attachFrame(*session.effect, imageSpec(bounds));
        ASSERT_EQ(session.effect->render(0.0, bounds), kOfxStatOK);
        const std::vector<std::byte> exact(images.output->memory(),
                                           images.output->memory() + images.output->memorySize());
        fillImage(*images.output, Rgba{0, 0, 1, 1});
        ASSERT_EQ(session.effect->render(0.0, tall), kOfxStatOK);
        EXPECT_TRUE(std::equal(exact.begin(), exact.end(), images.output->memory()));
    }

    // An image that holds only part of the frame gets that part of the same
    // picture, whatever window reaches past it.
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    session.effect->param("ClockChoice").setInt(0);
    FrameImages whole = attachFrame(*session.effect, imageSpec({-40, -30, 104, 66}));
    ASSERT_EQ(session.effect->render(0.0, {-40, -30, 104, 66}), kOfxStatOK);
    FrameImages part = attachFrame(*session.effect, imageSpec(bounds));
    session.effect->clip("Output").setRegionOfDefinition({-40.0, -30.0, 104.0, 66.0});
    ASSERT_EQ(session.effect->render(0.0, {-40, -30, 104, 66}), kOfxStatOK);
    EXPECT_EQ(countDifferences(*whole.output, *part.output, bounds), 0u);
}

TEST(RenderResources, AnEmptyWindowRendersNothingAndSucceeds) {
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    FrameImages images = attachFrame(*session.effect, imageSpec({0, 0, 4, 4}));
    fillImage(*images.output, Rgba{0, 0, 1, 1});
    EXPECT_EQ(session.effect->render(0.0, {2, 2, 2, 4}), kOfxStatOK);
    EXPECT_EQ(session.effect->render(0.0, {3, 3, 1, 1}), kOfxStatOK);
    EXPECT_EQ(countPixelsNot(*images.output, {0, 0, 4, 4}, Rgba{0, 0, 1, 1}), 0u);
}

TEST(RenderFields, AFieldRendersLikeAFullFrame) {
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    FrameImages images = attachFrame(*session.effect, imageSpec({0, 0, 64, 36}));
    ASSERT_EQ(session.effect->render(RenderArgs{4.0, {0, 0, 64, 36}}), kOfxStatOK);
    std::vector<std::byte> full(images.output->memory(), images.output->memory() + images.output->memorySize());
    RenderArgs lower{4.0, {0, 0, 64, 36}};
    lower.field = kOfxImageFieldLower;
    fillImage(*images.output, Rgba{1, 1, 1, 1});
    ASSERT_EQ(session.effect->render(lower), kOfxStatOK);
    EXPECT_TRUE(std::equal(full.begin(), full.end(), images.output->memory()));
}

}  // namespace
}  // namespace horavex::host::testing

namespace horavex::host::testing {
namespace {

// Images go back in the reverse order of use: the source before the output.
TEST(RenderImages, SourceIsReleasedBeforeTheOutput) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    attachFrame(*session.effect, imageSpec({0, 0, 32, 18}));
    session.host->calls().clear();
    ASSERT_EQ(session.effect->render(0.0, {0, 0, 32, 18}), kOfxStatOK);
    EXPECT_EQ(session.host->calls().arguments("clipReleaseImage"), (std::vector<std::string>{"Source", "Output"}));
}

}  // namespace
}  // namespace horavex::host::testing
