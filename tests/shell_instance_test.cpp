// Instances: their records, context kinds, handles and the way actions treat
// an instance that carries no record.
#include <gtest/gtest.h>

#include "adapter/InstanceData.h"
#include "support/HostBuilders.h"

namespace horavex::host::testing {
namespace {

const ClockInstanceData& recordOf(const Effect& effect) {
    const void* data = effect.instanceData();
    if (data == nullptr) {
        throw std::runtime_error("instance carries no record");
    }
    return *static_cast<const ClockInstanceData*>(data);
}

TEST(Instance, FilterRecordHoldsItsContextClipsAndEveryHandle) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    const ClockInstanceData& record = recordOf(*session.effect);
    EXPECT_EQ(record.contextKind, kFilterContext);
    EXPECT_EQ(record.sourceClip, session.effect->clip("Source").handle());
    EXPECT_EQ(record.outputClip, session.effect->clip("Output").handle());
    EXPECT_EQ(record.params.clockChoice, session.effect->param("ClockChoice").handle());
    EXPECT_EQ(record.params.runBackwards, session.effect->param("Run clock backwards").handle());
    EXPECT_EQ(record.params.useKeyColour, session.effect->param("Use Key Colour").handle());
    EXPECT_EQ(record.surface, nullptr);
    // Values before the first render are the record's own starting values,
    // not the parameters' defaults.
    EXPECT_DOUBLE_EQ(record.values.clockSizePercent, 35.0);
    EXPECT_EQ(record.values.startYear, 2018);
    EXPECT_EQ(record.values.mainColour.alpha, 100);
}

TEST(Instance, GeneratorRecordHasNoSourceClip) {
    PluginSession session = loadEffect(kOfxImageEffectContextGenerator);
    const ClockInstanceData& record = recordOf(*session.effect);
    EXPECT_EQ(record.contextKind, kGeneratorContext);
    EXPECT_EQ(record.sourceClip, nullptr);
    EXPECT_EQ(record.outputClip, session.effect->clip("Output").handle());
    EXPECT_NE(record.params.speedFactor, nullptr);
}

TEST(Instance, TwoInstancesKeepSeparateRecords) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    std::unique_ptr<Effect> second = session.host->createEffect(kOfxImageEffectContextGenerator);
    ASSERT_NE(session.effect->instanceData(), second->instanceData());

    second->param("ClockSize").setDouble(0.8);
    attachFrame(*second, imageSpec({0, 0, 16, 16}));
    attachFrame(*session.effect, imageSpec({0, 0, 16, 16}));
    session.effect->param("ClockSize").setDouble(0.2);
    ASSERT_EQ(second->render(0.0, {0, 0, 16, 16}), kOfxStatOK);
    ASSERT_EQ(session.effect->render(0.0, {0, 0, 16, 16}), kOfxStatOK);
    EXPECT_DOUBLE_EQ(recordOf(*second).values.clockSizePercent, 80.0);
    EXPECT_DOUBLE_EQ(recordOf(*session.effect).values.clockSizePercent, 20.0);
}

TEST(Instance, DestroyFreesTheRecordAndClearsThePointer) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    ASSERT_EQ(session.effect->destroy(), kOfxStatOK);
    EXPECT_EQ(session.effect->instanceData(), nullptr);
}

TEST(Instance, ActionsOnAnInstanceWithoutARecordReportABadHandle) {
    PluginSession session = loadEffect(kOfxImageEffectContextFilter);
    Effect& effect = *session.effect;
    void* record = effect.instanceData();
    effect.properties().setPointer(kOfxPropInstanceData, 0, nullptr);
    attachFrame(effect, imageSpec({0, 0, 4, 4}));
    EXPECT_EQ(effect.render(0.0, {0, 0, 4, 4}), kOfxStatErrBadHandle);
    EXPECT_EQ(effect.getRegionOfDefinition(0.0).status, kOfxStatErrBadHandle);
    EXPECT_EQ(effect.getRegionsOfInterest(0.0, {0, 0, 4, 4}).status, kOfxStatErrBadHandle);
    EXPECT_EQ(effect.getClipPreferences().status, kOfxStatErrBadHandle);
    EXPECT_EQ(session.host->images().outstanding(), 0u);
    effect.properties().setPointer(kOfxPropInstanceData, 0, record);
}

TEST(Instance, AHostThatWillNotKeepTheRecordGetsAFailureAndNoLeak) {
    PluginSession session = loadPlugin();
    session.host->faults().failPropertySet(kOfxPropInstanceData, kOfxStatErrUnknown);
    std::unique_ptr<Effect> effect = session.host->makeEffect(kOfxImageEffectContextFilter);
    EXPECT_EQ(effect->create(), kOfxStatFailed);
    EXPECT_EQ(effect->instanceData(), nullptr);
}

}  // namespace
}  // namespace horavex::host::testing
