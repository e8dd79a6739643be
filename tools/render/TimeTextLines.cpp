#include "tools/render/TimeTextLines.h"

#include "core/clocktime/ComputeShownTime.h"
#include "core/clocktime/TimeText.h"
#include "adapter/ParamNames.h"
#include "core/values/SnapshotConversions.h"
#include "core/values/Utf8.h"
#include "tools/render/ValueParsing.h"

namespace horavex::cli {

namespace {

const host::Param* numeric(const host::ParamSet& params, const char* name, host::ParamValueKind kind) {
    const host::Param* param = params.find(name);
    if (param == nullptr || param->info().kind != kind || param->info().dimension != 1) return nullptr;
    return param;
}

void readInt(const host::ParamSet& params, const char* name, double time, int16_t& field) {
    if (const host::Param* p = numeric(params, name, host::ParamValueKind::Int)) field = narrowParam(p->intValue(time));
}

void readInt(const host::ParamSet& params, const char* name, double time, int32_t& field) {
    if (const host::Param* p = numeric(params, name, host::ParamValueKind::Int)) field = p->intValue(time);
}

void readDouble(const host::ParamSet& params, const char* name, double time, double& field) {
    if (const host::Param* p = numeric(params, name, host::ParamValueKind::Double)) field = p->doubleValue(time);
}

std::string freeFormat(const host::ParamSet& params) {
    const host::Param* param = params.find(param::kDigClockFreeFormat);
    if (param == nullptr || param->info().kind != host::ParamValueKind::String) return {};
    // Like the style and the format, the render reads it without a time.
    return param->stringValue(0.0);
}

}  // namespace

ClockValues timeValuesAt(const host::ParamSet& params, double time) {
    ClockValues v;
    // The snapshot reads the style and the format without a time.
    readInt(params, param::kClockChoice, 0.0, v.clockStyle);
    readInt(params, param::kDigClockFormat, 0.0, v.digitalFormat);
    readInt(params, param::kStartDay, time, v.startDay);
    readInt(params, param::kStartMonth, time, v.startMonth);
    readInt(params, param::kStartYear, time, v.startYear);
    readInt(params, param::kStartHour, time, v.startHour);
    readInt(params, param::kStartMinute, time, v.startMinute);
    readDouble(params, param::kStartSecond, time, v.startSecond);
    readInt(params, param::kStopHour, time, v.stopHour);
    readInt(params, param::kStopMinute, time, v.stopMinute);
    readDouble(params, param::kStopSecond, time, v.stopSecond);
    readDouble(params, param::kSpeedFactor, time, v.speedFactor);
    readInt(params, param::kRunBackwards, time, v.runBackwards);
    readInt(params, param::kMode, time, v.clockMode);
    readInt(params, param::kDurationHours, time, v.countdownHours);
    readInt(params, param::kDurationMinutes, time, v.countdownMinutes);
    readInt(params, param::kDurationSeconds, time, v.countdownSeconds);
    readInt(params, param::kDurationMilliseconds, time, v.countdownMilliseconds);
    readInt(params, param::kShowOvertime, time, v.showOvertime);
    return v;
}

std::string timeTextLine(const host::ParamSet& params, int64_t frame, double frameRate) {
    const auto time = static_cast<double>(frame);
    const ClockValues values = timeValuesAt(params, time);
    const ShownTime shown = computeShownTime(time, frameRate, values);
    const std::string format = values.digitalFormat == kFreeFormatIndex ? freeFormat(params) : std::string();
    const std::string text = wideToUtf8(buildTimeText(values.digitalFormat, shown, format));
    std::string line = joinText({std::to_string(frame), " "});
    for (char c : text) {
        if (c == '\n') {
            line += "\\n";
        } else if (c != '\r') {
            line.push_back(c);
        }
    }
    return line;
}

}  // namespace horavex::cli
