// A host that gets things wrong, one fault per row: missing suites, images
// and pixel data it does not deliver, property and parameter reads it
// refuses, frame rates and render windows no sane host sends, images in a
// format other than the one the plug-in declared, memory that runs out. Each
// row names the status the plug-in must answer with; in every row nothing is
// written outside the output's pixels inside the window (padding bytes and
// the sanitizer's redzones guard the rest), every image goes back to the host
// and nothing is left allocated (the leak checker runs in the sanitizer
// build).
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/Sanitizers.h"
#include "adapter/InstanceData.h"
#include "support/HostBuilders.h"

namespace horavex::host::testing {
namespace {

// What an output the plug-in cannot write into is answered with.
constexpr OfxStatus kUnwritableOutput = kOfxStatErrImageFormat;
// A source that does not match the output counts as a missing source.
constexpr OfxStatus kUnusableSource = kOfxStatFailed;

constexpr OfxRectI kBounds{0, 0, 64, 36};
constexpr std::byte kPaddingByte{0xA5};

// A mend a row waits for: a row that names one is skipped (before its render,
// which could write out of bounds without it). None is outstanding now.
constexpr const char* kFormatGuard = nullptr;

enum class Phase { Describe, Create, Render };

// One render's worth of host state for a row to spoil.
struct Stage {
    Host& host;
    Effect& effect;
    std::shared_ptr<ImageBuffer> output;
    std::shared_ptr<ImageBuffer> source;
    RenderArgs args;
};

struct Row {
    const char* name;
    Phase phase;
    const char* context;
    OfxStatus expected;
    std::function<void(Host&)> beforeDescribe;
    std::function<void(Stage&)> arrange;
    const char* waitsFor = nullptr;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

// Rows padded by 16 bytes, so that a write past a row's end shows.
ImageSpec paddedSpec(const char* depth = kOfxBitDepthByte) {
    return imageSpec(kBounds, depth, 64 * 4 * bytesPerComponent(depth) + 16);
}

std::shared_ptr<ImageBuffer> attach(Clip& clip, const ImageSpec& layout) {
    auto image = clip.attachImage(layout);
    image->fillBytes(std::byte{0x3C});
    fillPadding(*image, kPaddingByte);
    return image;
}

void setFrameRate(Stage& s, double rate) {
    s.effect.properties().setDouble(kOfxImageEffectPropFrameRate, 0, rate);
    // The frame-within-second format divides by it.
    s.effect.param("ClockChoice").setInt(1);
    s.effect.param("Dig Clock Format").setInt(9);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

const Row kRows[] = {
    {"NoImageEffectSuite", Phase::Describe, kOfxImageEffectContextGenerator, kOfxStatErrMissingHostFeature,
     [](Host& h) { h.faults().omitSuite(kOfxImageEffectSuite); }, nullptr},
    {"NoParameterSuite", Phase::Describe, kOfxImageEffectContextGenerator, kOfxStatErrMissingHostFeature,
     [](Host& h) { h.faults().omitSuite(kOfxParameterSuite); }, nullptr},
    {"NoMultiThreadSuite", Phase::Describe, kOfxImageEffectContextGenerator, kOfxStatErrMissingHostFeature,
     [](Host& h) { h.faults().omitSuite(kOfxMultiThreadSuite); }, nullptr},
    {"RefusedInstanceDataProperty", Phase::Create, kOfxImageEffectContextFilter, kOfxStatFailed, nullptr,
     [](Stage& s) { s.host.faults().failPropertySet(kOfxPropInstanceData, kOfxStatErrUnknown); }},
    {"NoOutputImage", Phase::Render, kOfxImageEffectContextGenerator, kOfxStatFailed, nullptr,
     [](Stage& s) { s.effect.clip("Output").refuseImages(); }},
    {"NoSourceImage", Phase::Render, kOfxImageEffectContextFilter, kOfxStatFailed, nullptr,
     [](Stage& s) { s.effect.clip("Source").refuseImages(); }},
    {"OutputWithoutData", Phase::Render, kOfxImageEffectContextFilter, kOfxStatFailed, nullptr,
     [](Stage& s) { s.effect.clip("Output").setNullImageData(true); }},
    {"SourceWithoutData", Phase::Render, kOfxImageEffectContextFilter, kOfxStatFailed, nullptr,
     [](Stage& s) { s.effect.clip("Source").setNullImageData(true); }},
    {"RefusedRenderWindowRead", Phase::Render, kOfxImageEffectContextFilter, kOfxStatOK, nullptr,
     [](Stage& s) { s.host.faults().failPropertyGet(kOfxImageEffectPropRenderWindow, kOfxStatErrUnknown); }},
    {"RefusedPixelAspectRatioRead", Phase::Render, kOfxImageEffectContextFilter, kOfxStatOK, nullptr,
     [](Stage& s) { s.host.faults().failPropertyGet(kOfxImagePropPixelAspectRatio, kOfxStatErrUnknown); }},
    {"RefusedFrameRateRead", Phase::Render, kOfxImageEffectContextGenerator, kOfxStatOK, nullptr,
     [](Stage& s) { s.host.faults().failPropertyGet(kOfxImageEffectPropFrameRate, kOfxStatErrUnknown); }},
    {"RefusedInstanceDataRead", Phase::Render, kOfxImageEffectContextFilter, kOfxStatErrBadHandle, nullptr,
     [](Stage& s) { s.host.faults().failPropertyGet(kOfxPropInstanceData, kOfxStatErrUnknown); }},
    {"FailingNumberParameterRead", Phase::Render, kOfxImageEffectContextFilter, kOfxStatOK, nullptr,
     [](Stage& s) { s.host.faults().failParamRead("ClockSize"); }},
    {"FailingFontParameterRead", Phase::Render, kOfxImageEffectContextGenerator, kOfxStatOK, nullptr,
     [](Stage& s) {
         s.effect.param("ClockChoice").setInt(1);
         s.host.faults().failParamRead("FontParam");
     }},
    {"FailingFreeFormatRead", Phase::Render, kOfxImageEffectContextGenerator, kOfxStatOK, nullptr,
     [](Stage& s) {
         s.effect.param("ClockChoice").setInt(2);
         s.effect.param("Dig Clock Format").setInt(13);
         s.host.faults().failParamRead("Dig Clock Free Format");
     }},
    {"ZeroFrameRate", Phase::Render, kOfxImageEffectContextGenerator, kOfxStatOK, nullptr,
     [](Stage& s) { setFrameRate(s, 0.0); }},
    {"NegativeFrameRate", Phase::Render, kOfxImageEffectContextGenerator, kOfxStatOK, nullptr,
     [](Stage& s) { setFrameRate(s, -25.0); }},
    {"NaNFrameRate", Phase::Render, kOfxImageEffectContextFilter, kOfxStatOK, nullptr,
     [](Stage& s) { setFrameRate(s, kNaN); }},
    {"EmptyWindow", Phase::Render, kOfxImageEffectContextFilter, kOfxStatOK, nullptr,
     [](Stage& s) { s.args.window = {20, 10, 20, 30}; }},
    {"InvertedWindow", Phase::Render, kOfxImageEffectContextGenerator, kOfxStatOK, nullptr,
     [](Stage& s) { s.args.window = {40, 30, 10, 5}; }},
    {"Window32kWide", Phase::Render, kOfxImageEffectContextFilter, kOfxStatOK, nullptr,
     [](Stage& s) { s.args.window = {-16384, -4, 16384, 40}; }},
    {"RowBytesShorterThanARow", Phase::Render, kOfxImageEffectContextGenerator, kUnwritableOutput, nullptr,
     [](Stage& s) {
         // RGBA bytes as the plug-in declared, but one byte a pixel in memory.
         ImageSpec layout = imageSpec(kBounds);
         layout.bytesPerPixel = 1;
         s.output = attach(s.effect.clip("Output"), layout);
     },
     kFormatGuard},
    {"AlphaOnlyOutput", Phase::Render, kOfxImageEffectContextGenerator, kUnwritableOutput, nullptr,
     [](Stage& s) {
         ImageSpec layout = imageSpec(kBounds);
         layout.components = kOfxImageComponentAlpha;
         s.output = attach(s.effect.clip("Output"), layout);
     },
     kFormatGuard},
    {"SourceOfAnotherDepth", Phase::Render, kOfxImageEffectContextFilter, kUnusableSource, nullptr,
     [](Stage& s) {
         // An 8-bit source under a float output: read as float it would be
         // read four times past its rows.
         s.output = attach(s.effect.clip("Output"), paddedSpec(kOfxBitDepthFloat));
         s.source = s.effect.clip("Source").attachImage(imageSpec(kBounds, kOfxBitDepthByte));
         fillPattern(*s.source, 1);
     },
     kFormatGuard},
};

std::vector<std::byte> bytesOf(const ImageBuffer& image) {
    return std::vector<std::byte>(image.memory(), image.memory() + image.memorySize());
}

// Bytes outside the pixels of `window` that changed.
std::size_t changedOutside(const ImageBuffer& image, const std::vector<std::byte>& before, OfxRectI window) {
    const OfxRectI b = image.bounds();
    const OfxRectI in{std::max(b.x1, window.x1), std::max(b.y1, window.y1), std::min(b.x2, window.x2),
                      std::min(b.y2, window.y2)};
    std::vector<bool> writable(before.size(), false);
    for (int y = in.y1; y < in.y2; ++y) {
        for (int x = in.x1; x < in.x2; ++x) {
            const auto offset = static_cast<std::size_t>(image.address(x, y) - image.memory());
            std::fill_n(writable.begin() + static_cast<std::ptrdiff_t>(offset), image.bytesPerPixel(), true);
        }
    }
    std::size_t changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (!writable[i] && image.memory()[i] != before[i]) ++changed;
    }
    return changed;
}

class HostileHost : public ::testing::TestWithParam<Row> {};

TEST_P(HostileHost, AnswersWithItsStatusAndWritesNothingOutside) {
    const Row& row = GetParam();
    PluginLibrary library = PluginLibrary::open(pluginBundlePath());
    Host host;
    if (row.beforeDescribe) row.beforeDescribe(host);
    host.bind(library.plugin(0), library.bundlePath().string());
    host.load();
    const OfxStatus described = host.describe();
    if (row.phase == Phase::Describe) {
        EXPECT_EQ(described, row.expected);
        return;
    }
    ASSERT_EQ(described, kOfxStatOK);
    ASSERT_EQ(host.describeInContext(row.context), kOfxStatOK);
    std::unique_ptr<Effect> effect = host.makeEffect(row.context);

    Stage stage{host, *effect, nullptr, nullptr, RenderArgs{3.0, kBounds}};
    stage.output = attach(effect->clip("Output"), paddedSpec());
    if (Clip* source = effect->findClip("Source")) {
        stage.source = source->attachImage(paddedSpec());
        fillPattern(*stage.source, 2);
    }
    if (row.phase == Phase::Create) {
        row.arrange(stage);
        EXPECT_EQ(effect->create(), row.expected);
        return;
    }
    ASSERT_EQ(effect->create(), kOfxStatOK);
    if (row.waitsFor != nullptr) {
        GTEST_SKIP() << row.waitsFor;
    }
    row.arrange(stage);

    const std::vector<std::byte> before = bytesOf(*stage.output);
    const OfxStatus status = effect->render(stage.args);
    EXPECT_EQ(status, row.expected);
    const OfxRectI written = status == kOfxStatOK ? stage.args.window : OfxRectI{0, 0, 0, 0};
    EXPECT_EQ(changedOutside(*stage.output, before, written), 0u);
    EXPECT_EQ(host.images().outstanding(), 0u);
    EXPECT_EQ(host.images().badReleases(), 0u);
    host.faults().clear();
    if (const auto* record = static_cast<const ClockInstanceData*>(effect->instanceData())) {
        EXPECT_EQ(record->surface, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, HostileHost, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// A host whose abort() throws when the plug-in asks from the host's own
// threads: nothing may cross those threads; the render ends with the status
// of what was thrown and gives its images back. The second frame draws a new
// clock beside the copy of the other rows, the first composites in bands.
TEST(HostileHostThreads, WhatTheHostThrowsOnItsThreadsBecomesTheRendersStatus) {
    HostConfig config;
    config.threaded = true;
    config.cpuCount = 2;
    PluginSession session = loadEffect(kOfxImageEffectContextFilter, pluginBundlePath(), EffectConfig{}, config);
    // Large enough (float, 14 MB) to be composited in bands.
    constexpr OfxRectI kFrame{0, 0, 1280, 720};
    FrameImages images = attachFrame(*session.effect, imageSpec(kFrame, kOfxBitDepthFloat));
    fillPattern(*images.source, 3);
    session.effect->param("ClockChoice").setInt(1);
    session.host->abortControl().throwOnSuiteThreads(true);
    for (double time : {0.0, 1.0}) {
        SCOPED_TRACE(time);
        EXPECT_EQ(session.effect->render(time, kFrame), kOfxStatErrMemory);
        EXPECT_EQ(session.host->images().outstanding(), 0u);
    }
    // The same instance renders again once the host behaves.
    session.host->abortControl().throwOnSuiteThreads(false);
    EXPECT_EQ(session.effect->render(2.0, kFrame), kOfxStatOK);
}

// Memory that runs out while the render allocates its drawing surface: the
// render ends with the memory status and gives its images back. The address
// space is limited in a child process, which a sanitizer's shadow memory
// does not allow.
TEST(HostileHostMemory, ASurfaceThatCannotBeAllocatedIsReportedAsOutOfMemory) {
#if defined(HORAVEX_ASAN) || defined(HORAVEX_TSAN)
    GTEST_SKIP() << "address-space limits do not mix with a sanitizer's shadow memory";
#elif defined(_WIN32)
    GTEST_SKIP() << "limits the address space the Linux way (setrlimit in a forked child)";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    // Fonts, caches, first-use state, on a small frame: the clock drawn for
    // it cannot serve the large frame, whose surface must be allocated anew.
    attachFrame(*session.effect, imageSpec({0, 0, 16, 16}));
    ASSERT_EQ(session.effect->render(0.0, {0, 0, 16, 16}), kOfxStatOK);
    // 64 MB of output; its surface would take as much again.
    constexpr OfxRectI kLarge{0, 0, 4096, 4096};
    attachFrame(*session.effect, imageSpec(kLarge));
    const auto limitedRender = [&] {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t used = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
        const rlimit limit{used + (rlim_t{32} << 20), used + (rlim_t{32} << 20)};
        setrlimit(RLIMIT_AS, &limit);
        const OfxStatus status = session.effect->render(0.0, kLarge);
        std::_Exit(status == kOfxStatErrMemory && session.host->images().outstanding() == 0 ? 0 : 1);
    };
    EXPECT_EXIT(limitedRender(), ::testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
}  // namespace horavex::host::testing
