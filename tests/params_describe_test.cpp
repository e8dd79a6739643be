// What a host sees when it describes the plug-in: its properties, its clips in
// both contexts and the 57 parameters with every property a panel shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/HostBuilders.h"

namespace horavex::host::testing {
namespace {

struct ExpectedParam {
    const char* name;
    const char* type;
    const char* parent;  // "" for top level
    const char* label;
    const char* hint;
    const char* scriptName;  // nullptr: not set
    int animates;            // -1: not set
};

constexpr const char* kTime = "Time Parameters";
constexpr const char* kAna = "AnalogueClock";
constexpr const char* kDig = "DigitalClock";
constexpr const char* kKey = "KeyParams";
constexpr const char* kTimer = "Timer and Timecode";
constexpr const char* kChoice = "OfxParamTypeChoice";
constexpr const char* kRGBA = "OfxParamTypeRGBA";
constexpr const char* kDouble = "OfxParamTypeDouble";
constexpr const char* kInt = "OfxParamTypeInteger";
constexpr const char* kBool = "OfxParamTypeBoolean";
constexpr const char* kGroup = "OfxParamTypeGroup";

// The parameter table users' projects depend on, written out independently of
// the code that declares it.
const std::vector<ExpectedParam>& expectedParams() {
    static const std::vector<ExpectedParam> params = {
        {"ClockChoice", kChoice, "", "ClockChoice", "Select Clock", nullptr, 0},
        {"corner1", "OfxParamTypeDouble2D", "", "Clock Centre", "Centre of the Clock", nullptr, 0},
        {"Main Colour", kRGBA, "", "Main Colour", "The colour of the Clock", "Main Colour", 1},
        {"Background Colour", kRGBA, "", "Background Colour", "Background colour of the Clock", "Background Colour", 1},
        {"ClockSize", kDouble, "", "ClockSize", "ClockSize", "ClockSize", 1},
        {"Time Parameters", kGroup, "", "Time Parameters", "Time Parameters", nullptr, -1},
        {"AnalogueClock", kGroup, "", "Analogue Clock Params", "Parameter for analogue clock", nullptr, -1},
        {"Run clock backwards", kBool, kTime, "Run clock backwards", "Run clock backwards", "Run clock backwards", 1},
        {"Speed Factor", kDouble, kTime, "Speed Factor", "Speed Factor", "Speed Factor", 1},
        {"Start Day", kInt, kTime, "Start Day", "Start Day", "Start Day", 1},
        {"Start Month", kInt, kTime, "Start Month", "Start Month", "Start Month", 1},
        {"Start Year", kInt, kTime, "Start Year", "Start Year", "Start Year", 1},
        {"Start Hour", kInt, kTime, "Start Hour", "Start Hour", "Start Hour", 1},
        {"Start Minute", kInt, kTime, "Start Minute", "Start Minute", "Start Minute", 1},
        {"Start Second", kDouble, kTime, "Start Second", "Start Second", "Start Second", 1},
        {"Stop Day", kInt, kTime, "Stop Day", "Stop Day", "Stop Day", 1},
        {"Stop Month", kInt, kTime, "Stop Month", "Stop Month", "Stop Month", 1},
        {"Stop Year", kInt, kTime, "Stop Year", "Stop Year", "Stop Year", 1},
        {"Stop Hour", kInt, kTime, "Stop Hour", "Stop Hour", "Stop Hour", 1},
        {"Stop Minute", kInt, kTime, "Stop Minute", "Stop Minute", "Stop Minute", 1},
        {"Stop Second", kDouble, kTime, "Stop Second", "Stop Second", "Stop Second", 1},
        {"Hour Size", kDouble, kAna, "Hour Size", "Hour Size", "Hour Size", 1},
        {"Hour Length", kDouble, kAna, "Hour Length", "Hour Length", "Hour Length", 1},
        {"Hour Colour", kRGBA, kAna, "Hour Colour", "Hour Colour", "Hour Colour", 1},
        {"Use Hour Colour", kBool, kAna, "Use Hour Colour", "Use Hour Colour", "Use Hour Colour", 1},
        {"Minute Size", kDouble, kAna, "Minute Size", "Minute Size", "Minute Size", 1},
        {"Minute Length", kDouble, kAna, "Minute Length", "Minute Length", "Minute Length", 1},
        {"Minute Colour", kRGBA, kAna, "Minute Colour", "Minute Colour", "Minute Colour", 1},
        {"Use Minute Colour", kBool, kAna, "Use Minute Colour", "Use Minute Colour", "Use Minute Colour", 1},
        {"Second Size", kDouble, kAna, "Second Size", "Second Size", "Second Size", 1},
        {"Second Length", kDouble, kAna, "Second Length", "Second Length", "Second Length", 1},
        {"Second Colour", kRGBA, kAna, "Second Colour", "Second Colour", "Second Colour", 1},
        {"Use Second Colour", kBool, kAna, "Use Second Colour", "Use Second Colour", "Use Second Colour", 1},
        {"Point Size", kDouble, kAna, "Point Size", "Point Size", "Point Size", 1},
        {"Point Length", kDouble, kAna, "Point Length", "Point Length", "Point Length", 1},
        {"Point Colour", kRGBA, kAna, "Point Colour", "Point Colour", "Point Colour", 1},
        {"Use Point Colour", kBool, kAna, "Use Point Colour", "Use Point Colour", "Use Point Colour", 1},
        {"DigitalClock", kGroup, "", "Digital and LED Clock Params", "Parameter for digital and LED clock", nullptr, -1},
        {"Dig Clock Format", kChoice, kDig, "Digital Clock Format", "Select Clock Format", nullptr, 0},
        {"Button_Font", "OfxParamTypePushButton", kDig, "Font", "Select Font", nullptr, -1},
        {"Dig Clock Free Format", "OfxParamTypeString", kDig, "Free Format String", "Dig Clock Free Format",
         "Dig Clock Free Format", 0},
        {"FontParam", "OfxParamTypeString", kDig, "Font", "Font", "Font", 0},
        {"KeyParams", kGroup, "", "Keying Params", "Parameter for Keying a Colour", nullptr, -1},
        {"Key Colour", kRGBA, kKey, "Key Colour", "Key Colour", "Key Colour", 1},
        {"Use Key Colour", kChoice, kKey, "Keying Mode", "Select Keying Mode", nullptr, 0},
        // Added later, after every parameter that saved projects hold.
        {"Timer and Timecode", kGroup, "", "Timer and Timecode", "Stopwatch, countdown and the layout of the digits",
         nullptr, -1},
        {"Mode", kChoice, kTimer, "Mode",
         "What the clock shows: the time of day, the time since the start, or the time left", nullptr, 0},
        {"Duration Hours", kInt, kTimer, "Duration Hours", "Hours of the countdown's duration", "Duration Hours", 1},
        {"Duration Minutes", kInt, kTimer, "Duration Minutes", "Minutes of the countdown's duration",
         "Duration Minutes", 1},
        {"Duration Seconds", kInt, kTimer, "Duration Seconds", "Seconds of the countdown's duration",
         "Duration Seconds", 1},
        {"Duration Milliseconds", kInt, kTimer, "Duration Milliseconds", "Milliseconds of the countdown's duration",
         "Duration Milliseconds", 1},
        {"Show Overtime", kBool, kTimer, "Show Overtime",
         "Past zero, count on with a leading minus instead of holding at zero", "Show Overtime", 1},
        {"Overtime Colour", kRGBA, kTimer, "Overtime Colour", "The colour of the clock in overtime", "Overtime Colour",
         1},
        {"Use Overtime Colour", kBool, kTimer, "Use Overtime Colour", "Draw the clock in the overtime colour past zero",
         "Use Overtime Colour", 1},
        {"Fixed-width digits", kBool, kTimer, "Fixed-width digits",
         "Every digit as wide as the widest, so a running clock keeps still", "Fixed-width digits", 1},
        {"Frame Rate", kChoice, kTimer, "Frame Rate",
         "The rate the clock counts frames at: the host's, or the project's rate where the host gives none or the "
         "wrong one",
         nullptr, 0},
        {"Custom Frame Rate", kDouble, kTimer, "Custom Frame Rate", "Frames per second when \"Frame Rate\" is Custom",
         "Custom Frame Rate", 1},
    };
    return params;
}

struct NumericRange {
    const char* name;
    double defaultValue;
    double minimum;
    double displayMaximum;
    double increment;
};

const std::vector<NumericRange>& expectedRanges() {
    static const std::vector<NumericRange> ranges = {
        {"ClockSize", 0.5, 0.0, 1.0, 0.01},       {"Speed Factor", 1.0, 0.0, 9999.0, 0.01},
        {"Start Day", 0, 1, 31, 1},               {"Stop Day", 0, 1, 31, 1},
        {"Start Month", 0, 1, 12, 1},             {"Stop Month", 0, 1, 12, 1},
        {"Start Year", 0, 1970, 2099, 1},         {"Stop Year", 0, 1970, 2099, 1},
        {"Start Hour", 0, 0, 23, 1},              {"Stop Hour", 0, 0, 23, 1},
        {"Start Minute", 0, 0, 59, 1},            {"Stop Minute", 0, 0, 59, 1},
        {"Start Second", 0.0, 0.0, 59.0, 0.001},  {"Stop Second", 0.0, 0.0, 59.0, 0.001},
        {"Hour Size", 100.0, 0.0, 100.0, 1.0},    {"Minute Size", 100.0, 0.0, 100.0, 1.0},
        {"Second Size", 100.0, 0.0, 100.0, 1.0},  {"Point Size", 100.0, 0.0, 100.0, 1.0},
        {"Hour Length", 50.0, 0.0, 100.0, 1.0},   {"Minute Length", 70.0, 0.0, 100.0, 1.0},
        {"Second Length", 80.0, 0.0, 100.0, 1.0}, {"Point Length", 50.0, 0.0, 100.0, 1.0},
        {"Duration Hours", 0, 0, 99, 1},         {"Duration Minutes", 5, 0, 59, 1},
        {"Duration Seconds", 0, 0, 59, 1},       {"Duration Milliseconds", 0, 0, 999, 1},
        {"Custom Frame Rate", 25.0, 1.0, 1000.0, 0.001},
    };
    return ranges;
}

double numberAt(const PropertySet& props, const char* name, int index = 0) {
    return props.type(name) == PropertyType::Int ? props.getInt(name, index) : props.getDouble(name, index);
}

class Described : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        session = loadPlugin();
        ASSERT_EQ(session.host->describeInContext(GetParam()), kOfxStatOK);
        descriptor = session.host->descriptor(GetParam());
        ASSERT_NE(descriptor, nullptr);
    }
    PluginSession session;
    ImageEffect* descriptor = nullptr;
};

TEST_P(Described, DefinesExactlyTheParametersInOrder) {
    const auto& expected = expectedParams();
    const std::vector<Param*> params = descriptor->params().list();
    ASSERT_EQ(params.size(), 57u);
    ASSERT_EQ(expected.size(), 57u);
    for (size_t i = 0; i < expected.size(); ++i) {
        const ExpectedParam& e = expected[i];
        const Param& p = *params[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(p.name(), e.name);
        EXPECT_EQ(p.type(), e.type);
        const PropertySet& props = p.props();
        EXPECT_EQ(props.getString(kOfxPropLabel), e.label);
        EXPECT_EQ(props.getString(kOfxParamPropHint), e.hint);
        const auto order = props.setOrder();
        auto wasSet = [&](const char* property) {
            return std::find(order.begin(), order.end(), property) != order.end();
        };
        if (e.parent[0] == '\0') {
            EXPECT_FALSE(wasSet(kOfxParamPropParent));
        } else {
            EXPECT_EQ(props.getString(kOfxParamPropParent), e.parent);
        }
        if (e.scriptName != nullptr) {
            EXPECT_EQ(props.getString(kOfxParamPropScriptName), e.scriptName);
        } else {
            EXPECT_FALSE(wasSet(kOfxParamPropScriptName));
        }
        if (e.animates >= 0) {
            // Hosts take a parameter whose animation is not declared as
            // animating, so one that must not animate says so.
            EXPECT_TRUE(wasSet(kOfxParamPropAnimates));
            EXPECT_EQ(props.getInt(kOfxParamPropAnimates), e.animates);
        } else {
            EXPECT_FALSE(wasSet(kOfxParamPropAnimates));
        }
        // No parameter has a hard maximum: values above the display range reach the clock.
        EXPECT_FALSE(wasSet(kOfxParamPropMax));
    }
}

TEST_P(Described, NumericParametersCarryTheirDefaultsAndRanges) {
    for (const NumericRange& r : expectedRanges()) {
        SCOPED_TRACE(r.name);
        const PropertySet& props = descriptor->params().get(r.name).props();
        EXPECT_DOUBLE_EQ(numberAt(props, kOfxParamPropDefault), r.defaultValue);
        EXPECT_DOUBLE_EQ(numberAt(props, kOfxParamPropMin), r.minimum);
        EXPECT_DOUBLE_EQ(numberAt(props, kOfxParamPropDisplayMin), r.minimum);
        EXPECT_DOUBLE_EQ(numberAt(props, kOfxParamPropDisplayMax), r.displayMaximum);
        EXPECT_DOUBLE_EQ(numberAt(props, kOfxParamPropIncrement), r.increment);
        if (descriptor->params().get(r.name).type() == kDouble) {
            EXPECT_EQ(props.getString(kOfxParamPropDoubleType), kOfxParamDoubleTypeScale);
            EXPECT_EQ(props.setOrder().front(), kOfxParamPropDoubleType);
        }
    }
}

TEST_P(Described, ColoursChoicesStringsAndCentreHaveTheirDefaults) {
    const ParamSet& params = descriptor->params();
    auto colour = [&](const char* name) { return params.get(name).props().getDoubles(kOfxParamPropDefault); };
    EXPECT_EQ(colour("Main Colour"), (std::vector<double>{1, 1, 1, 1}));
    EXPECT_EQ(colour("Background Colour"), (std::vector<double>{0, 0, 0, 1}));
    EXPECT_EQ(colour("Hour Colour"), (std::vector<double>{1, 1, 1, 1}));
    EXPECT_EQ(colour("Key Colour"), (std::vector<double>{0, 1, 0, 1}));
    EXPECT_EQ(params.get("Key Colour").props().getString(kOfxParamPropDoubleType), kOfxParamDoubleTypeTime);

    EXPECT_EQ(params.get("ClockChoice").props().getStrings(kOfxParamPropChoiceOption),
              (std::vector<std::string>{"Analogue Clock", "Digital Clock", "LED Clock"}));
    const auto formats = params.get("Dig Clock Format").props().getStrings(kOfxParamPropChoiceOption);
    ASSERT_EQ(formats.size(), 16u);
    EXPECT_EQ(formats.front(), "hh:mm:ss.mmm");
    EXPECT_EQ(formats[9], "hh:mm:ss,ff");
    // Saved projects store the index: new formats only ever go after the old ones.
    EXPECT_EQ(formats[13], "Free Format");
    EXPECT_EQ(formats[14], "Timecode hh:mm:ss:ff");
    EXPECT_EQ(formats[15], "Timecode drop-frame hh:mm:ss;ff");
    const PropertySet& mode = params.get("Mode").props();
    EXPECT_EQ(mode.getStrings(kOfxParamPropChoiceOption),
              (std::vector<std::string>{"Time of Day", "Stopwatch", "Countdown"}));
    EXPECT_EQ(mode.getInt(kOfxParamPropDefault), 0);
    const auto modeOrder = mode.setOrder();
    EXPECT_NE(std::find(modeOrder.begin(), modeOrder.end(), kOfxParamPropDefault), modeOrder.end());
    EXPECT_EQ(colour("Overtime Colour"), (std::vector<double>{1, 0, 0, 1}));
    // "From Host" first, so that every project saved before keeps the host's rate.
    const PropertySet& rate = params.get("Frame Rate").props();
    EXPECT_EQ(rate.getStrings(kOfxParamPropChoiceOption),
              (std::vector<std::string>{"From Host", "23.976", "24", "25", "29.97", "30", "47.952", "48", "50",
                                        "59.94", "60", "119.88", "120", "Custom"}));
    EXPECT_EQ(rate.getInt(kOfxParamPropDefault), 0);
    EXPECT_EQ(params.get("Custom Frame Rate").props().getInt(kOfxParamPropEnabled), 0);
    for (const char* name : {"Show Overtime", "Use Overtime Colour", "Fixed-width digits"}) {
        EXPECT_EQ(params.get(name).props().getInt(kOfxParamPropDefault), 0) << name;
    }
    EXPECT_EQ(params.get("Use Key Colour").props().getStrings(kOfxParamPropChoiceOption),
              (std::vector<std::string>{"No Key - Composite with Source",
                                        "Use Key Colour - Composite with Lower Layer"}));

    const PropertySet& font = params.get("FontParam").props();
    EXPECT_EQ(font.getString(kOfxParamPropDefault), "27 0 0 0 400 34 Arial");
    EXPECT_EQ(font.getInt(kOfxParamPropSecret), 1);
    EXPECT_EQ(font.getString(kOfxParamPropStringMode), kOfxParamStringIsSingleLine);
    const PropertySet& free = params.get("Dig Clock Free Format").props();
    EXPECT_EQ(free.getString(kOfxParamPropDefault), " ");
    EXPECT_EQ(free.getString(kOfxParamPropStringMode), kOfxParamStringIsMultiLine);

    const PropertySet& centre = params.get("corner1").props();
    EXPECT_EQ(centre.getDoubles(kOfxParamPropDefault), (std::vector<double>{0.5, 0.5}));
    EXPECT_EQ(centre.getString(kOfxParamPropDefaultCoordinateSystem), kOfxParamCoordinatesNormalised);
    EXPECT_EQ(centre.getString(kOfxParamPropDoubleType), kOfxParamDoubleTypeXYAbsolute);
    // A thousandth of the frame a step, across and up alike.
    EXPECT_EQ(centre.getDoubles(kOfxParamPropIncrement), (std::vector<double>{0.001, 0.001}));
    EXPECT_EQ(centre.getInt(kOfxParamPropUseHostOverlayHandle), 1);
}

// Hosts that list a choice's options only beside a default (MLT's metadata,
// which editors build their panels from) need the default said explicitly.
TEST_P(Described, ChoicesSayTheirDefaultExplicitly) {
    for (const char* name : {"ClockChoice", "Dig Clock Format", "Use Key Colour"}) {
        SCOPED_TRACE(name);
        const PropertySet& props = descriptor->params().get(name).props();
        const auto order = props.setOrder();
        EXPECT_NE(std::find(order.begin(), order.end(), kOfxParamPropDefault), order.end());
        EXPECT_EQ(props.getInt(kOfxParamPropDefault), 0);
    }
}

TEST_P(Described, ClipsFollowTheContext) {
    const bool generator = std::string(GetParam()) == kOfxImageEffectContextGenerator;
    const std::vector<std::string> expected =
        generator ? std::vector<std::string>{"Output"} : std::vector<std::string>{"Output", "Source"};
    EXPECT_EQ(descriptor->clipNames(), expected);
    for (const std::string& name : expected) {
        EXPECT_EQ(descriptor->clip(name).props().getString(kOfxImageEffectPropSupportedComponents),
                  kOfxImageComponentRGBA);
    }
}

INSTANTIATE_TEST_SUITE_P(BothContexts, Described,
                         ::testing::Values(kOfxImageEffectContextGenerator, kOfxImageEffectContextFilter));

TEST(Describe, SetsThePluginPropertiesInOrder) {
    PluginSession session = loadPlugin();
    const PropertySet& props = session.host->descriptor().props();
    EXPECT_EQ(props.getString(kOfxPropLabel), "Horavex");
    EXPECT_EQ(props.getString(kOfxImageEffectPluginPropGrouping), "OFX-Quandel");
    EXPECT_EQ(props.getStrings(kOfxImageEffectPropSupportedContexts),
              (std::vector<std::string>{kOfxImageEffectContextGenerator, kOfxImageEffectContextFilter}));
    EXPECT_EQ(props.getStrings(kOfxImageEffectPropSupportedPixelDepths),
              (std::vector<std::string>{kOfxBitDepthByte, kOfxBitDepthFloat}));
    EXPECT_EQ(props.getInt(kOfxImageEffectPluginPropFieldRenderTwiceAlways), 0);
    EXPECT_EQ(props.getInt(kOfxImageEffectFrameVarying), 1);
    EXPECT_EQ(props.getInt(kOfxImageEffectPropSupportsMultipleClipDepths), 0);
    // Any window of a frame, on several threads at once: the clock is laid out
    // on the whole frame and the instance's shared state is locked.
    EXPECT_EQ(props.getInt(kOfxImageEffectPropSupportsTiles), 1);
    EXPECT_EQ(props.getString(kOfxImageEffectPluginRenderThreadSafety), kOfxImageEffectRenderFullySafe);
    EXPECT_EQ(props.getInt(kOfxImageEffectPluginPropHostFrameThreading), 1);
    const std::vector<std::string> expectedOrder = {
        kOfxImageEffectPluginPropFieldRenderTwiceAlways, kOfxImageEffectFrameVarying,
        kOfxImageEffectPropSupportsMultipleClipDepths,   kOfxImageEffectPropSupportedPixelDepths,
        kOfxPropLabel,                                   kOfxImageEffectPluginPropGrouping,
        kOfxImageEffectPropSupportedContexts,            kOfxImageEffectPropSupportsTiles,
        kOfxImageEffectPluginRenderThreadSafety,         kOfxImageEffectPluginPropHostFrameThreading,
    };
    EXPECT_EQ(props.setOrder(), expectedOrder);
}

TEST(Describe, AFailedDefinitionEndsTheActionWithUnknownErrorKeepingEarlierParameters) {
    PluginSession session = loadPlugin();
    session.host->faults().failParamDefine("Speed Factor", kOfxStatErrValue);
    EXPECT_EQ(session.host->describeInContext(kOfxImageEffectContextFilter), kOfxStatErrUnknown);
    const ImageEffect* descriptor = session.host->descriptor(kOfxImageEffectContextFilter);
    ASSERT_NE(descriptor, nullptr);
    const auto names = descriptor->params().names();
    ASSERT_EQ(names.size(), 8u);
    EXPECT_EQ(names.back(), "Run clock backwards");
}

TEST(Describe, RejectedIncrementsAndColourTypesAreNotAnError) {
    PluginSession session = loadPlugin();
    session.host->faults().failPropertySet(kOfxParamPropIncrement, kOfxStatErrValue, kOfxParamTypeInteger);
    session.host->faults().failPropertySet(kOfxParamPropDoubleType, kOfxStatErrValue, kOfxParamTypeRGBA);
    EXPECT_EQ(session.host->describeInContext(kOfxImageEffectContextGenerator), kOfxStatOK);
    EXPECT_EQ(session.host->descriptor(kOfxImageEffectContextGenerator)->params().size(), 57u);
}

}  // namespace
}  // namespace horavex::host::testing
