// The host's property sets as a plug-in sees them through the property
// suite: statuses, dimension growth, string lifetime, handle checks, the
// set order, the call log and property-write faults.
#include "host/Host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace horavex::host {
namespace {

class PropertySuiteTest : public ::testing::Test {
protected:
    Host host;
    const OfxPropertySuiteV1* suite = propertySuite();
    PropertySet props{"test:set"};

    void SetUp() override { props.setHost(&host); }
    OfxPropertySetHandle h() const { return props.handle(); }
};

TEST_F(PropertySuiteTest, ASetCreatesTheNameAndAGetReadsItBack) {
    EXPECT_EQ(suite->propSetInt(h(), "A", 0, 7), kOfxStatOK);
    int v = 0;
    EXPECT_EQ(suite->propGetInt(h(), "A", 0, &v), kOfxStatOK);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(props.getInt("A"), 7);
    EXPECT_EQ(props.type("A"), PropertyType::Int);
}

TEST_F(PropertySuiteTest, UnknownWrongTypeAndBadIndexHaveTheirOwnStatuses) {
    props.defineDouble("D", {1.5, 2.5});
    double d = 0;
    int i = 0;
    char* s = nullptr;
    EXPECT_EQ(suite->propGetDouble(h(), "Missing", 0, &d), kOfxStatErrUnknown);
    EXPECT_EQ(suite->propGetInt(h(), "D", 0, &i), kOfxStatErrValue);
    EXPECT_EQ(suite->propGetString(h(), "D", 0, &s), kOfxStatErrValue);
    EXPECT_EQ(suite->propGetDouble(h(), "D", 2, &d), kOfxStatErrBadIndex);
    EXPECT_EQ(suite->propGetDouble(h(), "D", -1, &d), kOfxStatErrBadIndex);
    EXPECT_EQ(suite->propSetInt(h(), "D", 0, 3), kOfxStatErrValue);
    EXPECT_EQ(suite->propSetString(h(), "D", 0, "x"), kOfxStatErrValue);
    EXPECT_EQ(props.getDoubles("D"), (std::vector<double>{1.5, 2.5}));
}

TEST_F(PropertySuiteTest, ASetAtTheDimensionAppendsAndBeyondItFails) {
    props.defineString("S", {"a"});
    EXPECT_EQ(suite->propSetString(h(), "S", 1, "b"), kOfxStatOK);
    EXPECT_EQ(suite->propSetString(h(), "S", 3, "d"), kOfxStatErrBadIndex);
    EXPECT_EQ(suite->propSetString(h(), "S", -1, "z"), kOfxStatErrBadIndex);
    int dim = 0;
    EXPECT_EQ(suite->propGetDimension(h(), "S", &dim), kOfxStatOK);
    EXPECT_EQ(dim, 2);
    EXPECT_EQ(props.getStrings("S"), (std::vector<std::string>{"a", "b"}));
    // A new name can only start at index 0.
    EXPECT_EQ(suite->propSetInt(h(), "Fresh", 1, 5), kOfxStatErrBadIndex);
    EXPECT_FALSE(props.has("Fresh"));
}

TEST_F(PropertySuiteTest, WithoutCreationUnknownNamesAreRefusedButKnownOnesChange) {
    props.setAllowCreate(false);
    props.defineInt("Known", {0});
    EXPECT_EQ(suite->propSetInt(h(), "Unknown", 0, 1), kOfxStatErrUnknown);
    EXPECT_EQ(suite->propSetDoubleN(h(), "Unknown", 1, std::vector<double>{1.0}.data()), kOfxStatErrUnknown);
    EXPECT_FALSE(props.has("Unknown"));
    EXPECT_EQ(suite->propSetInt(h(), "Known", 0, 4), kOfxStatOK);
    EXPECT_EQ(props.getInt("Known"), 4);
}

TEST_F(PropertySuiteTest, SetNWritesTheFirstCountValuesAndGrows) {
    props.defineInt("N", {1, 2, 3});
    const int two[2] = {10, 20};
    EXPECT_EQ(suite->propSetIntN(h(), "N", 2, two), kOfxStatOK);
    EXPECT_EQ(props.getInts("N"), (std::vector<int>{10, 20, 3}));
    const int five[5] = {5, 6, 7, 8, 9};
    EXPECT_EQ(suite->propSetIntN(h(), "N", 5, five), kOfxStatOK);
    EXPECT_EQ(props.dimension("N"), 5);
    int out[6] = {};
    EXPECT_EQ(suite->propGetIntN(h(), "N", 6, out), kOfxStatErrBadIndex);
    EXPECT_EQ(suite->propGetIntN(h(), "N", 5, out), kOfxStatOK);
    EXPECT_EQ(out[4], 9);
    EXPECT_EQ(suite->propSetIntN(h(), "N", -1, five), kOfxStatErrBadIndex);
}

TEST_F(PropertySuiteTest, StringsAndPointersRoundTripThroughTheNCalls) {
    const char* strings[3] = {"x", "yy", "zzz"};
    EXPECT_EQ(suite->propSetStringN(h(), "S", 3, strings), kOfxStatOK);
    char* out[3] = {};
    EXPECT_EQ(suite->propGetStringN(h(), "S", 3, out), kOfxStatOK);
    EXPECT_STREQ(out[2], "zzz");
    int a = 0, b = 0;
    void* pointers[2] = {&a, &b};
    EXPECT_EQ(suite->propSetPointerN(h(), "P", 2, pointers), kOfxStatOK);
    void* got[2] = {};
    EXPECT_EQ(suite->propGetPointerN(h(), "P", 2, got), kOfxStatOK);
    EXPECT_EQ(got[1], &b);
    const double ds[2] = {0.25, -4.0};
    EXPECT_EQ(suite->propSetDoubleN(h(), "D", 2, ds), kOfxStatOK);
    double d = 0;
    EXPECT_EQ(suite->propGetDouble(h(), "D", 1, &d), kOfxStatOK);
    EXPECT_EQ(d, -4.0);
}

TEST_F(PropertySuiteTest, NullArgumentsAreAnsweredNotDereferenced) {
    props.defineInt("I", {1});
    EXPECT_EQ(suite->propGetInt(h(), "I", 0, nullptr), kOfxStatErrValue);
    EXPECT_EQ(suite->propGetIntN(h(), "I", 1, nullptr), kOfxStatErrValue);
    EXPECT_EQ(suite->propGetDimension(h(), "I", nullptr), kOfxStatErrValue);
    EXPECT_EQ(suite->propSetString(h(), "T", 0, nullptr), kOfxStatErrValue);
    EXPECT_EQ(suite->propSetIntN(h(), "I", 2, nullptr), kOfxStatErrValue);
    const char* withNull[2] = {"a", nullptr};
    EXPECT_EQ(suite->propSetStringN(h(), "T", 2, withNull), kOfxStatErrValue);
    EXPECT_FALSE(props.has("T"));
    int v = 0;
    EXPECT_EQ(suite->propGetInt(h(), nullptr, 0, &v), kOfxStatErrUnknown);
}

TEST_F(PropertySuiteTest, NullStaleAndForeignHandlesAreBadHandles) {
    int v = 0;
    EXPECT_EQ(suite->propGetInt(nullptr, "I", 0, &v), kOfxStatErrBadHandle);
    EXPECT_EQ(suite->propSetInt(nullptr, "I", 0, 1), kOfxStatErrBadHandle);
    EXPECT_EQ(suite->propReset(nullptr, "I"), kOfxStatErrBadHandle);
    int notASet = 0;
    EXPECT_EQ(suite->propGetInt(reinterpret_cast<OfxPropertySetHandle>(&notASet), "I", 0, &v), kOfxStatErrBadHandle);
    ParamSet params(&host, true, "params");
    EXPECT_EQ(suite->propSetInt(reinterpret_cast<OfxPropertySetHandle>(params.handle()), "I", 0, 1),
              kOfxStatErrBadHandle);
    OfxPropertySetHandle stale = nullptr;
    {
        PropertySet gone;
        stale = gone.handle();
    }
    EXPECT_EQ(suite->propSetInt(stale, "I", 0, 1), kOfxStatErrBadHandle);
    EXPECT_EQ(host.calls().count("propSetInt"), 3u);
}

TEST_F(PropertySuiteTest, ReturnedStringsSurviveChangesToOtherProperties) {
    EXPECT_EQ(suite->propSetString(h(), "Keep", 0, "short"), kOfxStatOK);
    char* kept = nullptr;
    ASSERT_EQ(suite->propGetString(h(), "Keep", 0, &kept), kOfxStatOK);
    for (int i = 0; i < 200; ++i) {
        suite->propSetString(h(), ("Other" + std::to_string(i)).c_str(), 0, "value");
    }
    EXPECT_STREQ(kept, "short");
}

TEST_F(PropertySuiteTest, ResetRestoresTheDefinedOrFirstValues) {
    props.defineInt("Defined", {1, 2});
    suite->propSetInt(h(), "Defined", 0, 9);
    suite->propSetInt(h(), "Defined", 2, 9);
    EXPECT_EQ(suite->propReset(h(), "Defined"), kOfxStatOK);
    EXPECT_EQ(props.getInts("Defined"), (std::vector<int>{1, 2}));
    suite->propSetDouble(h(), "Created", 0, 3.0);
    suite->propSetDouble(h(), "Created", 0, 4.0);
    EXPECT_EQ(suite->propReset(h(), "Created"), kOfxStatOK);
    EXPECT_EQ(props.getDouble("Created"), 3.0);
    EXPECT_EQ(suite->propReset(h(), "Missing"), kOfxStatErrUnknown);
}

TEST_F(PropertySuiteTest, SetOrderListsFirstWritesOnlyAndExcludesDefinitions) {
    props.defineInt("HostMade", {0});
    suite->propSetString(h(), "B", 0, "1");
    suite->propSetInt(h(), "HostMade", 0, 1);
    suite->propSetString(h(), "A", 0, "1");
    suite->propSetString(h(), "B", 1, "2");
    suite->propSetInt(h(), "A", 0, 1);  // fails: wrong type, not a write
    EXPECT_EQ(props.setOrder(), (std::vector<std::string>{"B", "HostMade", "A"}));
    EXPECT_EQ(props.names(), (std::vector<std::string>{"HostMade", "B", "A"}));
}

TEST_F(PropertySuiteTest, EveryCallIsLoggedWithNameTargetAndStatus) {
    host.calls().clear();
    int v = 0;
    suite->propSetInt(h(), "X", 0, 1);
    suite->propGetInt(h(), "X", 0, &v);
    suite->propGetInt(h(), "Y", 0, &v);
    const std::vector<CallRecord> records = host.calls().records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].function, "propSetInt");
    EXPECT_EQ(records[0].argument, "X");
    EXPECT_EQ(records[0].target, "test:set");
    EXPECT_EQ(records[2].function, "propGetInt");
    EXPECT_EQ(records[2].argument, "Y");
    EXPECT_EQ(records[2].status, kOfxStatErrUnknown);
    EXPECT_EQ(host.calls().count("propGetInt", "X"), 1u);
    EXPECT_EQ(host.calls().indexOf("propGetInt", "Y"), 2u);
    host.calls().setEnabled(false);
    suite->propGetInt(h(), "X", 0, &v);
    EXPECT_EQ(host.calls().size(), 3u);
}

TEST_F(PropertySuiteTest, PropertyFaultsRejectWritesOnMatchingSetsOnly) {
    host.faults().failPropertySet("OfxParamPropIncrement", kOfxStatErrUnsupported, "OfxParamTypeInteger");
    PropertySet integer("OfxParamTypeInteger:Start Day");
    PropertySet integer2D("OfxParamTypeInteger2D:Size");
    integer.setHost(&host);
    integer2D.setHost(&host);
    EXPECT_EQ(suite->propSetInt(integer.handle(), "OfxParamPropIncrement", 0, 1), kOfxStatErrUnsupported);
    EXPECT_FALSE(integer.has("OfxParamPropIncrement"));
    EXPECT_EQ(suite->propSetInt(integer2D.handle(), "OfxParamPropIncrement", 0, 1), kOfxStatOK);
    EXPECT_EQ(suite->propSetInt(integer.handle(), "OfxParamPropMin", 0, 1), kOfxStatOK);
    EXPECT_EQ(host.calls().matching("propSetInt").front().status, kOfxStatErrUnsupported);
}

TEST_F(PropertySuiteTest, ReadFaultsRefuseGetsOnMatchingSetsAndLeaveTheOutputs) {
    host.faults().failPropertyGet("OfxImagePropRowBytes", kOfxStatErrUnknown, "OfxImage");
    PropertySet image("OfxImage:Output");
    PropertySet other("OfxImageClip:Output");
    image.setHost(&host);
    other.setHost(&host);
    image.defineInt("OfxImagePropRowBytes", {256});
    other.defineInt("OfxImagePropRowBytes", {128});
    int rowBytes = -1;
    EXPECT_EQ(suite->propGetInt(image.handle(), "OfxImagePropRowBytes", 0, &rowBytes), kOfxStatErrUnknown);
    EXPECT_EQ(suite->propGetIntN(image.handle(), "OfxImagePropRowBytes", 1, &rowBytes), kOfxStatErrUnknown);
    EXPECT_EQ(rowBytes, -1);
    EXPECT_EQ(suite->propGetInt(other.handle(), "OfxImagePropRowBytes", 0, &rowBytes), kOfxStatOK);
    EXPECT_EQ(rowBytes, 128);
    // Writes are not reads.
    EXPECT_EQ(suite->propSetInt(image.handle(), "OfxImagePropRowBytes", 0, 64), kOfxStatOK);
}

TEST(PropertySetCopy, ACopyIsIndependentAndHasItsOwnHandle) {
    PropertySet a("a");
    a.defineString("S", {"one"});
    PropertySet b = a;
    EXPECT_NE(a.handle(), b.handle());
    EXPECT_EQ(PropertySet::fromHandle(b.handle()), &b);
    b.setString("S", 0, "two");
    EXPECT_EQ(a.getString("S"), "one");
    EXPECT_EQ(b.getString("S"), "two");
    EXPECT_THROW(a.getInt("S"), std::logic_error);
    EXPECT_THROW(a.getString("S", 1), std::out_of_range);
    EXPECT_THROW(a.getString("Nope"), std::out_of_range);
}

}  // namespace
}  // namespace horavex::host
