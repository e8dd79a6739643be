// The layout answers: region of definition, regions of interest, identity and
// clip preferences in both contexts.
#include <gtest/gtest.h>

#include "support/HostBuilders.h"

namespace horavex::host::testing {
namespace {

TEST(Layout, FilterOutputCoversTheSourceRegion) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    session.effect->clip("Source").setRegionOfDefinition({0, 0, 1920, 1080});
    for (double time : {0.0, 17.5, 1000.0}) {
        const RegionResult rod = session.effect->getRegionOfDefinition(time);
        EXPECT_EQ(rod.status, kOfxStatOK);
        EXPECT_EQ(rod.outArgs.getDoubles(kOfxImageEffectPropRegionOfDefinition),
                  (std::vector<double>{0, 0, 1920, 1080}));
    }
}

TEST(Layout, FilterNeedsExactlyTheRequestedSourceRegion) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    const ActionResult roi = session.effect->getRegionsOfInterest(3.0, {100, 50, 400, 300});
    EXPECT_EQ(roi.status, kOfxStatOK);
    EXPECT_EQ(roi.outArgs.getDoubles("OfxImageClipPropRoI_Source"), (std::vector<double>{100, 50, 400, 300}));
}

TEST(Layout, GeneratorLeavesRegionsToTheHost) {
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    const RegionResult rod = session.effect->getRegionOfDefinition(0.0);
    EXPECT_EQ(rod.status, kOfxStatReplyDefault);
    EXPECT_TRUE(rod.outArgs.setOrder().empty());
    const ActionResult roi = session.effect->getRegionsOfInterest(0.0, {0, 0, 10, 10});
    EXPECT_EQ(roi.status, kOfxStatReplyDefault);
    EXPECT_TRUE(roi.outArgs.setOrder().empty());
}

TEST(Layout, NeverAnIdentity) {
    for (const char* context : {kOfxImageEffectContextFilter, kOfxImageEffectContextGenerator}) {
        PluginSession session = loadEffect(context);
        session.effect->param("ClockSize").setDouble(0.0);
        EXPECT_EQ(session.effect->isIdentity(RenderArgs{5.0, {0, 0, 100, 100}}).status, kOfxStatReplyDefault);
    }
}

TEST(Layout, GeneratorOutputIsPremultipliedAndFrameVarying) {
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    const ActionResult prefs = session.effect->getClipPreferences();
    EXPECT_EQ(prefs.status, kOfxStatOK);
    EXPECT_EQ(prefs.outArgs.getString(kOfxImageEffectPropPreMultiplication), kOfxImagePreMultiplied);
    EXPECT_EQ(prefs.outArgs.getInt(kOfxImageEffectFrameVarying), 1);
    EXPECT_EQ(prefs.outArgs.getInt(kOfxImageEffectPluginPropFieldRenderTwiceAlways), 0);
    EXPECT_EQ(session.effect->properties().getInt(kOfxImageEffectPropSupportsMultipleClipDepths), 0);
}

TEST(Layout, FilterOutputKeepsTheSourcePremultiplication) {
    for (const char* premult : {kOfxImagePreMultiplied, kOfxImageUnPreMultiplied, kOfxImageOpaque, "SomethingElse"}) {
        PluginSession session = loadEffect(kOfxImageEffectContextFilter);
        session.effect->clip("Source").setPremultiplication(premult);
        const ActionResult prefs = session.effect->getClipPreferences();
        EXPECT_EQ(prefs.status, kOfxStatOK);
        EXPECT_EQ(prefs.outArgs.getString(kOfxImageEffectPropPreMultiplication), premult);
    }
}

}  // namespace
}  // namespace horavex::host::testing
