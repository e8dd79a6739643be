#include "adapter/Describe.h"

#include <cstring>
#include <initializer_list>

#include "ofxapi/OfxNames.h"
#include "adapter/ParamDefinitions.h"
#include "adapter/ParamNames.h"
#include "adapter/EffectAccess.h"
#include "adapter/HostSuites.h"

namespace horavex {

namespace {

constexpr ColourQuad whitecolour{1, 1, 1, 1};
constexpr ColourQuad blackcolour{0, 0, 0, 1};
constexpr ColourQuad greencolour{0, 1, 0, 1};
constexpr ColourQuad redcolour{0, 0, 1, 1};  // bytes blue, green, red, alpha

// Parameters without a shared definition function are defined here directly;
// the host's statuses for them are not acted on.
PropertySetRef defineDirect(const HostSuites& suites, OfxParamSetHandle paramSet, const char* type, const char* name) {
    OfxPropertySetHandle props = nullptr;
    suites.parameterSuite->paramDefine(paramSet, type, name, &props);
    return {suites.propertySuite, props};
}

void defineChoice(const HostSuites& suites, OfxParamSetHandle paramSet, const char* name, const char* label,
                  const char* hint, std::initializer_list<const char*> options, const char* parent) {
    const PropertySetRef props = defineDirect(suites, paramSet, kOfxParamTypeChoice, name);
    props.setString(kOfxParamPropHint, 0, hint);
    props.setString(kOfxPropLabel, 0, label);
    int index = 0;
    for (const char* option : options) {
        props.setString(kOfxParamPropChoiceOption, index++, option);
    }
    // Index 0 is the standard's default anyway; saying so lets hosts that
    // list options only beside a default (MLT's metadata) show them.
    props.setInt(kOfxParamPropDefault, 0, 0);
    props.setInt(kOfxParamPropAnimates, 0, 0);
    if (parent != nullptr) {
        props.setString(kOfxParamPropParent, 0, parent);
    }
}

// A choice that states its default index, which hosts otherwise take as 0
// only by the standard's word.
void defineChoiceWithDefault(const HostSuites& suites, OfxParamSetHandle paramSet, const char* name,
                             const char* label, const char* hint, std::initializer_list<const char*> options,
                             int defaultIndex, const char* parent) {
    const PropertySetRef props = defineDirect(suites, paramSet, kOfxParamTypeChoice, name);
    props.setString(kOfxParamPropHint, 0, hint);
    props.setString(kOfxPropLabel, 0, label);
    int index = 0;
    for (const char* option : options) {
        props.setString(kOfxParamPropChoiceOption, index++, option);
    }
    props.setInt(kOfxParamPropDefault, 0, defaultIndex);
    props.setInt(kOfxParamPropAnimates, 0, 0);
    props.setString(kOfxParamPropParent, 0, parent);
}

void defineGroup(const HostSuites& suites, OfxParamSetHandle paramSet, const char* name, const char* label,
                 const char* hint) {
    const PropertySetRef props = defineDirect(suites, paramSet, kOfxParamTypeGroup, name);
    props.setString(kOfxParamPropHint, 0, hint);
    props.setString(kOfxPropLabel, 0, label);
}

void defineString(const HostSuites& suites, OfxParamSetHandle paramSet, const ParamText& text, const char* mode,
                  const char* defaultValue, bool secret) {
    const PropertySetRef props = defineDirect(suites, paramSet, kOfxParamTypeString, text.name);
    props.setString(kOfxParamPropStringMode, 0, mode);
    props.setString(kOfxParamPropDefault, 0, defaultValue);
    props.setString(kOfxParamPropScriptName, 0, text.scriptName);
    props.setString(kOfxParamPropHint, 0, text.hint);
    props.setString(kOfxPropLabel, 0, text.label);
    props.setString(kOfxParamPropParent, 0, text.parent);
    if (secret) {
        props.setInt(kOfxParamPropSecret, 0, 1);
    }
    props.setInt(kOfxParamPropAnimates, 0, 0);
}

void defineClockCentre(const HostSuites& suites, OfxParamSetHandle paramSet) {
    const PropertySetRef props = defineDirect(suites, paramSet, kOfxParamTypeDouble2D, param::kCorner1);
    props.setString(kOfxParamPropDoubleType, 0, kOfxParamDoubleTypeXYAbsolute);
    props.setString(kOfxParamPropDefaultCoordinateSystem, 0, kOfxParamCoordinatesNormalised);
    props.setDouble(kOfxParamPropDefault, 0, 0.5);
    props.setDouble(kOfxParamPropDefault, 1, 0.5);
    props.setDouble(kOfxParamPropIncrement, 0, 0.001);
    props.setDouble(kOfxParamPropIncrement, 1, 0.001);
    props.setString(kOfxParamPropHint, 0, "Centre of the Clock");
    props.setString(kOfxPropLabel, 0, "Clock Centre");
    props.setInt(kOfxParamPropAnimates, 0, 0);
    // Hosts that offer it draw a handle the user can drag to place the clock.
    props.setInt(kOfxParamPropUseHostOverlayHandle, 0, 1);
}

void definePushButton(const HostSuites& suites, OfxParamSetHandle paramSet) {
    const PropertySetRef props = defineDirect(suites, paramSet, kOfxParamTypePushButton, param::kButtonFont);
    props.setString(kOfxParamPropHint, 0, "Select Font");
    props.setString(kOfxPropLabel, 0, "Font");
    props.setString(kOfxParamPropParent, 0, param::kDigitalClock);
}

// Size, length, colour and colour switch of one hand (or of the marks).
void defineHandGroup(const HostSuites& suites, OfxParamSetHandle paramSet, const char* size, const char* length,
                     double defaultLength, const char* colour, const char* useColour) {
    const char* parent = param::kAnalogueClock;
    defineDoubleParam(suites, paramSet, {size, "", "", "", parent}, 100.0, 0.0, 100.0, 1.0, kOfxParamDoubleTypeScale);
    defineDoubleParam(suites, paramSet, {length, "", "", "", parent}, defaultLength, 0.0, 100.0, 1.0,
                      kOfxParamDoubleTypeScale);
    defineRGBAParam(suites, paramSet, {colour, "", "", "", parent}, whitecolour);
    defineBooleanParam(suites, paramSet, {useColour, "", "", "", parent}, 0);
}

void defineNamedInt(const HostSuites& suites, OfxParamSetHandle paramSet, const char* name, int32_t minimum,
                    int32_t displayMaximum) {
    defineIntParam(suites, paramSet, {name, name, name, name, param::kTimeParameters}, 0, minimum, displayMaximum, 1);
}

void defineNamedSecond(const HostSuites& suites, OfxParamSetHandle paramSet, const char* name) {
    defineDoubleParam(suites, paramSet, {name, name, name, name, param::kTimeParameters}, 0.0, 0.0, 59.0, 0.001,
                      kOfxParamDoubleTypeScale);
}

// Added after every older parameter, with defaults that show the time of day
// exactly as before.
void defineTimerParameters(const HostSuites& suites, OfxParamSetHandle paramSet) {
    using namespace param;
    const char* parent = kTimerAndTimecode;
    defineGroup(suites, paramSet, kTimerAndTimecode, "Timer and Timecode",
                "Stopwatch, countdown and the layout of the digits");
    defineChoiceWithDefault(suites, paramSet, kMode, "Mode",
                            "What the clock shows: the time of day, the time since the start, or the time left",
                            {"Time of Day", "Stopwatch", "Countdown"}, 0, parent);
    defineIntParam(suites, paramSet, {kDurationHours, "", "", "Hours of the countdown's duration", parent}, 0, 0,
                   99, 1);
    defineIntParam(suites, paramSet, {kDurationMinutes, "", "", "Minutes of the countdown's duration", parent}, 5,
                   0, 59, 1);
    defineIntParam(suites, paramSet, {kDurationSeconds, "", "", "Seconds of the countdown's duration", parent}, 0,
                   0, 59, 1);
    defineIntParam(suites, paramSet,
                   {kDurationMilliseconds, "", "", "Milliseconds of the countdown's duration", parent}, 0, 0, 999,
                   1);
    defineBooleanParam(suites, paramSet,
                       {kShowOvertime, "", "", "Past zero, count on with a leading minus instead of holding at zero",
                        parent},
                       0);
    defineRGBAParam(suites, paramSet, {kOvertimeColour, "", "", "The colour of the clock in overtime", parent},
                    redcolour);
    defineBooleanParam(suites, paramSet,
                       {kUseOvertimeColour, "", "", "Draw the clock in the overtime colour past zero", parent}, 0);
    defineBooleanParam(suites, paramSet,
                       {kFixedWidthDigits, "", "", "Every digit as wide as the widest, so a running clock keeps still",
                        parent},
                       0);
}

void defineParameters(const HostSuites& suites, OfxParamSetHandle paramSet) {
    using namespace param;
    defineChoice(suites, paramSet, kClockChoice, "ClockChoice", "Select Clock",
                 {"Analogue Clock", "Digital Clock", "LED Clock"}, nullptr);
    defineClockCentre(suites, paramSet);
    defineRGBAParam(suites, paramSet, {kMainColour, kMainColour, kMainColour, "The colour of the Clock"}, whitecolour);
    defineRGBAParam(suites, paramSet,
                    {kBackgroundColour, kBackgroundColour, kBackgroundColour, "Background colour of the Clock"},
                    blackcolour);
    defineDoubleParam(suites, paramSet, {kClockSize}, 0.5, 0.0, 1.0, 0.01, kOfxParamDoubleTypeScale);
    defineGroup(suites, paramSet, kTimeParameters, "Time Parameters", "Time Parameters");
    defineGroup(suites, paramSet, kAnalogueClock, "Analogue Clock Params", "Parameter for analogue clock");

    defineBooleanParam(suites, paramSet, {kRunBackwards, "", "", "", kTimeParameters}, 0);
    defineDoubleParam(suites, paramSet, {kSpeedFactor, "", "", "", kTimeParameters}, 1.0, 0.0, 9999.0, 0.01,
                      kOfxParamDoubleTypeScale);
    // The date defaults of 0 lie below their minimums; hosts have always been
    // given exactly these values.
    defineNamedInt(suites, paramSet, kStartDay, 1, 31);
    defineNamedInt(suites, paramSet, kStartMonth, 1, 12);
    defineNamedInt(suites, paramSet, kStartYear, 1970, 2099);
    defineNamedInt(suites, paramSet, kStartHour, 0, 23);
    defineNamedInt(suites, paramSet, kStartMinute, 0, 59);
    defineNamedSecond(suites, paramSet, kStartSecond);
    defineNamedInt(suites, paramSet, kStopDay, 1, 31);
    defineNamedInt(suites, paramSet, kStopMonth, 1, 12);
    defineNamedInt(suites, paramSet, kStopYear, 1970, 2099);
    defineNamedInt(suites, paramSet, kStopHour, 0, 23);
    defineNamedInt(suites, paramSet, kStopMinute, 0, 59);
    defineNamedSecond(suites, paramSet, kStopSecond);

    defineHandGroup(suites, paramSet, kHourSize, kHourLength, 50.0, kHourColour, kUseHourColour);
    defineHandGroup(suites, paramSet, kMinuteSize, kMinuteLength, 70.0, kMinuteColour, kUseMinuteColour);
    defineHandGroup(suites, paramSet, kSecondSize, kSecondLength, 80.0, kSecondColour, kUseSecondColour);
    defineHandGroup(suites, paramSet, kPointSize, kPointLength, 50.0, kPointColour, kUsePointColour);

    defineGroup(suites, paramSet, kDigitalClock, "Digital and LED Clock Params", "Parameter for digital and LED clock");
    defineChoice(suites, paramSet, kDigClockFormat, "Digital Clock Format", "Select Clock Format",
                 {"hh:mm:ss.mmm", "hh:mm:ss.mm", "hh:mm:ss.m", "hh:mm:ss", "hh:mm", "mm:ss", "mm", "mm:ss.m", "ss.m",
                  "hh:mm:ss,ff", "Framecounter", "Date and Time (German)", "Date and Time (English)", "Free Format",
                  "Timecode hh:mm:ss:ff", "Timecode drop-frame hh:mm:ss;ff"},
                 kDigitalClock);
    definePushButton(suites, paramSet);
    defineString(suites, paramSet,
                 {kDigClockFreeFormat, "Free Format String", kDigClockFreeFormat, kDigClockFreeFormat, kDigitalClock},
                 kOfxParamStringIsMultiLine, " ", false);
    defineString(suites, paramSet, {kFontParam, "Font", "Font", "Font", kDigitalClock}, kOfxParamStringIsSingleLine,
                 "27 0 0 0 400 34 Arial", true);

    defineGroup(suites, paramSet, kKeyParams, "Keying Params", "Parameter for Keying a Colour");
    defineRGBAParam(suites, paramSet, {kKeyColour, "", "", "", kKeyParams}, greencolour);
    defineChoice(suites, paramSet, kUseKeyColour, "Keying Mode", "Select Keying Mode",
                 {"No Key - Composite with Source", "Use Key Colour - Composite with Lower Layer"}, kKeyParams);

    defineTimerParameters(suites, paramSet);
}

}  // namespace

OfxStatus describe(OfxImageEffectHandle effect) {
    const OfxStatus fetched = fetchHostSuites();
    if (fetched != kOfxStatOK) {
        return fetched;
    }
    const PropertySetRef props = EffectRef(hostSuites(), effect).properties();
    props.setInt(kOfxImageEffectPluginPropFieldRenderTwiceAlways, 0, 0);
    props.setInt(kOfxImageEffectFrameVarying, 0, 1);
    props.setInt(kOfxImageEffectPropSupportsMultipleClipDepths, 0, 0);
    props.setString(kOfxImageEffectPropSupportedPixelDepths, 0, kOfxBitDepthByte);
    props.setString(kOfxImageEffectPropSupportedPixelDepths, 1, kOfxBitDepthFloat);
    props.setString(kOfxPropLabel, 0, "Horavex");
    props.setString(kOfxImageEffectPluginPropGrouping, 0, "OFX-Quandel");
    props.setString(kOfxImageEffectPropSupportedContexts, 0, kOfxImageEffectContextGenerator);
    props.setString(kOfxImageEffectPropSupportedContexts, 1, kOfxImageEffectContextFilter);
    // The clock is laid out on the whole output frame, so any window of a frame
    // renders exactly that part of it; renders of one instance share only what
    // they hold under the instance's lock, so windows of one frame may render
    // on several threads at once.
    props.setInt(kOfxImageEffectPropSupportsTiles, 0, 1);
    props.setString(kOfxImageEffectPluginRenderThreadSafety, 0, kOfxImageEffectRenderFullySafe);
    props.setInt(kOfxImageEffectPluginPropHostFrameThreading, 0, 1);
    return kOfxStatOK;
}

OfxStatus describeInContext(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs) {
    const HostSuites& suites = hostSuites();
    const EffectRef descriptor(suites, effect);
    const std::string context = descriptor.wrap(inArgs).getString(kOfxImageEffectPropContext);
    const bool generator = context == kOfxImageEffectContextGenerator;

    auto defineClip = [&](const char* name) {
        OfxPropertySetHandle clipProps = nullptr;
        suites.imageEffectSuite->clipDefine(effect, name, &clipProps);
        descriptor.wrap(clipProps).setString(kOfxImageEffectPropSupportedComponents, 0, kOfxImageComponentRGBA);
    };
    defineClip(kOfxImageEffectOutputClipName);
    if (!generator) {
        defineClip(kOfxImageEffectSimpleSourceClipName);
    }

    defineParameters(suites, descriptor.paramSet());
    return kOfxStatOK;
}

}  // namespace horavex
