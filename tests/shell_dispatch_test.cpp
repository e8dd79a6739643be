// The library's face towards a host: entry points, suite fetching and the
// routing of actions, including hosts that are missing pieces.
#include <gtest/gtest.h>

#include "support/HostBuilders.h"

namespace horavex::host::testing {
namespace {

TEST(EntryPoints, OfferExactlyOnePlugin) {
    PluginLibrary library = PluginLibrary::open(pluginBundlePath());
    EXPECT_EQ(library.pluginCount(), 1);
    const OfxPlugin* plugin = library.plugin(0);
    ASSERT_NE(plugin, nullptr);
    EXPECT_STREQ(plugin->pluginApi, "OfxImageEffectPluginAPI");
    EXPECT_EQ(plugin->apiVersion, 1);
    EXPECT_EQ(plugin->pluginVersionMajor, 1u);
    EXPECT_EQ(plugin->pluginVersionMinor, 0u);
    EXPECT_STREQ(plugin->pluginIdentifier, "de.quandel.horavex");
    EXPECT_EQ(library.plugin(1), nullptr);
    EXPECT_EQ(library.plugin(-1), nullptr);
}

TEST(Dispatch, UnknownEmptyAndMiscasedActionsAreLeftToTheHost) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    const OfxPlugin* plugin = session.host->plugin();
    const void* handle = session.effect->handle();
    EXPECT_EQ(plugin->mainEntry("ofxactiondescribe", handle, nullptr, nullptr), kOfxStatReplyDefault);
    EXPECT_EQ(plugin->mainEntry("", handle, nullptr, nullptr), kOfxStatReplyDefault);
    EXPECT_EQ(plugin->mainEntry(nullptr, handle, nullptr, nullptr), kOfxStatReplyDefault);
    EXPECT_EQ(plugin->mainEntry(kOfxActionPurgeCaches, handle, nullptr, nullptr), kOfxStatReplyDefault);
    EXPECT_EQ(plugin->mainEntry("OfxActionDescribeX", handle, nullptr, nullptr), kOfxStatReplyDefault);
    EXPECT_EQ(session.effect->isIdentity(RenderArgs{0.0, {0, 0, 10, 10}}).status, kOfxStatReplyDefault);
}

TEST(Dispatch, DescribeWithoutAHostReportsAMissingHostFeature) {
    PluginSession session = loadPlugin();
    const OfxPlugin* plugin = session.host->plugin();
    plugin->setHost(nullptr);
    EXPECT_EQ(session.host->describe(), kOfxStatErrMissingHostFeature);
    plugin->setHost(session.host->ofxHost());
    EXPECT_EQ(session.host->describe(), kOfxStatOK);
}

TEST(Dispatch, AHostWithoutAFetchFunctionIsAMissingHost) {
    PluginSession session = loadPlugin();
    session.host->setNullFetchSuite(true);
    EXPECT_EQ(session.host->describe(), kOfxStatErrMissingHostFeature);
    session.host->setNullFetchSuite(false);
    EXPECT_EQ(session.host->describe(), kOfxStatOK);
}

class SuiteFetch : public ::testing::TestWithParam<std::pair<const char*, OfxStatus>> {};

TEST_P(SuiteFetch, OptionalSuitesMayBeMissingRequiredOnesMayNot) {
    PluginSession session = loadPlugin();
    session.host->faults().omitSuite(GetParam().first);
    session.host->calls().clear();
    EXPECT_EQ(session.host->describe(), GetParam().second);
    // All eight suites are asked for even when one is missing.
    EXPECT_EQ(session.host->calls().count("fetchSuite"), 8u);
    if (GetParam().second != kOfxStatOK) {
        // A failed description sets no property.
        EXPECT_EQ(session.host->calls().count("propSetString"), 0u);
        EXPECT_EQ(session.host->calls().count("propSetInt"), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachSuite, SuiteFetch,
    ::testing::Values(std::make_pair("OfxMessageSuite", kOfxStatOK), std::make_pair("OfxInteractSuite", kOfxStatOK),
                      std::make_pair("OfxTimeLineSuite", kOfxStatOK),
                      std::make_pair("OfxImageEffectSuite", kOfxStatErrMissingHostFeature),
                      std::make_pair("OfxPropertySuite", kOfxStatErrMissingHostFeature),
                      std::make_pair("OfxParameterSuite", kOfxStatErrMissingHostFeature),
                      std::make_pair("OfxMemorySuite", kOfxStatErrMissingHostFeature),
                      std::make_pair("OfxMultiThreadSuite", kOfxStatErrMissingHostFeature)));

TEST(Dispatch, InstanceActionsBeforeAnySuccessfulDescribeFailCleanly) {
    PluginSession session = loadPlugin();
    session.host->faults().omitSuite("OfxPropertySuite");
    ASSERT_EQ(session.host->describe(), kOfxStatErrMissingHostFeature);
    const OfxPlugin* plugin = session.host->plugin();
    const void* handle = session.host->descriptor().handle();
    EXPECT_EQ(plugin->mainEntry(kOfxActionCreateInstance, handle, nullptr, nullptr), kOfxStatErrMissingHostFeature);
    EXPECT_EQ(plugin->mainEntry(kOfxImageEffectActionRender, handle, nullptr, nullptr),
              kOfxStatErrMissingHostFeature);
    EXPECT_EQ(plugin->mainEntry(kOfxImageEffectActionDescribeInContext, handle, nullptr, nullptr),
              kOfxStatErrMissingHostFeature);
}

TEST(Dispatch, NullArgumentSetsNeverCrashAHandler) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    Effect& effect = *session.effect;
    for (const char* action : {kOfxImageEffectActionGetRegionOfDefinition, kOfxImageEffectActionGetRegionsOfInterest,
                               kOfxImageEffectActionGetClipPreferences, kOfxActionInstanceChanged,
                               kOfxImageEffectActionIsIdentity}) {
        SCOPED_TRACE(action);
        const OfxStatus status = effect.callAction(action, nullptr, nullptr);
        EXPECT_TRUE(status == kOfxStatOK || status == kOfxStatReplyDefault) << status;
    }
    // A render without arguments has an empty window: nothing to draw, nothing written.
    auto images = attachFrame(effect, imageSpec({0, 0, 8, 8}));
    fillImage(*images.output, Rgba{0.2, 0.4, 0.6, 0.8});
    EXPECT_EQ(effect.callAction(kOfxImageEffectActionRender, nullptr, nullptr), kOfxStatOK);
    EXPECT_EQ(countPixelsNot(*images.output, {0, 0, 8, 8}, Rgba{0.2, 0.4, 0.6, 0.8}, 0.003), 0u);
    EXPECT_EQ(session.host->images().outstanding(), 0u);
}

}  // namespace
}  // namespace horavex::host::testing

namespace horavex::host::testing {
namespace {

// Load and unload need no work, but a host may drop a plug-in that answers
// them with anything but success.
TEST(Dispatch, LoadAndUnloadSucceed) {
    PluginSession session = loadPlugin();
    EXPECT_EQ(session.host->load(), kOfxStatOK);
    EXPECT_EQ(session.host->unload(), kOfxStatOK);
}

// What escapes a handler becomes a status: running out of memory 8, any other
// standard exception 3.
struct Escape {
    const char* name;
    ParamReadFault::Kind kind;
    OfxStatus status;
};

class EscapingExceptions : public ::testing::TestWithParam<Escape> {};

TEST_P(EscapingExceptions, BecomeTheirStatus) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    attachFrame(*session.effect, imageSpec({0, 0, 32, 18}));
    session.host->faults().failParamRead("ClockSize", ParamReadFault{GetParam().kind, kOfxStatOK});
    EXPECT_EQ(session.effect->render(0.0, {0, 0, 32, 18}), GetParam().status);
    // Nothing the render fetched stays with the plug-in.
    EXPECT_EQ(session.host->images().outstanding(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EscapingExceptions,
                         ::testing::Values(Escape{"badAlloc", ParamReadFault::Kind::BadAlloc, kOfxStatErrMemory},
                                           Escape{"lengthError", ParamReadFault::Kind::LengthError,
                                                  kOfxStatErrUnknown}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horavex::host::testing
