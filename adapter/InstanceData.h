// The record each effect instance carries from create-instance to
// destroy-instance: its context, clip and parameter handles, the parameter
// snapshot and the last clock it drew.
#pragma once

#include <memory>
#include <mutex>

#include "ofxapi/OfxApi.h"
#include "core/values/ClockValues.h"

namespace horavex {

class ClockCache;
class DrawingSurface;

enum ContextKind : int32_t { kGeneratorContext = 0, kFilterContext = 1, kOtherContext = 2 };

struct ParamHandles {
    OfxParamHandle clockChoice = nullptr;
    OfxParamHandle digClockFormat = nullptr;
    OfxParamHandle corner1 = nullptr;
    OfxParamHandle backgroundColour = nullptr;
    OfxParamHandle mainColour = nullptr;
    OfxParamHandle clockSize = nullptr;
    OfxParamHandle startDay = nullptr;
    OfxParamHandle startMonth = nullptr;
    OfxParamHandle startYear = nullptr;
    OfxParamHandle startHour = nullptr;
    OfxParamHandle startMinute = nullptr;
    OfxParamHandle startSecond = nullptr;
    OfxParamHandle stopHour = nullptr;
    OfxParamHandle stopMinute = nullptr;
    OfxParamHandle stopSecond = nullptr;
    OfxParamHandle hourColour = nullptr;
    OfxParamHandle useHourColour = nullptr;
    OfxParamHandle hourSize = nullptr;
    OfxParamHandle hourLength = nullptr;
    OfxParamHandle minuteColour = nullptr;
    OfxParamHandle useMinuteColour = nullptr;
    OfxParamHandle minuteSize = nullptr;
    OfxParamHandle minuteLength = nullptr;
    OfxParamHandle secondColour = nullptr;
    OfxParamHandle useSecondColour = nullptr;
    OfxParamHandle secondSize = nullptr;
    OfxParamHandle secondLength = nullptr;
    OfxParamHandle pointColour = nullptr;
    OfxParamHandle usePointColour = nullptr;
    OfxParamHandle pointSize = nullptr;
    OfxParamHandle pointLength = nullptr;
    OfxParamHandle runBackwards = nullptr;
    OfxParamHandle speedFactor = nullptr;
    OfxParamHandle keyColour = nullptr;
    OfxParamHandle useKeyColour = nullptr;
    OfxParamHandle mode = nullptr;
    OfxParamHandle countdownHours = nullptr;
    OfxParamHandle countdownMinutes = nullptr;
    OfxParamHandle countdownSeconds = nullptr;
    OfxParamHandle countdownMilliseconds = nullptr;
    OfxParamHandle showOvertime = nullptr;
    OfxParamHandle overtimeColour = nullptr;
    OfxParamHandle useOvertimeColour = nullptr;
    OfxParamHandle fixedWidthDigits = nullptr;
};

struct ClockInstanceData {
    ClockInstanceData();
    ~ClockInstanceData();
    ClockInstanceData(const ClockInstanceData&) = delete;
    ClockInstanceData& operator=(const ClockInstanceData&) = delete;

    int32_t contextKind = kOtherContext;
    OfxImageClipHandle sourceClip = nullptr;
    OfxImageClipHandle outputClip = nullptr;
    ParamHandles params;
    // Renders draw into a picture of their own (the clock cache's), so these
    // stay null; kept for code that looks at them between renders.
    std::unique_ptr<DrawingSurface> surface;
    void* surfaceDC = nullptr;
    // Renders of one instance may run at the same time (windows of one frame
    // on several threads): the snapshot, the font read and the clock cache
    // are used under this lock, the compositing outside it.
    std::mutex renderLock;
    ClockValues values;
    // The last clock drawn, reused while its inputs stay the same, and
    // shared with the other instances (see SharedClockPictures); freed with
    // the instance, the shared ones with the last instance.
    std::unique_ptr<ClockCache> clockCache;
};

}  // namespace horavex
