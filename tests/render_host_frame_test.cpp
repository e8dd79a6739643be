// What a render takes from the host besides images, through the in-tree host
// as a standard host and as MLT's module: the frame rate the clock runs at
// (effect, output clip, source clip, else 25 fps with one log message) and
// where "Clock Centre" lands, which must be the same pixels in both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "support/HostBuilders.h"

namespace horavex::host::testing {
namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
constexpr OfxRectI kFrame{0, 0, 192, 108};
const Rgba kSourceColour{0.125, 0.25, 0.5, 1.0};

std::vector<std::byte> bytesOf(const ImageBuffer& image) {
    return {image.memory(), image.memory() + image.memorySize()};
}

PluginSession session(bool mlt, EffectConfig config = {}, std::string_view context = kOfxImageEffectContextFilter) {
    return loadEffect(context, pluginBundlePath(), config, mlt ? mltHostConfig() : HostConfig{});
}

// A property given as NaN here is taken away; any other value is set.
void setRate(PropertySet& props, double rate) {
    if (std::isnan(rate)) {
        props.remove(kOfxImageEffectPropFrameRate);
    } else {
        props.defineDouble(kOfxImageEffectPropFrameRate, {rate});
    }
}

// The digital clock ("hh:mm:ss.mmm") of one frame: equal pictures mean equal
// shown times.
std::vector<std::byte> digitalFrame(PluginSession& s, double time) {
    s->param("ClockChoice").setInt(1);
    FrameImages images = attachFrame(*s, imageSpec(kFrame));
    if (images.source) fillImage(*images.source, kSourceColour);
    EXPECT_EQ(s->render(time, kFrame), kOfxStatOK);
    return bytesOf(*images.output);
}

// One second into the clock, as a standard host at 25 fps shows it.
std::vector<std::byte> oneSecond() {
    PluginSession reference = session(false);
    return digitalFrame(reference, 25.0);
}

struct RateCase {
    const char* name;
    double effect;
    double output;
    double source;
    double expected;
};

class FrameRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(FrameRate, ClockRunsAtTheFirstUsableRate) {
    const RateCase& c = GetParam();
    // One host at a time: the plug-in keeps the host of its last setHost.
    const std::vector<std::byte> reference = oneSecond();
    PluginSession s = session(false);
    setRate(s->properties(), c.effect);
    setRate(s->clip("Output").props(), c.output);
    setRate(s->clip("Source").props(), c.source);
    EXPECT_EQ(digitalFrame(s, c.expected), reference);
    EXPECT_NE(digitalFrame(s, c.expected), digitalFrame(s, 0.0));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, FrameRate,
    ::testing::Values(RateCase{"effect", 50.0, 30.0, 20.0, 50.0}, RateCase{"output", kMissing, 40.0, 20.0, 40.0},
                      RateCase{"zeroEffect", 0.0, 30.0, 20.0, 30.0}, RateCase{"source", -5.0, kMissing, 20.0, 20.0},
                      RateCase{"none", kMissing, kMissing, kMissing, 25.0},
                      RateCase{"broken", std::numeric_limits<double>::infinity(), 0.0, -1.0, 25.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameRateFallback, GeneratorWithoutRatesRunsAt25AndSaysSoOnceInTheLog) {
    PluginSession s = session(true, {}, kOfxImageEffectContextGenerator);
    const std::vector<std::byte> first = digitalFrame(s, 25.0);
    const std::vector<std::byte> second = digitalFrame(s, 50.0);
    EXPECT_NE(first, second);
    std::size_t told = 0;
    for (const Message& m : s.host->messages().messages()) {
        EXPECT_EQ(m.type, kOfxMessageLog) << "a render must never ask for a dialog";
        told += m.text.find("25 frames per second") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(told, 1u);
}

TEST(FrameRateFallback, MltRunsTheClockLikeAStandardHostAt25) {
    // One host at a time: the plug-in keeps the host of its last setHost.
    const std::vector<std::byte> reference = oneSecond();
    PluginSession mlt = session(true);
    EXPECT_EQ(digitalFrame(mlt, 25.0), reference);
    EXPECT_NE(digitalFrame(mlt, 25.0), digitalFrame(mlt, 0.0));
}

TEST(HostProfiles, MltKeepsAPluginThatAnswersLoadWithSuccess) {
    PluginSession s = session(true);
    EXPECT_EQ(s.host->load(), kOfxStatOK);
    EXPECT_EQ(s.host->unload(), kOfxStatOK);
}

// Pixels that differ from the source: where the clock is, as a box in OFX
// pixel coordinates (y up).
OfxRectI clockBox(const ImageBuffer& output) {
    OfxRectI box{kFrame.x2, kFrame.y2, kFrame.x1, kFrame.y1};
    const OfxRectI b = output.format().bounds;
    for (int y = b.y1; y < b.y2; ++y) {
        for (int x = b.x1; x < b.x2; ++x) {
            const Rgba p = readPixel(output, x, y);
            if (std::fabs(p.r - kSourceColour.r) + std::fabs(p.g - kSourceColour.g) +
                    std::fabs(p.b - kSourceColour.b) > 0.05) {
                box = {std::min(box.x1, x), std::min(box.y1, y), std::max(box.x2, x + 1), std::max(box.y2, y + 1)};
            }
        }
    }
    return box;
}

struct CentreCase {
    const char* name;
    int style;
    std::optional<std::array<double, 2>> centre;  // none: the default
    double pixelAspectRatio;
    double expectX;  // fraction of the width, from the left
    double expectY;  // fraction of the height, from the bottom
};

class ClockCentre : public ::testing::TestWithParam<CentreCase> {
protected:
    // The output of one frame in either profile, with the project the way each
    // host describes it.
    std::vector<std::byte> render(bool mlt, OfxRectI* box) {
        const CentreCase& c = GetParam();
        EffectConfig config;
        config.pixelAspectRatio = c.pixelAspectRatio;
        config.projectSize = {kFrame.x2 * c.pixelAspectRatio, static_cast<double>(kFrame.y2)};
        PluginSession s = session(mlt, config);
        s->param("ClockChoice").setInt(c.style);
        s->param("ClockSize").setDouble(0.3);
        if (c.centre) s->setSpatialFraction("corner1", (*c.centre)[0], (*c.centre)[1]);
        ImageSpec layout = imageSpec(kFrame);
        layout.pixelAspectRatio = c.pixelAspectRatio;
        FrameImages images = attachFrame(*s, layout);
        fillImage(*images.source, kSourceColour);
        EXPECT_EQ(s->render(0.0, kFrame), kOfxStatOK);
        *box = clockBox(*images.output);
        return bytesOf(*images.output);
    }
};

TEST_P(ClockCentre, LandsOnTheSamePixelsInAStandardHostAndInMlt) {
    const CentreCase& c = GetParam();
    OfxRectI standardBox{}, mltBox{};
    const std::vector<std::byte> standard = render(false, &standardBox);
    const std::vector<std::byte> mlt = render(true, &mltBox);
    EXPECT_EQ(standard, mlt);
    ASSERT_LT(standardBox.x1, standardBox.x2);
    const double centreX = (standardBox.x1 + standardBox.x2) / 2.0;
    const double centreY = (standardBox.y1 + standardBox.y2) / 2.0;
    EXPECT_NEAR(centreX, c.expectX * kFrame.x2, 0.03 * kFrame.x2);
    EXPECT_NEAR(centreY, c.expectY * kFrame.y2, 0.03 * kFrame.y2);
    if (c.style == 0) {
        // The dial is round on screen: wide pixels make it narrower in pixels.
        const double width = standardBox.x2 - standardBox.x1;
        const double height = standardBox.y2 - standardBox.y1;
        EXPECT_NEAR(width * c.pixelAspectRatio, height, 3.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClockCentre,
    ::testing::Values(CentreCase{"analogueDefault", 0, std::nullopt, 1.0, 0.5, 0.5},
                      CentreCase{"analogueUpperLeft", 0, std::array<double, 2>{0.25, 0.75}, 1.0, 0.25, 0.75},
                      CentreCase{"digitalUpperLeft", 1, std::array<double, 2>{0.25, 0.75}, 1.0, 0.25, 0.75},
                      CentreCase{"ledUpperLeft", 2, std::array<double, 2>{0.25, 0.75}, 1.0, 0.25, 0.75},
                      CentreCase{"analogueWidePixels", 0, std::nullopt, 2.0, 0.5, 0.5},
                      CentreCase{"analogueWideUpperLeft", 0, std::array<double, 2>{0.25, 0.75}, 2.0, 0.25, 0.75}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horavex::host::testing
