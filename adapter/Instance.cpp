#include "adapter/Instance.h"

#include <cstring>
#include <memory>

#include "ofxapi/OfxNames.h"
#include "adapter/ParamNames.h"
#include "adapter/EffectAccess.h"
#include "adapter/ParamAccess.h"

namespace horavex {

ClockInstanceData* getInstanceData(const HostSuites& suites, OfxImageEffectHandle effect) {
    return static_cast<ClockInstanceData*>(EffectRef(suites, effect).properties().getPointer(kOfxPropInstanceData));
}

int32_t contextKindFromName(const char* context) {
    if (context == nullptr) {
        return kOtherContext;
    }
    if (std::strcmp(context, kOfxImageEffectContextGenerator) == 0) {
        return kGeneratorContext;
    }
    if (std::strcmp(context, kOfxImageEffectContextFilter) == 0) {
        return kFilterContext;
    }
    return kOtherContext;
}

namespace {

// The handles every render needs, fetched once per instance in this order.
void fetchParamHandles(const ParamSetRef& params, ParamHandles& h) {
    using namespace param;
    h.clockChoice = params.handle(kClockChoice);
    h.digClockFormat = params.handle(kDigClockFormat);
    h.corner1 = params.handle(kCorner1);
    h.backgroundColour = params.handle(kBackgroundColour);
    h.mainColour = params.handle(kMainColour);
    h.clockSize = params.handle(kClockSize);
    h.startDay = params.handle(kStartDay);
    h.startMonth = params.handle(kStartMonth);
    h.startYear = params.handle(kStartYear);
    h.startHour = params.handle(kStartHour);
    h.startMinute = params.handle(kStartMinute);
    h.startSecond = params.handle(kStartSecond);
    h.stopHour = params.handle(kStopHour);
    h.stopMinute = params.handle(kStopMinute);
    h.stopSecond = params.handle(kStopSecond);
    h.hourColour = params.handle(kHourColour);
    h.useHourColour = params.handle(kUseHourColour);
    h.hourSize = params.handle(kHourSize);
    h.hourLength = params.handle(kHourLength);
    h.minuteColour = params.handle(kMinuteColour);
    h.useMinuteColour = params.handle(kUseMinuteColour);
    h.minuteSize = params.handle(kMinuteSize);
    h.minuteLength = params.handle(kMinuteLength);
    h.secondColour = params.handle(kSecondColour);
    h.useSecondColour = params.handle(kUseSecondColour);
    h.secondSize = params.handle(kSecondSize);
    h.secondLength = params.handle(kSecondLength);
    h.pointColour = params.handle(kPointColour);
    h.usePointColour = params.handle(kUsePointColour);
    h.pointSize = params.handle(kPointSize);
    h.pointLength = params.handle(kPointLength);
    h.keyColour = params.handle(kKeyColour);
    h.useKeyColour = params.handle(kUseKeyColour);
    h.speedFactor = params.handle(kSpeedFactor);
    h.runBackwards = params.handle(kRunBackwards);
    h.mode = params.handle(kMode);
    h.countdownHours = params.handle(kDurationHours);
    h.countdownMinutes = params.handle(kDurationMinutes);
    h.countdownSeconds = params.handle(kDurationSeconds);
    h.countdownMilliseconds = params.handle(kDurationMilliseconds);
    h.showOvertime = params.handle(kShowOvertime);
    h.overtimeColour = params.handle(kOvertimeColour);
    h.useOvertimeColour = params.handle(kUseOvertimeColour);
    h.fixedWidthDigits = params.handle(kFixedWidthDigits);
}

}  // namespace

OfxStatus createInstance(OfxImageEffectHandle effect) {
    const HostSuites& suites = hostSuites();
    const EffectRef instance(suites, effect);
    const PropertySetRef effectProps = instance.properties();
    const ParamSetRef params(suites.parameterSuite, instance.paramSet());

    auto record = std::make_unique<ClockInstanceData>();
    record->contextKind = contextKindFromName(effectProps.getString(kOfxImageEffectPropContext).c_str());
    fetchParamHandles(params, record->params);
    record->sourceClip = instance.clip(kOfxImageEffectSimpleSourceClipName);
    record->outputClip = instance.clip(kOfxImageEffectOutputClipName);

    // A host that will not keep the pointer would never give it back to
    // destroy-instance: free the record rather than leak it.
    if (effectProps.setPointer(kOfxPropInstanceData, 0, record.get()) != kOfxStatOK) {
        return kOfxStatFailed;
    }
    record.release();
    return kOfxStatOK;
}

OfxStatus destroyInstance(OfxImageEffectHandle effect) {
    const EffectRef instance(hostSuites(), effect);
    const PropertySetRef effectProps = instance.properties();
    // The record's destructor also frees a surface that an interrupted render
    // left attached.
    delete static_cast<ClockInstanceData*>(effectProps.getPointer(kOfxPropInstanceData));
    // A late action on a destroyed instance then finds no record instead of a
    // dangling one.
    effectProps.setPointer(kOfxPropInstanceData, 0, nullptr);
    return kOfxStatOK;
}

}  // namespace horavex
