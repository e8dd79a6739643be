// The parameter names a host identifies our parameters by. They are stored in
// users' projects: never change one.
#pragma once

namespace horavex::param {

inline constexpr const char kClockChoice[] = "ClockChoice";
inline constexpr const char kCorner1[] = "corner1";
inline constexpr const char kMainColour[] = "Main Colour";
inline constexpr const char kBackgroundColour[] = "Background Colour";
inline constexpr const char kClockSize[] = "ClockSize";
inline constexpr const char kTimeParameters[] = "Time Parameters";
inline constexpr const char kAnalogueClock[] = "AnalogueClock";
inline constexpr const char kRunBackwards[] = "Run clock backwards";
inline constexpr const char kSpeedFactor[] = "Speed Factor";
inline constexpr const char kStartDay[] = "Start Day";
inline constexpr const char kStartMonth[] = "Start Month";
inline constexpr const char kStartYear[] = "Start Year";
inline constexpr const char kStartHour[] = "Start Hour";
inline constexpr const char kStartMinute[] = "Start Minute";
inline constexpr const char kStartSecond[] = "Start Second";
inline constexpr const char kStopDay[] = "Stop Day";
inline constexpr const char kStopMonth[] = "Stop Month";
inline constexpr const char kStopYear[] = "Stop Year";
inline constexpr const char kStopHour[] = "Stop Hour";
inline constexpr const char kStopMinute[] = "Stop Minute";
inline constexpr const char kStopSecond[] = "Stop Second";
inline constexpr const char kHourSize[] = "Hour Size";
inline constexpr const char kHourLength[] = "Hour Length";
inline constexpr const char kHourColour[] = "Hour Colour";
inline constexpr const char kUseHourColour[] = "Use Hour Colour";
inline constexpr const char kMinuteSize[] = "Minute Size";
inline constexpr const char kMinuteLength[] = "Minute Length";
inline constexpr const char kMinuteColour[] = "Minute Colour";
inline constexpr const char kUseMinuteColour[] = "Use Minute Colour";
inline constexpr const char kSecondSize[] = "Second Size";
inline constexpr const char kSecondLength[] = "Second Length";
inline constexpr const char kSecondColour[] = "Second Colour";
inline constexpr const char kUseSecondColour[] = "Use Second Colour";
inline constexpr const char kPointSize[] = "Point Size";
inline constexpr const char kPointLength[] = "Point Length";
inline constexpr const char kPointColour[] = "Point Colour";
inline constexpr const char kUsePointColour[] = "Use Point Colour";
inline constexpr const char kDigitalClock[] = "DigitalClock";
inline constexpr const char kDigClockFormat[] = "Dig Clock Format";
inline constexpr const char kButtonFont[] = "Button_Font";
inline constexpr const char kDigClockFreeFormat[] = "Dig Clock Free Format";
inline constexpr const char kFontParam[] = "FontParam";
inline constexpr const char kKeyParams[] = "KeyParams";
inline constexpr const char kKeyColour[] = "Key Colour";
inline constexpr const char kUseKeyColour[] = "Use Key Colour";
inline constexpr const char kTimerAndTimecode[] = "Timer and Timecode";
inline constexpr const char kMode[] = "Mode";
inline constexpr const char kDurationHours[] = "Duration Hours";
inline constexpr const char kDurationMinutes[] = "Duration Minutes";
inline constexpr const char kDurationSeconds[] = "Duration Seconds";
inline constexpr const char kDurationMilliseconds[] = "Duration Milliseconds";
inline constexpr const char kShowOvertime[] = "Show Overtime";
inline constexpr const char kOvertimeColour[] = "Overtime Colour";
inline constexpr const char kUseOvertimeColour[] = "Use Overtime Colour";
inline constexpr const char kFixedWidthDigits[] = "Fixed-width digits";

}  // namespace horavex::param
