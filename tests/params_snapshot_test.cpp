// The parameter snapshot a render takes: values at the render time, converted
// to whole-percent centres, percent sizes and 0..255 channels.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>
#include <cmath>
#include <limits>

#include "core/values/ClockCentre.h"
#include "core/values/SnapshotConversions.h"
#include "adapter/InstanceData.h"
#include "support/HostBuilders.h"

namespace horavex {
namespace {

TEST(SnapshotConversions, CentreMovesInWholePercentFromTheTopLeft) {
    CentrePercent c = centrePercent({0.505, 0.5}, 1.0, 1.0);
    EXPECT_EQ(c.x, 50.0);
    EXPECT_EQ(c.y, 50.0);
    c = centrePercent({0.25, 0.75}, 1.0, 1.0);
    EXPECT_EQ(c.x, 25.0);
    EXPECT_EQ(c.y, 25.0);
}

// A fraction typed exactly keeps its percent, though its product with 100 may
// fall a hair below it (0.29 x 100 is 28.999999999999996).
TEST(SnapshotConversions, TypedFractionsKeepTheirWholePercent) {
    for (int percent = 0; percent <= 100; ++percent) {
        const double fraction = percent / 100.0;
        const CentrePercent centre = centrePercent({fraction, 1.0 - fraction}, 1.0, 1.0);
        EXPECT_EQ(centre.x, percent) << fraction;
        EXPECT_EQ(centre.y, percent) << fraction;
    }
    EXPECT_NE(centrePercent({0.29, 0.5}, 1.0, 1.0).x, centrePercent({0.28, 0.5}, 1.0, 1.0).x);
    EXPECT_NE(centrePercent({0.34, 0.5}, 1.0, 1.0).x, centrePercent({0.35, 0.5}, 1.0, 1.0).x);
    // Below a whole percent by more than rounding, still the percent below.
    EXPECT_EQ(centrePercent({0.28999, 0.5}, 1.0, 1.0).x, 28.0);
    EXPECT_EQ(centrePercent({-0.29, 0.5}, 1.0, 1.0).x, -29.0);
}

TEST(SnapshotConversions, BrokenAspectRatiosAndPositionsStayUsable) {
    const CentrePercent c = centrePercent({std::nan(""), std::nan("")}, 1.0, 1.0);
    EXPECT_EQ(c.x, 0.0);
    EXPECT_EQ(c.y, 0.0);
}

TEST(SnapshotConversions, SizeKeepsItsFractionColoursTruncate) {
    EXPECT_DOUBLE_EQ(clockSizePercent(0.35), 35.0);
    EXPECT_DOUBLE_EQ(clockSizePercent(0.355), 35.5);
    EXPECT_EQ(colourChannel(1.0), 255);
    EXPECT_EQ(colourChannel(0.5), 127);
    EXPECT_EQ(colourChannel(1e300), 255);
    EXPECT_EQ(colourChannel(std::nan("")), 0);
    const OfxRGBAColourB key = colourToBytes({0.0, 1.0, 0.5, 1.0});
    EXPECT_EQ(key.r, 0);
    EXPECT_EQ(key.g, 255);
    EXPECT_EQ(key.b, 127);
    EXPECT_EQ(key.a, 255);
}

// A host may hand colours outside 0..1 (HDR pickers, expressions); they
// saturate instead of wrapping to an unrelated colour.
TEST(SnapshotConversions, OutOfRangeColourChannelsSaturate) {
    struct Row {
        double channel;
        int expected;
    };
    const Row rows[] = {{1.2, 255},  {-0.1, 0},     {1.0000001, 255}, {2.0, 255},
                        {-1e300, 0}, {1e300, 255},  {-0.0, 0},        {0.999, 254},
                        {257.0, 255}, {-257.0, 0}, {std::numeric_limits<double>::infinity(), 255},
                        {-std::numeric_limits<double>::infinity(), 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.channel);
        EXPECT_EQ(colourChannel(row.channel), row.expected);
        const OfxRGBAColourB key = colourToBytes({row.channel, row.channel, row.channel, row.channel});
        EXPECT_EQ(key.r, row.expected);
        EXPECT_EQ(key.g, row.expected);
        EXPECT_EQ(key.b, row.expected);
        EXPECT_EQ(key.a, row.expected);
    }
}

TEST(SnapshotConversions, OutOfRangeIntegersClampInsteadOfWrapping) {
    EXPECT_EQ(narrowParam(23), 23);
    EXPECT_EQ(narrowParam(70000), 32767);
    EXPECT_EQ(narrowParam(-70000), -32768);
}

}  // namespace

namespace host::testing {
namespace {

class SnapshotThroughHost : public ::testing::Test {
protected:
    void SetUp() override {
        session = loadEffect(kOfxImageEffectContextFilter);
        images = attachFrame(*session.effect, imageSpec({0, 0, 32, 18}));
    }
    const ClockValues& values() const {
        return static_cast<const ClockInstanceData*>(session.effect->instanceData())->values;
    }
    OfxStatus renderAt(double time) { return session.effect->render(time, {0, 0, 32, 18}); }
    PluginSession session;
    FrameImages images;
};

TEST_F(SnapshotThroughHost, TakesAnimatedValuesAtTheRenderTime) {
    Effect& e = *session.effect;
    e.param("Start Hour").addKey(0.0, {2.0});
    e.param("Start Hour").addKey(10.0, {12.0});
    e.param("ClockSize").addKey(0.0, {0.2});
    e.param("ClockSize").addKey(10.0, {0.4});
    e.param("Main Colour").addKey(0.0, {0.0, 0.0, 0.0, 1.0});
    e.param("Main Colour").addKey(10.0, {1.0, 0.5, 0.0, 1.0});
    ASSERT_EQ(renderAt(5.0), kOfxStatOK);
    EXPECT_EQ(values().startHour, 7);
    EXPECT_NEAR(values().clockSizePercent, 30.0, 1e-9);
    EXPECT_EQ(values().mainColour.red, 127);
    EXPECT_EQ(values().mainColour.green, 63);
    ASSERT_EQ(renderAt(10.0), kOfxStatOK);
    EXPECT_EQ(values().startHour, 12);
    EXPECT_EQ(values().mainColour.red, 255);
}

TEST_F(SnapshotThroughHost, ConvertsEveryKindOfValue) {
    Effect& e = *session.effect;
    e.param("ClockChoice").setInt(2);
    e.param("Dig Clock Format").setInt(11);
    e.setSpatialFraction("corner1", 0.25, 0.75);
    e.param("Start Day").setInt(3);
    e.param("Start Month").setInt(4);
    e.param("Start Year").setInt(2018);
    e.param("Start Second").setDouble(2.3);
    e.param("Stop Hour").setInt(9);
    e.param("Run clock backwards").setInt(1);
    e.param("Speed Factor").setDouble(20000.0);
    e.param("Hour Size").setDouble(42.0);
    e.param("Use Point Colour").setInt(1);
    e.param("Key Colour").setDoubleN({1.0, 0.0, 0.5, 0.2});
    e.param("Use Key Colour").setInt(1);
    ASSERT_EQ(renderAt(0.0), kOfxStatOK);
    const ClockValues& v = values();
    EXPECT_EQ(v.clockStyle, 2);
    EXPECT_EQ(v.digitalFormat, 11);
    EXPECT_EQ(v.centreXPercent, 25.0);
    EXPECT_EQ(v.centreYPercent, 25.0);
    EXPECT_EQ(v.startDay, 3);
    EXPECT_EQ(v.startMonth, 4);
    EXPECT_EQ(v.startYear, 2018);
    EXPECT_DOUBLE_EQ(v.startSecond, 2.3);
    EXPECT_EQ(v.stopHour, 9);
    EXPECT_EQ(v.runBackwards, 1);
    EXPECT_DOUBLE_EQ(v.speedFactor, 20000.0);
    EXPECT_DOUBLE_EQ(v.hourSize, 42.0);
    EXPECT_EQ(v.usePointColour, 1);
    EXPECT_EQ(v.keyColour.r, 255);
    EXPECT_EQ(v.keyColour.b, 127);
    EXPECT_EQ(v.keyColour.a, 51);
    EXPECT_EQ(v.keyMode, 1);
    // Parameters' defaults replace the record's starting values.
    EXPECT_EQ(v.mainColour.alpha, 255);
    EXPECT_DOUBLE_EQ(v.minuteLength, 70.0);
}

// The record's starting values stand in for a parameter until its first read
// succeeds, so they must be what the parameter declares as its default. The
// only exceptions are the record's own documented starting values for the
// colours and the start date, and the fields no parameter drives.
TEST_F(SnapshotThroughHost, StartingValuesAreTheDeclaredDefaultsButForTheDocumentedOnes) {
    ASSERT_EQ(renderAt(0.0), kOfxStatOK);
    ClockValues fromDefaults = values();
    const ClockValues starting;

    // Documented starting values that differ from the declared defaults:
    // a clock of 35 % and hands of half size where the parameters say 50 %
    // and 100 %, colours 39 % opaque white or black, the start date
    // 1 January 2018 (the declared date defaults of 0 lie below the
    // parameters' minimums).
    EXPECT_EQ(fromDefaults.clockSizePercent, 50.0);
    fromDefaults.clockSizePercent = 35.0;
    for (double* handSize : {&fromDefaults.hourSize, &fromDefaults.minuteSize, &fromDefaults.secondSize,
                             &fromDefaults.pointSize}) {
        EXPECT_EQ(*handSize, 100.0);
        *handSize = 50.0;
    }
    EXPECT_EQ(fromDefaults.mainColour, (ChannelColour{255, 255, 255, 255}));
    fromDefaults.mainColour = ChannelColour{255, 255, 255, 100};
    EXPECT_EQ(fromDefaults.backgroundColour, (ChannelColour{0, 0, 0, 255}));
    fromDefaults.backgroundColour = ChannelColour{0, 0, 0, 100};
    for (ChannelColour* hand : {&fromDefaults.hourColour, &fromDefaults.minuteColour, &fromDefaults.secondColour,
                                &fromDefaults.pointColour}) {
        EXPECT_EQ(*hand, (ChannelColour{255, 255, 255, 255}));
        *hand = ChannelColour{0, 0, 0, 100};
    }
    EXPECT_EQ(fromDefaults.startDay, 0);
    EXPECT_EQ(fromDefaults.startMonth, 0);
    EXPECT_EQ(fromDefaults.startYear, 0);
    fromDefaults.startDay = 1;
    fromDefaults.startMonth = 1;
    fromDefaults.startYear = 2018;
    // Not parameters: they describe the image and the host, not the clock.
    fromDefaults.renderScaleX = starting.renderScaleX;
    fromDefaults.renderScaleY = starting.renderScaleY;
    fromDefaults.pixelAspectRatio = starting.pixelAspectRatio;
    fromDefaults.centreMapping = starting.centreMapping;

    // Field by field for a readable failure, then the whole record, so that a
    // field added later is compared too.
#define HORAVEX_EXPECT_FIELD(field) EXPECT_EQ(starting.field, fromDefaults.field) << #field
    HORAVEX_EXPECT_FIELD(clockStyle);
    HORAVEX_EXPECT_FIELD(centreXPercent);
    HORAVEX_EXPECT_FIELD(centreYPercent);
    HORAVEX_EXPECT_FIELD(clockSizePercent);
    HORAVEX_EXPECT_FIELD(startHour);
    HORAVEX_EXPECT_FIELD(startMinute);
    HORAVEX_EXPECT_FIELD(startSecond);
    HORAVEX_EXPECT_FIELD(stopHour);
    HORAVEX_EXPECT_FIELD(stopMinute);
    HORAVEX_EXPECT_FIELD(stopSecond);
    HORAVEX_EXPECT_FIELD(runBackwards);
    HORAVEX_EXPECT_FIELD(digitalFormat);
    HORAVEX_EXPECT_FIELD(speedFactor);
    HORAVEX_EXPECT_FIELD(secondSize);
    HORAVEX_EXPECT_FIELD(secondLength);
    HORAVEX_EXPECT_FIELD(useSecondColour);
    HORAVEX_EXPECT_FIELD(minuteSize);
    HORAVEX_EXPECT_FIELD(minuteLength);
    HORAVEX_EXPECT_FIELD(useMinuteColour);
    HORAVEX_EXPECT_FIELD(hourSize);
    HORAVEX_EXPECT_FIELD(hourLength);
    HORAVEX_EXPECT_FIELD(useHourColour);
    HORAVEX_EXPECT_FIELD(pointSize);
    HORAVEX_EXPECT_FIELD(pointLength);
    HORAVEX_EXPECT_FIELD(usePointColour);
    HORAVEX_EXPECT_FIELD(drawMarks);
    HORAVEX_EXPECT_FIELD(drawMinuteMarks);
    HORAVEX_EXPECT_FIELD(drawSecondHand);
    HORAVEX_EXPECT_FIELD(drawMinuteHand);
    HORAVEX_EXPECT_FIELD(drawHourHand);
    EXPECT_TRUE(starting.keyColour == fromDefaults.keyColour) << "keyColour";
    HORAVEX_EXPECT_FIELD(keyMode);
    HORAVEX_EXPECT_FIELD(clockMode);
    HORAVEX_EXPECT_FIELD(countdownHours);
    HORAVEX_EXPECT_FIELD(countdownMinutes);
    HORAVEX_EXPECT_FIELD(countdownSeconds);
    HORAVEX_EXPECT_FIELD(countdownMilliseconds);
    HORAVEX_EXPECT_FIELD(showOvertime);
    HORAVEX_EXPECT_FIELD(overtimeColour);
    HORAVEX_EXPECT_FIELD(useOvertimeColour);
    HORAVEX_EXPECT_FIELD(fixedWidthDigits);
#undef HORAVEX_EXPECT_FIELD
    EXPECT_TRUE(starting == fromDefaults);
}

TEST_F(SnapshotThroughHost, ChoicesAreReadAsTheyAreNowNotAtTheRenderTime) {
    Effect& e = *session.effect;
    e.param("ClockChoice").setInt(1);
    e.param("ClockChoice").addKey(50.0, {2.0});
    ASSERT_EQ(renderAt(50.0), kOfxStatOK);
    EXPECT_EQ(values().clockStyle, session.effect->param("ClockChoice").intValue());
}

// Canonical x is pixel x times the ratio, so a centred clock stays centred on
// wide pixels (dividing the fraction by the ratio once put it a quarter in).
TEST_F(SnapshotThroughHost, WidePixelsKeepACentredClockCentred) {
    EffectConfig wide;
    wide.pixelAspectRatio = 2.0;
    wide.projectSize = {64.0, 18.0};
    session = loadEffect(kOfxImageEffectContextFilter, pluginBundlePath(), wide);
    ImageSpec layout = imageSpec({0, 0, 32, 18});
    layout.pixelAspectRatio = 2.0;
    attachFrame(*session.effect, layout);
    ASSERT_EQ(renderAt(0.0), kOfxStatOK);
    EXPECT_EQ(values().centreXPercent, 50.0);
    EXPECT_EQ(values().centreYPercent, 50.0);
    EXPECT_DOUBLE_EQ(values().pixelAspectRatio, 2.0);
}

TEST_F(SnapshotThroughHost, TimerParametersStartAtTheirDefaultsAndAreReadAtTheRenderTime) {
    ASSERT_EQ(renderAt(0.0), kOfxStatOK);
    EXPECT_EQ(values().clockMode, 0);
    EXPECT_EQ(values().countdownHours, 0);
    EXPECT_EQ(values().countdownMinutes, 5);
    EXPECT_EQ(values().countdownSeconds, 0);
    EXPECT_EQ(values().countdownMilliseconds, 0);
    EXPECT_EQ(values().showOvertime, 0);
    EXPECT_EQ(values().useOvertimeColour, 0);
    EXPECT_EQ(values().fixedWidthDigits, 0);
    EXPECT_EQ(values().frameRateChoice, 0);
    EXPECT_EQ(values().customFrameRate, 25.0);
    EXPECT_EQ(values().overtimeColour.red, 255);
    EXPECT_EQ(values().overtimeColour.green, 0);
    EXPECT_EQ(values().overtimeColour.alpha, 255);

    Effect& e = *session.effect;
    e.param("Mode").setInt(2);
    e.param("Duration Hours").addKey(0.0, {0.0});
    e.param("Duration Hours").addKey(10.0, {10.0});
    e.param("Duration Minutes").setInt(90);
    e.param("Duration Seconds").setInt(-3);
    e.param("Duration Milliseconds").setInt(std::numeric_limits<int>::max());
    e.param("Show Overtime").setInt(1);
    e.param("Overtime Colour").setDoubleN({std::nan(""), 1e300, 0.5, 1.0});
    e.param("Use Overtime Colour").setInt(1);
    e.param("Fixed-width digits").setInt(1);
    ASSERT_EQ(renderAt(5.0), kOfxStatOK);
    const ClockValues& v = values();
    EXPECT_EQ(v.clockMode, 2);
    EXPECT_EQ(v.countdownHours, 5);
    EXPECT_EQ(v.countdownMinutes, 90);
    EXPECT_EQ(v.countdownSeconds, -3);
    EXPECT_EQ(v.countdownMilliseconds, std::numeric_limits<int>::max());
    EXPECT_EQ(v.showOvertime, 1);
    EXPECT_EQ(v.overtimeColour.red, 0);
    EXPECT_EQ(v.overtimeColour.green, 255);  // saturates like every colour
    EXPECT_EQ(v.overtimeColour.blue, 127);
    EXPECT_EQ(v.useOvertimeColour, 1);
    EXPECT_EQ(v.fixedWidthDigits, 1);
}

// Every handle fetched under its own name: each parameter gets a value no
// other one has, and each must land in its own field.
TEST_F(SnapshotThroughHost, EveryParameterLandsInItsOwnField) {
    Effect& e = *session.effect;
    struct Case {
        const char* name;
        double value;
        std::function<double(const ClockValues&)> field;
    };
    const std::vector<Case> cases = {
        {"ClockChoice", 2, [](const ClockValues& v) { return v.clockStyle; }},
        {"Dig Clock Format", 7, [](const ClockValues& v) { return v.digitalFormat; }},
        {"ClockSize", 0.31, [](const ClockValues& v) { return v.clockSizePercent / 100.0; }},
        {"Start Day", 3, [](const ClockValues& v) { return v.startDay; }},
        {"Start Month", 5, [](const ClockValues& v) { return v.startMonth; }},
        {"Start Year", 2031, [](const ClockValues& v) { return v.startYear; }},
        {"Start Hour", 6, [](const ClockValues& v) { return v.startHour; }},
        {"Start Minute", 8, [](const ClockValues& v) { return v.startMinute; }},
        {"Start Second", 9.5, [](const ClockValues& v) { return v.startSecond; }},
        {"Stop Hour", 10, [](const ClockValues& v) { return v.stopHour; }},
        {"Stop Minute", 11, [](const ClockValues& v) { return v.stopMinute; }},
        {"Stop Second", 12.5, [](const ClockValues& v) { return v.stopSecond; }},
        {"Hour Size", 13, [](const ClockValues& v) { return v.hourSize; }},
        {"Hour Length", 14, [](const ClockValues& v) { return v.hourLength; }},
        {"Minute Size", 15, [](const ClockValues& v) { return v.minuteSize; }},
        {"Minute Length", 16, [](const ClockValues& v) { return v.minuteLength; }},
        {"Second Size", 17, [](const ClockValues& v) { return v.secondSize; }},
        {"Second Length", 18, [](const ClockValues& v) { return v.secondLength; }},
        {"Point Size", 19, [](const ClockValues& v) { return v.pointSize; }},
        {"Point Length", 20, [](const ClockValues& v) { return v.pointLength; }},
        {"Speed Factor", 21, [](const ClockValues& v) { return v.speedFactor; }},
        {"Use Key Colour", 1, [](const ClockValues& v) { return v.keyMode; }},
        {"Frame Rate", 4, [](const ClockValues& v) { return v.frameRateChoice; }},
        {"Custom Frame Rate", 22.5, [](const ClockValues& v) { return v.customFrameRate; }},
        // Colours by their red channel, 0..255.
        {"Main Colour", 10, [](const ClockValues& v) { return v.mainColour.red; }},
        {"Background Colour", 20, [](const ClockValues& v) { return v.backgroundColour.red; }},
        {"Hour Colour", 30, [](const ClockValues& v) { return v.hourColour.red; }},
        {"Minute Colour", 40, [](const ClockValues& v) { return v.minuteColour.red; }},
        {"Second Colour", 50, [](const ClockValues& v) { return v.secondColour.red; }},
        {"Point Colour", 60, [](const ClockValues& v) { return v.pointColour.red; }},
        {"Key Colour", 70, [](const ClockValues& v) { return v.keyColour.r; }},
    };
    for (const Case& c : cases) {
        Param& p = e.param(c.name);
        if (p.type() == kOfxParamTypeRGBA) {
            p.setDoubleN({c.value / 255.0 + 1e-9, 0.0, 0.0, 1.0});
        } else if (p.info().kind == ParamValueKind::Int) {
            p.setInt(static_cast<int>(c.value));
        } else {
            p.setDouble(c.value);
        }
    }
    e.setSpatialFraction("corner1", 0.125, 0.375);
    ASSERT_EQ(renderAt(0.0), kOfxStatOK);
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(c.field(values()), c.value) << c.name;
    }
    EXPECT_EQ(values().centreXPercent, 12.0);
    EXPECT_EQ(values().centreYPercent, 62.0);

    // The switches all take 1, so each is switched on alone.
    const std::vector<std::pair<const char*, int16_t ClockValues::*>> switches = {
        {"Use Hour Colour", &ClockValues::useHourColour},     {"Use Minute Colour", &ClockValues::useMinuteColour},
        {"Use Second Colour", &ClockValues::useSecondColour}, {"Use Point Colour", &ClockValues::usePointColour},
        {"Run clock backwards", &ClockValues::runBackwards},
    };
    for (const auto& [on, onField] : switches) {
        for (const auto& [name, field] : switches) e.param(name).setInt(name == on ? 1 : 0);
        ASSERT_EQ(renderAt(0.0), kOfxStatOK);
        for (const auto& [name, field] : switches) {
            EXPECT_EQ(values().*field, name == on ? 1 : 0) << on << " on, reading " << name;
        }
    }
}

// The format and the style are read as they are now, the keying mode at the
// render time.
TEST_F(SnapshotThroughHost, FormatIsReadNowKeyingModeAtTheRenderTime) {
    Effect& e = *session.effect;
    session.host->timeline().setTime(0.0);
    e.param("Dig Clock Format").addKey(0.0, {3.0});
    e.param("Dig Clock Format").addKey(50.0, {10.0});
    e.param("Use Key Colour").addKey(0.0, {0.0});
    e.param("Use Key Colour").addKey(50.0, {1.0});
    ASSERT_EQ(renderAt(50.0), kOfxStatOK);
    EXPECT_EQ(values().digitalFormat, 3);
    EXPECT_EQ(values().keyMode, 1);
    session.host->timeline().setTime(50.0);
    ASSERT_EQ(renderAt(0.0), kOfxStatOK);
    EXPECT_EQ(values().digitalFormat, 10);
    EXPECT_EQ(values().keyMode, 0);
}

// A read the host refuses leaves the value of the previous render in place.
TEST_F(SnapshotThroughHost, FailedReadsKeepThePreviousValues) {
    Effect& e = *session.effect;
    e.param("Second Length").setDouble(33.0);
    e.param("Start Hour").setInt(7);
    e.param("Main Colour").setDoubleN({1.0, 0.0, 0.0, 1.0});
    e.setSpatialFraction("corner1", 0.25, 0.75);
    e.param("ClockChoice").setInt(2);
    ASSERT_EQ(renderAt(0.0), kOfxStatOK);
    for (const char* name : {"Second Length", "Start Hour", "Main Colour", "corner1", "ClockChoice"}) {
        session.host->faults().failParamRead(name);
    }
    e.param("Second Length").setDouble(44.0);
    e.param("Start Hour").setInt(9);
    e.param("Main Colour").setDoubleN({0.0, 1.0, 0.0, 1.0});
    e.setSpatialFraction("corner1", 0.5, 0.5);
    e.param("ClockChoice").setInt(1);
    ASSERT_EQ(renderAt(0.0), kOfxStatOK);
    EXPECT_DOUBLE_EQ(values().secondLength, 33.0);
    EXPECT_EQ(values().startHour, 7);
    EXPECT_EQ(values().mainColour.red, 255);
    EXPECT_EQ(values().mainColour.green, 0);
    EXPECT_EQ(values().centreXPercent, 25.0);
    EXPECT_EQ(values().centreYPercent, 25.0);
    EXPECT_EQ(values().clockStyle, 2);
}

TEST_F(SnapshotThroughHost, StopDateChangesNothing) {
    ASSERT_EQ(renderAt(3.0), kOfxStatOK);
    const std::vector<std::byte> first(images.output->memory(), images.output->memory() + images.output->memorySize());
    session.effect->param("Stop Day").setInt(17);
    session.effect->param("Stop Month").setInt(9);
    session.effect->param("Stop Year").setInt(2031);
    ASSERT_EQ(renderAt(3.0), kOfxStatOK);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), images.output->memory()));
}

}  // namespace
}  // namespace host::testing
}  // namespace horavex
