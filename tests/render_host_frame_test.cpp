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
        // The message says where the remedy lies.
        EXPECT_NE(m.text.find("\"Frame Rate\""), std::string::npos) << m.text;
    }
    EXPECT_EQ(told, 1u);
}

struct ChosenRate {
    const char* name;
    int choice;
    double custom;
    double hostRate;  // NaN: the host gives none
    double oneSecond;  // the frame one second in
};

class FrameRateParameter : public ::testing::TestWithParam<ChosenRate> {};

// A rate named in "Frame Rate" replaces whatever the host gives, or fails to.
TEST_P(FrameRateParameter, ReplacesTheHostsRate) {
    const ChosenRate& c = GetParam();
    const std::vector<std::byte> reference = oneSecond();
    PluginSession s = session(std::isnan(c.hostRate));
    setRate(s->properties(), c.hostRate);
    s->param("Frame Rate").setInt(c.choice);
    s->param("Custom Frame Rate").setDouble(c.custom);
    EXPECT_EQ(digitalFrame(s, c.oneSecond), reference);
    EXPECT_NE(digitalFrame(s, c.oneSecond + 1.0), reference);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, FrameRateParameter,
    ::testing::Values(ChosenRate{"thirtyWithoutHostRate", 5, 25.0, kMissing, 30.0},
                      ChosenRate{"twentyFiveOverHost50", 3, 25.0, 50.0, 25.0},
                      ChosenRate{"sixtyOverHost25", 10, 25.0, 25.0, 60.0},
                      ChosenRate{"custom40", 13, 40.0, 25.0, 40.0},
                      ChosenRate{"customBelowOneIsOne", 13, 0.25, 25.0, 1.0},
                      ChosenRate{"fromHost", 0, 40.0, 50.0, 50.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameRateParameter, TheNtscChoicesAreTheExactRatios) {
    PluginSession s = session(true);
    s->param("Frame Rate").setInt(4);  // 29.97
    s->param("ClockChoice").setInt(1);
    s->param("Dig Clock Format").setInt(0);
    // Frame 30000 lies exactly 1001 s in at 30000/1001, and 1000.999 s in at 29.97.
    const std::vector<std::byte> exact = digitalFrame(s, 30000.0);
    PluginSession custom = session(true);
    custom->param("Frame Rate").setInt(13);
    custom->param("Custom Frame Rate").setDouble(29.97);
    EXPECT_NE(digitalFrame(custom, 30000.0), exact);
    custom->param("Custom Frame Rate").setDouble(30000.0 / 1001.0);
    EXPECT_EQ(digitalFrame(custom, 30000.0), exact);
}

TEST(FrameRateParameter, CustomRateIsEnabledOnlyForCustom) {
    PluginSession s = session(false);
    const PropertySet& custom = s->param("Custom Frame Rate").props();
    EXPECT_EQ(custom.getInt(kOfxParamPropEnabled), 0);
    s->param("Frame Rate").setInt(13);
    EXPECT_EQ(s->paramChanged("Frame Rate"), kOfxStatOK);
    EXPECT_EQ(custom.getInt(kOfxParamPropEnabled), 1);
    s->param("Frame Rate").setInt(5);
    EXPECT_EQ(s->paramChanged("Frame Rate", kOfxChangePluginEdited), kOfxStatOK);
    EXPECT_EQ(custom.getInt(kOfxParamPropEnabled), 0);
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

// "Clock Centre" is a canonical point: the clock sits on it in the output,
// whatever the project, the region, the render scale, the pixels' shape or
// the window. Each case names a point at whole percents of the frame the
// clock is laid out on, so the clock's box centres on it to a pixel or two.
struct PointCase {
    const char* name;
    OfxPointD projectOffset;
    OfxPointD projectSize;   // {0, 0}: the host gives no project
    OfxRectI imageBounds;    // the full frame's images, in pixels
    OfxPointD renderScale;
    double pixelAspectRatio;
    OfxPointD point;         // canonical
    int tiles;               // rendered as this many tiles, each image only its tile
};

OfxRectI clockBoxIn(const ImageBuffer& output, const OfxRectI& bounds) {
    OfxRectI box{bounds.x2, bounds.y2, bounds.x1, bounds.y1};
    for (int y = bounds.y1; y < bounds.y2; ++y) {
        for (int x = bounds.x1; x < bounds.x2; ++x) {
            const Rgba p = readPixel(output, x, y);
            if (std::fabs(p.r - kSourceColour.r) + std::fabs(p.g - kSourceColour.g) +
                    std::fabs(p.b - kSourceColour.b) > 0.05) {
                box = {std::min(box.x1, x), std::min(box.y1, y), std::max(box.x2, x + 1), std::max(box.y2, y + 1)};
            }
        }
    }
    return box;
}

class ClockOnTheHostsPoint : public ::testing::TestWithParam<PointCase> {};

TEST_P(ClockOnTheHostsPoint, CentresTheClockOnThePoint) {
    const PointCase& c = GetParam();
    EffectConfig config;
    config.projectFollowsFrame = false;
    config.pixelAspectRatio = c.pixelAspectRatio;
    config.projectOffset = c.projectOffset;
    config.projectSize = c.projectSize;
    PluginSession s = session(false, config);
    if (c.projectSize.x == 0.0) {
        for (const char* name : {kOfxImageEffectPropProjectSize, kOfxImageEffectPropProjectOffset,
                                 kOfxImageEffectPropProjectExtent}) {
            s->properties().remove(name);
        }
    }
    s->param("ClockChoice").setInt(0);
    s->param("ClockSize").setDouble(0.2);
    s->param("corner1").setDoubleN({c.point.x, c.point.y});
    const OfxRectI& b = c.imageBounds;
    // The output's region is the source's, the full frame at full size.
    const OfxRectD region{b.x1 * c.pixelAspectRatio / c.renderScale.x, b.y1 / c.renderScale.y,
                          b.x2 * c.pixelAspectRatio / c.renderScale.x, b.y2 / c.renderScale.y};
    s->clip("Output").setRegionOfDefinition(region);
    s->clip("Source").setRegionOfDefinition(region);
    ImageSpec whole = imageSpec(b);
    whole.renderScale = c.renderScale;
    whole.pixelAspectRatio = c.pixelAspectRatio;
    ImageBuffer frame(whole);
    const int rows = (b.y2 - b.y1) / c.tiles;
    for (int t = 0; t < c.tiles; ++t) {
        const OfxRectI tile{b.x1, b.y1 + t * rows, b.x2, t + 1 == c.tiles ? b.y2 : b.y1 + (t + 1) * rows};
        ImageSpec tileImage = whole;
        tileImage.bounds = tile;
        FrameImages images = attachFrame(*s, tileImage);
        fillImage(*images.source, kSourceColour);
        RenderArgs args{0.0, tile};
        args.renderScale = c.renderScale;
        ASSERT_EQ(s->render(args), kOfxStatOK);
        for (int y = tile.y1; y < tile.y2; ++y) {
            for (int x = tile.x1; x < tile.x2; ++x) writePixel(frame, x, y, readPixel(*images.output, x, y));
        }
    }
    const OfxRectI box = clockBoxIn(frame, b);
    ASSERT_LT(box.x1, box.x2) << "no clock in the frame";
    // Back to canonical coordinates.
    const double centreX = (box.x1 + box.x2) / 2.0 * c.pixelAspectRatio / c.renderScale.x;
    const double centreY = (box.y1 + box.y2) / 2.0 / c.renderScale.y;
    EXPECT_NEAR(centreX, c.point.x, 2.0 * c.pixelAspectRatio / c.renderScale.x);
    EXPECT_NEAR(centreY, c.point.y, 2.0 / c.renderScale.y);
    // The size is a fraction of the frame it is laid out on (within what the
    // platforms' text engines make of a line's height: GDI+ draws it a tenth
    // lower than Pango).
    const double height = 0.2 * (b.y2 - b.y1);
    EXPECT_NEAR(box.y2 - box.y1, height, std::max(2.5, 0.15 * height));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClockOnTheHostsPoint,
    ::testing::Values(
        // A letterboxed project: offset 0,14 and 192x80 in a 192x108 frame.
        PointCase{"letterbox", {0, 14}, {192, 80}, {0, 0, 192, 108}, {1, 1}, 1.0, {48, 27}, 1},
        PointCase{"letterboxHigh", {0, 14}, {192, 80}, {0, 0, 192, 108}, {1, 1}, 1.0, {96, 81}, 1},
        // A 64x36 source in a 192x108 project, and one larger than it.
        PointCase{"smallSource", {0, 0}, {192, 108}, {0, 0, 64, 36}, {1, 1}, 1.0, {32, 9}, 1},
        PointCase{"largeSource", {0, 0}, {64, 36}, {0, 0, 192, 108}, {1, 1}, 1.0, {144, 81}, 1},
        // A source away from the origin.
        PointCase{"offsetSource", {0, 0}, {192, 108}, {20, 30, 120, 130}, {1, 1}, 1.0, {45, 105}, 1},
        PointCase{"halfScale", {0, 0}, {192, 108}, {0, 0, 96, 54}, {0.5, 0.5}, 1.0, {48, 81}, 1},
        PointCase{"widePixels", {0, 0}, {384, 108}, {0, 0, 192, 108}, {1, 1}, 2.0, {96, 81}, 1},
        PointCase{"wideHalfScale", {0, 0}, {384, 108}, {0, 0, 96, 54}, {0.5, 0.5}, 2.0, {288, 27}, 1},
        // Without a project: the frame is the output's region at full size.
        PointCase{"noProjectHalfScale", {0, 0}, {0, 0}, {0, 0, 96, 54}, {0.5, 0.5}, 1.0, {48, 81}, 1},
        PointCase{"noProjectTiles", {0, 0}, {0, 0}, {0, 0, 192, 108}, {1, 1}, 1.0, {48, 81}, 2},
        PointCase{"tilesAtHalfScale", {0, 0}, {192, 108}, {0, 0, 96, 54}, {0.5, 0.5}, 1.0, {144, 27}, 3}),
    [](const auto& info) { return std::string(info.param.name); });

// A host that hands "corner1"'s normalised default back raw, whatever it is
// called, shows the clock where a standard host does; canonical values set
// later keep their meaning.
TEST(RawNormalisedDefaults, AHostOfAnyNameCentresTheClockAtDefaults) {
    auto frameIn = [](const HostConfig& host, std::optional<std::array<double, 2>> fraction) {
        PluginSession s = loadEffect(kOfxImageEffectContextFilter, pluginBundlePath(), EffectConfig{}, host);
        s->param("ClockSize").setDouble(0.3);
        FrameImages images = attachFrame(*s, imageSpec(kFrame));
        fillImage(*images.source, kSourceColour);
        if (fraction) s->setSpatialFraction("corner1", (*fraction)[0], (*fraction)[1]);
        EXPECT_EQ(s->render(0.0, kFrame), kOfxStatOK);
        return std::make_pair(bytesOf(*images.output), s->param("corner1").numbersAt(0.0));
    };
    const auto standard = frameIn(HostConfig{}, std::nullopt);
    EXPECT_EQ(standard.second, (std::vector<double>{96.0, 54.0}));
    for (const char* name : {"Horavex in-tree host", "An Editor"}) {
        SCOPED_TRACE(name);
        HostConfig raw;
        raw.name = name;
        raw.rawNormalisedDefaults = true;
        const auto atDefault = frameIn(raw, std::nullopt);
        EXPECT_EQ(atDefault.second, (std::vector<double>{0.5, 0.5}));  // handed back raw indeed
        EXPECT_EQ(atDefault.first, standard.first);
        const auto placed = frameIn(raw, std::array<double, 2>{0.25, 0.75});
        EXPECT_EQ(placed.second, (std::vector<double>{48.0, 81.0}));
        EXPECT_EQ(placed.first, frameIn(HostConfig{}, std::array<double, 2>{0.25, 0.75}).first);
    }
}

}  // namespace
}  // namespace horavex::host::testing
