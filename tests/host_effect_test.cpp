// Driving a loaded plug-in end to end through Host and Effect, with the
// small test plug-in built beside the host: description, instances, the
// argument sets of each action, renders into images of every depth and
// layout, abort, image faults and suite faults.
#include "host/Host.h"
#include "support/HostBuilders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace horavex::host {
namespace {

using testing::Rgba;

std::filesystem::path fakeBundle() { return std::filesystem::path(HORAVEX_HOST_TEST_MODULE_DIR) / "FakeEffect.ofx.bundle"; }

std::vector<std::string> actionNames(const Host& host) {
    std::vector<std::string> names;
    for (const ActionRecord& a : host.actions()) names.push_back(a.action);
    return names;
}

TEST(EffectDriving, LoadAndDescribeFillTheDescriptor) {
    testing::PluginSession s = testing::loadPlugin(fakeBundle());
    EXPECT_EQ(actionNames(*s.host), (std::vector<std::string>{kOfxActionLoad, kOfxActionDescribe}));
    const PropertySet& d = s.host->descriptor().props();
    EXPECT_EQ(d.getString(kOfxPropLabel), "Fake effect");
    EXPECT_EQ(d.getStrings(kOfxImageEffectPropSupportedContexts),
              (std::vector<std::string>{kOfxImageEffectContextGenerator, kOfxImageEffectContextFilter}));
    EXPECT_EQ(d.getString(kOfxPluginPropFilePath), fakeBundle().string());
    EXPECT_EQ(d.setOrder(), (std::vector<std::string>{kOfxPropLabel, kOfxImageEffectPropSupportedContexts,
                                                      kOfxImageEffectPropSupportedPixelDepths}));
    EXPECT_EQ(s.host->calls().count("fetchSuite"), 5u);
    EXPECT_EQ(s.host->calls().indexOf("fetchSuite", kOfxPropertySuite), 0u);
}

TEST(EffectDriving, EachContextDeclaresItsClipsAndTheSameParameters) {
    testing::PluginSession s = testing::loadPlugin(fakeBundle());
    EXPECT_EQ(s.host->describeInContext(kOfxImageEffectContextGenerator), kOfxStatOK);
    EXPECT_EQ(s.host->describeInContext(kOfxImageEffectContextFilter), kOfxStatOK);
    ImageEffect* generator = s.host->descriptor(kOfxImageEffectContextGenerator);
    ImageEffect* filter = s.host->descriptor(kOfxImageEffectContextFilter);
    ASSERT_NE(generator, nullptr);
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(generator->clipNames(), (std::vector<std::string>{"Output"}));
    EXPECT_EQ(filter->clipNames(), (std::vector<std::string>{"Output", "Source"}));
    EXPECT_EQ(filter->clip("Source").props().getStrings(kOfxImageEffectPropSupportedComponents),
              (std::vector<std::string>{kOfxImageComponentRGBA}));
    EXPECT_EQ(filter->params().names(), (std::vector<std::string>{"Colour", "Gain", "Button"}));
    EXPECT_EQ(generator->params().names(), filter->params().names());
    EXPECT_EQ(filter->params().get("Colour").type(), kOfxParamTypeRGBA);
    EXPECT_EQ(filter->params().get("Colour").props().getDoubles(kOfxParamPropDefault),
              (std::vector<double>{1.0, 0.0, 0.0, 1.0}));
    EXPECT_EQ(filter->params().get("Button").props().getString(kOfxPropLabel), "Press");
    EXPECT_EQ(s.host->descriptor(kOfxImageEffectContextGeneral), nullptr);
}

TEST(EffectDriving, AnInstanceStartsFromItsContextDescriptor) {
    testing::PluginSession s = testing::loadEffect(kOfxImageEffectContextFilter, fakeBundle());
    Effect& e = *s;
    const PropertySet& p = e.properties();
    EXPECT_EQ(p.getString(kOfxPropType), kOfxTypeImageEffectInstance);
    EXPECT_EQ(p.getString(kOfxImageEffectPropContext), kOfxImageEffectContextFilter);
    EXPECT_EQ(p.getDouble(kOfxImageEffectPropFrameRate), 25.0);
    EXPECT_EQ(p.getDouble("OfxImageEffectPropPixelAspectRatio"), 1.0);
    EXPECT_NE(e.instanceData(), nullptr);
    EXPECT_EQ(e.param("Colour").doubleValues(), (std::vector<double>{1.0, 0.0, 0.0, 1.0}));
    EXPECT_EQ(e.param("Gain").doubleValue(), 1.0);
    EXPECT_EQ(e.clip("Source").props().getString(kOfxImageEffectPropPixelDepth), kOfxBitDepthByte);
    EXPECT_EQ(s.host->calls().count("clipGetHandle"), 2u);
    EXPECT_EQ(s.host->actions().back().action, kOfxActionCreateInstance);
    EXPECT_EQ(s.host->actions().back().handle, e.handle());
}

TEST(EffectDriving, DestroyingTheEffectDestroysTheInstance) {
    testing::PluginSession s = testing::loadEffect(kOfxImageEffectContextGenerator, fakeBundle());
    EXPECT_EQ(s.host->memory().outstandingBlocks(), 1u);  // the plug-in's instance record
    s.effect.reset();
    EXPECT_EQ(s.host->actions().back().action, kOfxActionDestroyInstance);
    EXPECT_EQ(s.host->memory().outstandingBlocks(), 0u);
    std::unique_ptr<Effect> second = s.host->createEffect(kOfxImageEffectContextGenerator);
    EXPECT_EQ(second->destroy(), kOfxStatOK);
    EXPECT_EQ(second->destroy(), kOfxStatFailed);
    second.reset();
    const std::vector<std::string> names = actionNames(*s.host);
    EXPECT_EQ(std::count(names.begin(), names.end(), kOfxActionDestroyInstance), 2);
}

TEST(EffectDriving, TwoInstancesKeepSeparateRecordsAndValues) {
    testing::PluginSession s = testing::loadEffect(kOfxImageEffectContextGenerator, fakeBundle());
    std::unique_ptr<Effect> other = s.host->createEffect(kOfxImageEffectContextGenerator);
    EXPECT_NE(other->instanceData(), s->instanceData());
    other->param("Gain").setDouble(3.0);
    EXPECT_EQ(s->param("Gain").doubleValue(), 1.0);
}

TEST(EffectRendering, AGeneratorFillsOnlyTheRenderWindow) {
    testing::PluginSession s = testing::loadGenerator(fakeBundle());
    testing::FrameImages images = testing::attachFrame(*s, testing::imageSpec({0, 0, 64, 48}));
    testing::fillImage(*images.output, Rgba{0.0, 0.0, 1.0, 0.0});
    s->param("Colour").setDoubleN({0.0, 1.0, 0.0, 1.0});
    const OfxRectI window{8, 4, 40, 30};
    EXPECT_EQ(s->render(0.0, window), kOfxStatOK);
    EXPECT_EQ(testing::countPixelsNot(*images.output, window, Rgba{0.0, 1.0, 0.0, 1.0}), 0u);
    // Only the window's pixels changed.
    EXPECT_EQ(testing::countPixelsNot(*images.output, {0, 0, 64, 48}, Rgba{0.0, 0.0, 1.0, 0.0}), 32u * 26u);
    EXPECT_EQ(s.host->images().handedOut(), 1u);
    EXPECT_EQ(s.host->images().outstanding(), 0u);
    EXPECT_EQ(s->clip("Output").requests().at(0).time, 0.0);
}

TEST(EffectRendering, AFilterReadsAndWritesPaddedBottomUpImagesAwayFromTheOrigin) {
    for (const char* depth : {kOfxBitDepthByte, kOfxBitDepthShort, kOfxBitDepthFloat}) {
        SCOPED_TRACE(depth);
        testing::PluginSession s = testing::loadFilter(fakeBundle());
        const OfxRectI bounds{-20, 10, 44, 42};
        const int pitch = 64 * 4 * bytesPerComponent(depth) + 24;
        testing::FrameImages images = testing::attachFrame(*s, testing::imageSpec(bounds, depth, pitch, true));
        testing::fillPattern(*images.source, 3);
        testing::fillPadding(*images.output, std::byte{0xEE});
        EXPECT_EQ(s->render(7.0, bounds), kOfxStatOK);
        EXPECT_EQ(testing::countDifferences(*images.source, *images.output, bounds), 0u);
        EXPECT_TRUE(testing::paddingHolds(*images.output, std::byte{0xEE}));
        EXPECT_EQ(s.host->images().outstanding(), 0u);
        EXPECT_EQ(s.host->images().handedOut(), 2u);
    }
}

TEST(EffectRendering, AnimatedParametersAreReadAtTheRenderTime) {
    testing::PluginSession s = testing::loadGenerator(fakeBundle());
    testing::FrameImages images = testing::attachFrame(*s, testing::imageSpec({0, 0, 4, 4}, kOfxBitDepthFloat));
    s->param("Colour").addKey(0.0, {0.0, 0.0, 0.0, 1.0});
    s->param("Colour").addKey(10.0, {1.0, 0.5, 0.0, 1.0});
    EXPECT_EQ(s->render(4.0, {0, 0, 4, 4}), kOfxStatOK);
    const Rgba p = testing::readPixel(*images.output, 2, 2);
    EXPECT_FLOAT_EQ(static_cast<float>(p.r), 0.4f);
    EXPECT_FLOAT_EQ(static_cast<float>(p.g), 0.2f);
}

TEST(EffectRendering, AnAbortStopsTheRenderPartWay) {
    testing::PluginSession s = testing::loadGenerator(fakeBundle());
    testing::FrameImages images = testing::attachFrame(*s, testing::imageSpec({0, 0, 8, 10}));
    s.host->abortControl().abortAfter(3);
    EXPECT_EQ(s->render(0.0, {0, 0, 8, 10}), kOfxStatOK);
    EXPECT_EQ(testing::countPixelsNot(*images.output, {0, 0, 8, 3}, Rgba{1.0, 0.0, 0.0, 1.0}), 0u);
    EXPECT_EQ(testing::countPixelsNot(*images.output, {0, 3, 8, 10}, Rgba{}), 0u);
    EXPECT_EQ(s.host->abortControl().calls(), 4u);
    EXPECT_EQ(s.host->images().outstanding(), 0u);
}

TEST(EffectRendering, MissingAndDatalessSourceImagesFailTheRenderAndAreReleased) {
    testing::PluginSession s = testing::loadFilter(fakeBundle());
    testing::FrameImages images = testing::attachFrame(*s, testing::imageSpec({0, 0, 4, 4}));
    s->clip("Source").refuseImages();
    EXPECT_EQ(s->render(0.0, {0, 0, 4, 4}), kOfxStatFailed);
    EXPECT_EQ(s.host->images().outstanding(), 0u);
    EXPECT_EQ(s.host->images().handedOut(), 1u);
    s->clip("Source").acceptImages();
    s->clip("Source").setNullImageData(true);
    EXPECT_EQ(s->render(0.0, {0, 0, 4, 4}), kOfxStatFailed);
    EXPECT_EQ(s.host->images().outstanding(), 0u);
    EXPECT_EQ(s.host->images().badReleases(), 0u);
    EXPECT_EQ(testing::countPixelsNot(*images.output, {0, 0, 4, 4}, Rgba{}), 0u);
}

TEST(EffectLayout, RegionOfDefinitionByContext) {
    testing::PluginSession generator = testing::loadGenerator(fakeBundle());
    RegionResult g = generator->getRegionOfDefinition(0.0);
    EXPECT_EQ(g.status, kOfxStatReplyDefault);
    EXPECT_EQ(g.rect.x2, 1920.0);
    EXPECT_EQ(g.rect.y2, 1080.0);
    EXPECT_TRUE(g.outArgs.setOrder().empty());

    testing::PluginSession filter = testing::loadFilter(fakeBundle());
    filter->clip("Source").attachImage(testing::imageSpec({0, 0, 720, 576}));
    RegionResult f = filter->getRegionOfDefinition(3.0);
    EXPECT_EQ(f.status, kOfxStatOK);
    EXPECT_EQ(f.rect.x2, 720.0);
    EXPECT_EQ(f.rect.y2, 576.0);
    EXPECT_EQ(f.outArgs.setOrder(), (std::vector<std::string>{kOfxImageEffectPropRegionOfDefinition}));
}

TEST(EffectLayout, OtherLayoutActionsSendTheirArgumentSets) {
    testing::PluginSession s = testing::loadFilter(fakeBundle());
    ActionResult roi = s->getRegionsOfInterest(0.0, {100, 50, 400, 300});
    EXPECT_EQ(roi.status, kOfxStatReplyDefault);
    EXPECT_EQ(roi.outArgs.getDoubles("OfxImageClipPropRoI_Source"), (std::vector<double>{100, 50, 400, 300}));
    EXPECT_FALSE(roi.outArgs.has("OfxImageClipPropRoI_Output"));
    ActionResult prefs = s->getClipPreferences();
    EXPECT_EQ(prefs.outArgs.getString("OfxImageClipPropDepth_Source"), kOfxBitDepthByte);
    EXPECT_EQ(prefs.outArgs.getString(kOfxImageEffectPropPreMultiplication), kOfxImagePreMultiplied);
    IdentityResult identity = s->isIdentity(RenderArgs{});
    EXPECT_EQ(identity.status, kOfxStatReplyDefault);
    EXPECT_EQ(identity.clip, "");
    EXPECT_EQ(s->getTimeDomain().outArgs.getDoubles("OfxImageEffectPropFrameRange"), (std::vector<double>{0, 100}));
}

TEST(EffectChanges, InstanceChangedIsBracketedAndMayMessage) {
    testing::PluginSession s = testing::loadFilter(fakeBundle());
    s.host->clearLogs();
    EXPECT_EQ(s->paramChanged("Button"), kOfxStatOK);
    EXPECT_EQ(s->paramChanged("Gain"), kOfxStatReplyDefault);
    EXPECT_EQ(actionNames(*s.host),
              (std::vector<std::string>{kOfxActionBeginInstanceChanged, kOfxActionInstanceChanged,
                                        kOfxActionEndInstanceChanged, kOfxActionBeginInstanceChanged,
                                        kOfxActionInstanceChanged, kOfxActionEndInstanceChanged}));
    ASSERT_EQ(s.host->messages().size(), 1u);
    EXPECT_EQ(s.host->messages().messages()[0].text, "pressed 1 time(s)");
    EXPECT_EQ(s.host->messages().messages()[0].handle, static_cast<void*>(s->handle()));
}

TEST(EffectSequences, ASequenceRendersEachFrameBetweenItsBrackets) {
    testing::PluginSession s = testing::loadGenerator(fakeBundle());
    testing::attachFrame(*s, testing::imageSpec({0, 0, 2, 2}));
    s.host->clearActions();
    EXPECT_EQ(s->renderSequence(1.0, 2.0, {0, 0, 2, 2}, 0.5), kOfxStatOK);
    const std::vector<std::string> names = actionNames(*s.host);
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names.front(), kOfxImageEffectActionBeginSequenceRender);
    EXPECT_EQ(names.back(), kOfxImageEffectActionEndSequenceRender);
    std::vector<double> times;
    for (const ImageRequest& r : s->clip("Output").requests()) times.push_back(r.time);
    EXPECT_EQ(times, (std::vector<double>{1.0, 1.5, 2.0}));
    EXPECT_THROW(s->renderSequence(0.0, 1.0, {0, 0, 2, 2}, 0.0), std::invalid_argument);
}

TEST(EffectFaults, AParameterDefinitionFailureEndsDescribeInContext) {
    testing::PluginSession s = testing::loadPlugin(fakeBundle());
    s.host->faults().failParamDefine("Gain", kOfxStatErrMemory);
    EXPECT_EQ(s.host->describeInContext(kOfxImageEffectContextFilter), kOfxStatErrMemory);
    EXPECT_EQ(s.host->descriptor(kOfxImageEffectContextFilter)->params().names(),
              (std::vector<std::string>{"Colour"}));
}

TEST(EffectFaults, MissingSuitesOrFetchFunctionFailDescribe) {
    {
        testing::PluginSession s;
        s.library = std::make_unique<PluginLibrary>(PluginLibrary::open(fakeBundle()));
        s.host = std::make_unique<Host>();
        s.host->faults().omitSuite(kOfxMemorySuite);
        s.host->bind(s.library->plugin(0));
        EXPECT_EQ(s.host->describe(), kOfxStatErrMissingHostFeature);
        EXPECT_EQ(s.host->calls().matching("fetchSuite").at(3).status, kOfxStatFailed);
    }
    {
        testing::PluginSession s;
        s.library = std::make_unique<PluginLibrary>(PluginLibrary::open(fakeBundle()));
        s.host = std::make_unique<Host>();
        s.host->setNullFetchSuite(true);
        s.host->bind(s.library->plugin(0));
        EXPECT_EQ(s.host->describe(), kOfxStatErrMissingHostFeature);
        EXPECT_EQ(s.host->calls().size(), 0u);
        EXPECT_THROW(s.host->makeEffect(kOfxImageEffectContextFilter), std::runtime_error);
    }
}

TEST(EffectFaults, APlugInNeverGivenTheHostCannotDescribe) {
    PluginLibrary library = PluginLibrary::open(fakeBundle());
    Host host;
    host.bind(library.plugin(0), {}, false);
    EXPECT_EQ(host.describe(), kOfxStatErrMissingHostFeature);
    EXPECT_EQ(host.calls().size(), 0u);
}

TEST(EffectFaults, MalformedActionsReachThePlugInAsSent) {
    testing::PluginSession s = testing::loadPlugin(fakeBundle());
    EXPECT_EQ(s.host->callAction("OfxActionNobodyKnows", nullptr, nullptr, nullptr), kOfxStatReplyDefault);
    EXPECT_EQ(s.host->actions().back().action, "OfxActionNobodyKnows");
    EXPECT_EQ(s.host->actions().back().status, kOfxStatReplyDefault);
}

}  // namespace
}  // namespace horavex::host
