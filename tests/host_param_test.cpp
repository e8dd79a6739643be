// The host's parameters as a plug-in sees them through the parameter suite:
// definitions and their faults, handles, instance defaults, the variadic
// value conventions of each type, and keyframe interpolation.
#include "host/Host.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace horavex::host {
namespace {

TEST(KeyInterpolation, LinearBetweenKeysAndHeldOutsideThem) {
    const std::map<double, std::vector<double>> keys{{10.0, {0.0, 100.0}}, {20.0, {10.0, 0.0}}};
    EXPECT_EQ(interpolateKeys(keys, 15.0, Interpolation::Linear), (std::vector<double>{5.0, 50.0}));
    EXPECT_EQ(interpolateKeys(keys, 12.5, Interpolation::Linear), (std::vector<double>{2.5, 75.0}));
    EXPECT_EQ(interpolateKeys(keys, -3.0, Interpolation::Linear), (std::vector<double>{0.0, 100.0}));
    EXPECT_EQ(interpolateKeys(keys, 99.0, Interpolation::Linear), (std::vector<double>{10.0, 0.0}));
    EXPECT_EQ(interpolateKeys(keys, 20.0, Interpolation::Linear), (std::vector<double>{10.0, 0.0}));
}

TEST(KeyInterpolation, StepHoldsTheLastKeyAtOrBeforeTheTime) {
    const std::map<double, std::vector<double>> keys{{0.0, {1.0}}, {5.0, {2.0}}, {9.0, {3.0}}};
    EXPECT_EQ(interpolateKeys(keys, 4.999, Interpolation::Step), (std::vector<double>{1.0}));
    EXPECT_EQ(interpolateKeys(keys, 5.0, Interpolation::Step), (std::vector<double>{2.0}));
    EXPECT_EQ(interpolateKeys(keys, 8.0, Interpolation::Step), (std::vector<double>{2.0}));
    EXPECT_EQ(interpolateKeys(keys, -1.0, Interpolation::Step), (std::vector<double>{1.0}));
}

TEST(SaturatingRound, RoundsHalvesAwayFromZeroAndSaturates) {
    EXPECT_EQ(saturatingRound(2.5), 3);
    EXPECT_EQ(saturatingRound(-2.5), -3);
    EXPECT_EQ(saturatingRound(2.49), 2);
    EXPECT_EQ(saturatingRound(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(saturatingRound(1e300), INT_MAX);
    EXPECT_EQ(saturatingRound(-1e300), INT_MIN);
    EXPECT_EQ(saturatingRound(std::numeric_limits<double>::infinity()), INT_MAX);
}

TEST(ParamTypes, ShapesOfTheStandardTypes) {
    EXPECT_EQ(paramTypeInfo(kOfxParamTypeRGBA).dimension, 4);
    EXPECT_EQ(paramTypeInfo(kOfxParamTypeDouble2D).dimension, 2);
    EXPECT_EQ(paramTypeInfo(kOfxParamTypeChoice).kind, ParamValueKind::Int);
    EXPECT_EQ(paramTypeInfo(kOfxParamTypeChoice).interpolation, Interpolation::Step);
    EXPECT_EQ(paramTypeInfo(kOfxParamTypeInteger).interpolation, Interpolation::Linear);
    EXPECT_EQ(paramTypeInfo(kOfxParamTypeString).kind, ParamValueKind::String);
    EXPECT_EQ(paramTypeInfo(kOfxParamTypePushButton).kind, ParamValueKind::None);
    EXPECT_FALSE(paramTypeInfo("OfxParamTypeNonsense").known);
}

class ParamSuiteTest : public ::testing::Test {
protected:
    Host host;
    const OfxParameterSuiteV1* params = parameterSuite();
    const OfxPropertySuiteV1* props = propertySuite();
    ParamSet descriptor{&host, true, "OfxParamSet:test"};

    OfxPropertySetHandle define(const char* type, const char* name) {
        OfxPropertySetHandle p = nullptr;
        EXPECT_EQ(params->paramDefine(descriptor.handle(), type, name, &p), kOfxStatOK);
        return p;
    }
    OfxParamHandle handle(ParamSet& set, const char* name) {
        OfxParamHandle h = nullptr;
        EXPECT_EQ(params->paramGetHandle(set.handle(), name, &h, nullptr), kOfxStatOK);
        return h;
    }
};

TEST_F(ParamSuiteTest, DefineReturnsAPropertySetPrefilledForTheType) {
    OfxPropertySetHandle p = define(kOfxParamTypeDouble, "Gain");
    ASSERT_NE(p, nullptr);
    PropertySet* set = PropertySet::fromHandle(p);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->getString(kOfxParamPropType), kOfxParamTypeDouble);
    EXPECT_EQ(set->getString(kOfxPropName), "Gain");
    EXPECT_EQ(set->type(kOfxParamPropDefault), PropertyType::Double);
    // The default of an integer type is an int: a double write is refused.
    OfxPropertySetHandle ip = define(kOfxParamTypeInteger, "Count");
    EXPECT_EQ(props->propSetDouble(ip, kOfxParamPropDefault, 0, 2.0), kOfxStatErrValue);
    EXPECT_EQ(props->propSetInt(ip, kOfxParamPropDefault, 0, 2), kOfxStatOK);
    EXPECT_EQ(descriptor.names(), (std::vector<std::string>{"Gain", "Count"}));
}

TEST_F(ParamSuiteTest, DefineRejectsDuplicatesUnknownTypesAndNulls) {
    define(kOfxParamTypeInteger, "A");
    OfxPropertySetHandle p = reinterpret_cast<OfxPropertySetHandle>(&host);
    EXPECT_EQ(params->paramDefine(descriptor.handle(), kOfxParamTypeDouble, "A", &p), kOfxStatErrExists);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(params->paramDefine(descriptor.handle(), "OfxParamTypeBogus", "B", &p), kOfxStatErrUnknown);
    EXPECT_EQ(params->paramDefine(descriptor.handle(), kOfxParamTypeDouble, nullptr, &p), kOfxStatErrValue);
    EXPECT_EQ(params->paramDefine(nullptr, kOfxParamTypeDouble, "C", &p), kOfxStatErrBadHandle);
    EXPECT_EQ(descriptor.size(), 1u);
}

TEST_F(ParamSuiteTest, AnInjectedDefineFailureDefinesNothing) {
    host.faults().failParamDefine("Doomed", kOfxStatErrMemory);
    OfxPropertySetHandle p = reinterpret_cast<OfxPropertySetHandle>(&host);
    EXPECT_EQ(params->paramDefine(descriptor.handle(), kOfxParamTypeDouble, "Doomed", &p), kOfxStatErrMemory);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(descriptor.find("Doomed"), nullptr);
    EXPECT_EQ(host.calls().matching("paramDefine").back().status, kOfxStatErrMemory);
    define(kOfxParamTypeDouble, "Fine");
}

TEST_F(ParamSuiteTest, InstanceSetsRefuseDefinitionsAndUnknownHandlesAreNull) {
    define(kOfxParamTypeDouble, "Gain");
    ParamSet instance(&host, descriptor, "OfxParamSet:instance");
    OfxPropertySetHandle p = nullptr;
    EXPECT_EQ(params->paramDefine(instance.handle(), kOfxParamTypeDouble, "More", &p), kOfxStatErrBadHandle);
    OfxParamHandle h = reinterpret_cast<OfxParamHandle>(&host);
    OfxPropertySetHandle ps = reinterpret_cast<OfxPropertySetHandle>(&host);
    EXPECT_EQ(params->paramGetHandle(instance.handle(), "Missing", &h, &ps), kOfxStatErrUnknown);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(ps, nullptr);
    EXPECT_EQ(params->paramGetHandle(instance.handle(), "Gain", &h, &ps), kOfxStatOK);
    EXPECT_EQ(Param::fromHandle(h), &instance.get("Gain"));
    EXPECT_EQ(PropertySet::fromHandle(ps), &instance.get("Gain").props());
}

TEST_F(ParamSuiteTest, InstanceValuesStartAtTheDescriptorDefaults) {
    const double colour[4] = {0.25, 0.5, 0.75, 1.0};
    props->propSetDoubleN(define(kOfxParamTypeRGBA, "Colour"), kOfxParamPropDefault, 4, colour);
    props->propSetInt(define(kOfxParamTypeInteger, "Year"), kOfxParamPropDefault, 0, 2018);
    props->propSetString(define(kOfxParamTypeString, "Text"), kOfxParamPropDefault, 0, "27 0 Arial");
    const double centre[2] = {0.5, 0.25};
    props->propSetDoubleN(define(kOfxParamTypeDouble2D, "Centre"), kOfxParamPropDefault, 2, centre);
    define(kOfxParamTypeChoice, "Style");

    ParamSet instance(&host, descriptor, "OfxParamSet:instance");
    double r = 0, g = 0, b = 0, a = 0;
    EXPECT_EQ(params->paramGetValueAtTime(handle(instance, "Colour"), 0.0, &r, &g, &b, &a), kOfxStatOK);
    EXPECT_EQ((std::vector<double>{r, g, b, a}), (std::vector<double>{0.25, 0.5, 0.75, 1.0}));
    int year = 0;
    EXPECT_EQ(params->paramGetValueAtTime(handle(instance, "Year"), 0.0, &year), kOfxStatOK);
    EXPECT_EQ(year, 2018);
    const char* text = nullptr;
    EXPECT_EQ(params->paramGetValue(handle(instance, "Text"), &text), kOfxStatOK);
    EXPECT_STREQ(text, "27 0 Arial");
    double x = 0, y = 0;
    EXPECT_EQ(params->paramGetValueAtTime(handle(instance, "Centre"), 3.0, &x, &y), kOfxStatOK);
    EXPECT_EQ(x, 0.5);
    EXPECT_EQ(y, 0.25);
    int style = -1;
    EXPECT_EQ(params->paramGetValue(handle(instance, "Style"), &style), kOfxStatOK);
    EXPECT_EQ(style, 0);
}

TEST_F(ParamSuiteTest, ValuesSetByTheTestReachThePlugInByType) {
    define(kOfxParamTypeBoolean, "On");
    define(kOfxParamTypeDouble, "Size");
    define(kOfxParamTypeRGBA, "Colour");
    define(kOfxParamTypeString, "Format");
    ParamSet instance(&host, descriptor, "i");
    instance.get("On").setInt(1);
    instance.get("Size").setDouble(0.35);
    instance.get("Colour").setDoubleN({0.1, 0.2, 0.3, 0.4});
    instance.get("Format").setString("%H");
    int on = 0;
    double size = 0, c[4] = {};
    const char* format = nullptr;
    params->paramGetValueAtTime(handle(instance, "On"), 7.0, &on);
    params->paramGetValueAtTime(handle(instance, "Size"), 7.0, &size);
    params->paramGetValueAtTime(handle(instance, "Colour"), 7.0, &c[0], &c[1], &c[2], &c[3]);
    params->paramGetValueAtTime(handle(instance, "Format"), 7.0, &format);
    EXPECT_EQ(on, 1);
    EXPECT_EQ(size, 0.35);
    EXPECT_EQ(c[3], 0.4);
    EXPECT_STREQ(format, "%H");
    EXPECT_THROW(instance.get("Size").setInt(1), std::logic_error);
    EXPECT_THROW(instance.get("Colour").setDoubleN({1.0, 2.0, 3.0}), std::logic_error);
    EXPECT_THROW(instance.get("On").setString("x"), std::logic_error);
}

TEST_F(ParamSuiteTest, ThePlugInCanSetValuesWithTheVariadicCalls) {
    define(kOfxParamTypeInteger, "I");
    define(kOfxParamTypeDouble2D, "XY");
    define(kOfxParamTypeString, "S");
    ParamSet instance(&host, descriptor, "i");
    EXPECT_EQ(params->paramSetValue(handle(instance, "I"), 42), kOfxStatOK);
    EXPECT_EQ(params->paramSetValue(handle(instance, "XY"), 1.5, -2.5), kOfxStatOK);
    EXPECT_EQ(params->paramSetValue(handle(instance, "S"), "27 1 1 1 400 34 Arial"), kOfxStatOK);
    EXPECT_EQ(instance.get("I").intValue(), 42);
    EXPECT_EQ(instance.get("XY").doubleValues(), (std::vector<double>{1.5, -2.5}));
    EXPECT_EQ(instance.get("S").stringValue(), "27 1 1 1 400 34 Arial");
    EXPECT_EQ(params->paramSetValue(handle(instance, "S"), static_cast<const char*>(nullptr)), kOfxStatErrValue);
    EXPECT_EQ(instance.get("S").stringValue(), "27 1 1 1 400 34 Arial");
}

TEST_F(ParamSuiteTest, ValuelessTypesAndNullOutputsAreRefused) {
    define(kOfxParamTypePushButton, "Button");
    define(kOfxParamTypeGroup, "Group");
    define(kOfxParamTypeRGBA, "Colour");
    ParamSet instance(&host, descriptor, "i");
    int dummy = 0;
    EXPECT_EQ(params->paramGetValue(handle(instance, "Button"), &dummy), kOfxStatErrUnknown);
    EXPECT_EQ(params->paramSetValue(handle(instance, "Group"), 1), kOfxStatErrUnknown);
    double r = 0, g = 0, b = 0;
    EXPECT_EQ(params->paramGetValue(handle(instance, "Colour"), &r, &g, &b, static_cast<double*>(nullptr)),
              kOfxStatErrValue);
    EXPECT_EQ(params->paramGetValue(nullptr, &r), kOfxStatErrBadHandle);
    EXPECT_EQ(params->paramGetDerivative(handle(instance, "Colour"), 0.0, &r, &g, &b, &r), kOfxStatErrUnsupported);
    EXPECT_EQ(params->paramGetIntegral(handle(instance, "Colour"), 0.0, 1.0, &r, &g, &b, &r), kOfxStatErrUnsupported);
}

TEST_F(ParamSuiteTest, KeysInterpolateByTypeAtTheRequestedTime) {
    define(kOfxParamTypeDouble, "D");
    define(kOfxParamTypeInteger, "I");
    define(kOfxParamTypeChoice, "C");
    define(kOfxParamTypeString, "S");
    ParamSet instance(&host, descriptor, "i");
    instance.get("D").addKey(0.0, {0.0});
    instance.get("D").addKey(10.0, {100.0});
    instance.get("I").addKey(0.0, {0.0});
    instance.get("I").addKey(4.0, {2.0});
    instance.get("C").addKey(0.0, {0.0});
    instance.get("C").addKey(10.0, {2.0});
    instance.get("S").addStringKey(0.0, "early");
    instance.get("S").addStringKey(10.0, "late");
    double d = 0;
    int i = 0, c = 0;
    const char* s = nullptr;
    params->paramGetValueAtTime(handle(instance, "D"), 2.5, &d);
    params->paramGetValueAtTime(handle(instance, "I"), 1.0, &i);
    params->paramGetValueAtTime(handle(instance, "C"), 9.9, &c);
    params->paramGetValueAtTime(handle(instance, "S"), 9.9, &s);
    EXPECT_DOUBLE_EQ(d, 25.0);
    EXPECT_EQ(i, 1);  // 0.5 rounds away from zero
    EXPECT_EQ(c, 0);
    EXPECT_STREQ(s, "early");
    params->paramGetValueAtTime(handle(instance, "D"), -5.0, &d);
    EXPECT_EQ(d, 0.0);
    params->paramGetValueAtTime(handle(instance, "D"), 50.0, &d);
    EXPECT_EQ(d, 100.0);
    params->paramGetValueAtTime(handle(instance, "S"), 10.0, &s);
    EXPECT_STREQ(s, "late");
}

TEST_F(ParamSuiteTest, GetValueReadsAtTheTimeLinesCurrentTime) {
    define(kOfxParamTypeDouble, "D");
    ParamSet instance(&host, descriptor, "i");
    instance.get("D").addKey(0.0, {0.0});
    instance.get("D").addKey(10.0, {10.0});
    host.timeline().setTime(4.0);
    double d = 0;
    params->paramGetValue(handle(instance, "D"), &d);
    EXPECT_EQ(d, 4.0);
}

TEST_F(ParamSuiteTest, SetValueKeysOnlyOnceAParameterIsAnimated) {
    define(kOfxParamTypeDouble, "D");
    ParamSet instance(&host, descriptor, "i");
    OfxParamHandle d = handle(instance, "D");
    host.timeline().setTime(3.0);
    EXPECT_EQ(params->paramSetValue(d, 1.0), kOfxStatOK);
    EXPECT_EQ(instance.get("D").numKeys(), 0u);
    EXPECT_EQ(params->paramSetValueAtTime(d, 10.0, 5.0), kOfxStatOK);
    EXPECT_EQ(params->paramSetValue(d, 2.0), kOfxStatOK);
    EXPECT_EQ(instance.get("D").keyTimes(), (std::vector<double>{3.0, 10.0}));
    EXPECT_EQ(instance.get("D").doubleValue(3.0), 2.0);
    instance.get("D").setDouble(7.0);
    EXPECT_EQ(instance.get("D").numKeys(), 0u);
    EXPECT_EQ(instance.get("D").doubleValue(10.0), 7.0);
}

TEST_F(ParamSuiteTest, KeyQueriesAndDeletion) {
    define(kOfxParamTypeDouble, "D");
    ParamSet instance(&host, descriptor, "i");
    OfxParamHandle d = handle(instance, "D");
    instance.get("D").addKey(20.0, {2.0});
    instance.get("D").addKey(10.0, {1.0});
    unsigned int n = 0;
    EXPECT_EQ(params->paramGetNumKeys(d, &n), kOfxStatOK);
    EXPECT_EQ(n, 2u);
    OfxTime t = 0;
    EXPECT_EQ(params->paramGetKeyTime(d, 1, &t), kOfxStatOK);
    EXPECT_EQ(t, 20.0);
    EXPECT_EQ(params->paramGetKeyTime(d, 2, &t), kOfxStatErrBadIndex);
    int index = -1;
    EXPECT_EQ(params->paramGetKeyIndex(d, 20.0, 0, &index), kOfxStatOK);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(params->paramGetKeyIndex(d, 15.0, -1, &index), kOfxStatOK);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(params->paramGetKeyIndex(d, 15.0, 1, &index), kOfxStatOK);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(params->paramGetKeyIndex(d, 25.0, 1, &index), kOfxStatFailed);
    EXPECT_EQ(params->paramGetKeyIndex(d, 15.0, 0, &index), kOfxStatFailed);
    EXPECT_EQ(params->paramDeleteKey(d, 15.0), kOfxStatErrBadIndex);
    EXPECT_EQ(params->paramDeleteKey(d, 10.0), kOfxStatOK);
    EXPECT_EQ(instance.get("D").keyTimes(), (std::vector<double>{20.0}));
    EXPECT_EQ(params->paramDeleteAllKeys(d), kOfxStatOK);
    EXPECT_EQ(instance.get("D").numKeys(), 0u);
}

TEST_F(ParamSuiteTest, CopyMovesKeysByTheOffsetAndNeedsTheSameType) {
    define(kOfxParamTypeDouble, "From");
    define(kOfxParamTypeDouble, "To");
    define(kOfxParamTypeInteger, "Other");
    ParamSet instance(&host, descriptor, "i");
    instance.get("From").addKey(1.0, {10.0});
    instance.get("From").addKey(5.0, {50.0});
    EXPECT_EQ(params->paramCopy(handle(instance, "To"), handle(instance, "From"), 100.0, nullptr), kOfxStatOK);
    EXPECT_EQ(instance.get("To").keyTimes(), (std::vector<double>{101.0, 105.0}));
    const OfxRangeD firstOnly{0.0, 2.0};
    EXPECT_EQ(params->paramCopy(handle(instance, "To"), handle(instance, "From"), 0.0, &firstOnly), kOfxStatOK);
    EXPECT_EQ(instance.get("To").keyTimes(), (std::vector<double>{1.0}));
    EXPECT_EQ(params->paramCopy(handle(instance, "Other"), handle(instance, "From"), 0.0, nullptr), kOfxStatErrValue);
}

TEST_F(ParamSuiteTest, EditBracketsMustPair) {
    EXPECT_EQ(params->paramEditEnd(descriptor.handle()), kOfxStatFailed);
    EXPECT_EQ(params->paramEditBegin(descriptor.handle(), "change"), kOfxStatOK);
    EXPECT_EQ(descriptor.editDepth(), 1);
    EXPECT_EQ(params->paramEditEnd(descriptor.handle()), kOfxStatOK);
    EXPECT_EQ(descriptor.editDepth(), 0);
    OfxPropertySetHandle setProps = nullptr;
    EXPECT_EQ(params->paramSetGetPropertySet(descriptor.handle(), &setProps), kOfxStatOK);
    EXPECT_EQ(PropertySet::fromHandle(setProps), &descriptor.props());
}

TEST_F(ParamSuiteTest, CallsAreLoggedWithTheParameterName) {
    define(kOfxParamTypeDouble, "Gain");
    ParamSet instance(&host, descriptor, "i");
    host.calls().clear();
    double v = 0;
    params->paramGetValueAtTime(handle(instance, "Gain"), 1.0, &v);
    const std::vector<CallRecord> records = host.calls().records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].function, "paramGetHandle");
    EXPECT_EQ(records[0].argument, "Gain");
    EXPECT_EQ(records[1].function, "paramGetValueAtTime");
    EXPECT_EQ(records[1].argument, "Gain");
    EXPECT_EQ(records[1].target, kOfxParamTypeDouble);
}

}  // namespace
}  // namespace horavex::host
