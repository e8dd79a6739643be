#include "adapter/Snapshot.h"

#include "core/values/ClockCentre.h"
#include "core/values/SnapshotConversions.h"
#include "adapter/ParamAccess.h"

namespace horavex {

namespace {

class SnapshotReader {
public:
    SnapshotReader(const HostSuites& suites, double time) : reader_(suites.parameterSuite), time_(time) {}

    void intNow(OfxParamHandle param, int16_t& field) const {
        int value = 0;
        if (reader_.intNow(param, value)) {
            field = narrowParam(value);
        }
    }
    void intAt(OfxParamHandle param, int16_t& field) const {
        int value = 0;
        if (reader_.intAt(param, time_, value)) {
            field = narrowParam(value);
        }
    }
    void intAt(OfxParamHandle param, int32_t& field) const {
        int value = 0;
        if (reader_.intAt(param, time_, value)) {
            field = value;
        }
    }
    void doubleAt(OfxParamHandle param, double& field) const { reader_.doubleAt(param, time_, field); }
    void colourAt(OfxParamHandle param, ChannelColour& field) const {
        std::array<double, 4> rgba{};
        if (reader_.rgbaAt(param, time_, rgba)) {
            field = channelColour(rgba);
        }
    }
    void keyColourAt(OfxParamHandle param, OfxRGBAColourB& field) const {
        std::array<double, 4> rgba{};
        if (reader_.rgbaAt(param, time_, rgba)) {
            field = colourToBytes(rgba);
        }
    }
    void centreAt(OfxParamHandle param, ClockValues& values) const {
        std::array<double, 2> position{};
        if (reader_.double2DAt(param, time_, position)) {
            const CentrePercent centre = centrePercent(centreFraction(position, values.centreMapping),
                                                       values.renderScaleX, values.renderScaleY);
            values.centreXPercent = centre.x;
            values.centreYPercent = centre.y;
        }
    }
    void sizeAt(OfxParamHandle param, double& field) const {
        double size = 0.0;
        if (reader_.doubleAt(param, time_, size)) {
            field = clockSizePercent(size);
        }
    }

private:
    ParamReader reader_;
    double time_;
};

}  // namespace

OfxStatus takeSnapshot(const HostSuites& suites, ClockInstanceData& record, double time) {
    const SnapshotReader read(suites, time);
    const ParamHandles& p = record.params;
    ClockValues& v = record.values;

    read.intNow(p.clockChoice, v.clockStyle);
    read.intNow(p.digClockFormat, v.digitalFormat);
    read.centreAt(p.corner1, v);
    read.sizeAt(p.clockSize, v.clockSizePercent);

    read.intAt(p.startDay, v.startDay);
    read.intAt(p.startMonth, v.startMonth);
    read.intAt(p.startYear, v.startYear);
    read.intAt(p.startHour, v.startHour);
    read.intAt(p.startMinute, v.startMinute);
    read.doubleAt(p.startSecond, v.startSecond);
    read.intAt(p.stopHour, v.stopHour);
    read.intAt(p.stopMinute, v.stopMinute);
    read.doubleAt(p.stopSecond, v.stopSecond);

    read.colourAt(p.backgroundColour, v.backgroundColour);
    read.colourAt(p.mainColour, v.mainColour);

    read.colourAt(p.hourColour, v.hourColour);
    read.intAt(p.useHourColour, v.useHourColour);
    read.doubleAt(p.hourSize, v.hourSize);
    read.doubleAt(p.hourLength, v.hourLength);
    read.colourAt(p.minuteColour, v.minuteColour);
    read.intAt(p.useMinuteColour, v.useMinuteColour);
    read.doubleAt(p.minuteSize, v.minuteSize);
    read.doubleAt(p.minuteLength, v.minuteLength);
    read.colourAt(p.secondColour, v.secondColour);
    read.intAt(p.useSecondColour, v.useSecondColour);
    read.doubleAt(p.secondSize, v.secondSize);
    read.doubleAt(p.secondLength, v.secondLength);
    read.colourAt(p.pointColour, v.pointColour);
    read.intAt(p.usePointColour, v.usePointColour);
    read.doubleAt(p.pointSize, v.pointSize);
    read.doubleAt(p.pointLength, v.pointLength);

    read.keyColourAt(p.keyColour, v.keyColour);
    read.intAt(p.useKeyColour, v.keyMode);
    read.doubleAt(p.speedFactor, v.speedFactor);
    read.intAt(p.runBackwards, v.runBackwards);

    read.intAt(p.mode, v.clockMode);
    read.intAt(p.countdownHours, v.countdownHours);
    read.intAt(p.countdownMinutes, v.countdownMinutes);
    read.intAt(p.countdownSeconds, v.countdownSeconds);
    read.intAt(p.countdownMilliseconds, v.countdownMilliseconds);
    read.intAt(p.showOvertime, v.showOvertime);
    read.colourAt(p.overtimeColour, v.overtimeColour);
    read.intAt(p.useOvertimeColour, v.useOvertimeColour);
    read.intAt(p.fixedWidthDigits, v.fixedWidthDigits);
    return kOfxStatOK;
}

}  // namespace horavex
