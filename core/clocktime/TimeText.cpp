#include "core/clocktime/TimeText.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cwchar>

#include "core/clocktime/FreeFormat.h"
#include "core/clocktime/Timecode.h"
#include "common/Saturate.h"

namespace horavex {
namespace {

// Wide because that is what the drawing takes; 64-bit arguments so that the
// totals of the minute and second formats cannot overflow whatever the fields
// hold, with "%02lld" printing exactly as "%02d" does for every int.
template <typename... Args>
std::wstring formatLine(const wchar_t* format, Args... values) {
    std::array<wchar_t, kTimeTextMaxChars + 1> line{};
    const int written = std::swprintf(line.data(), line.size(), format, static_cast<long long>(values)...);
    if (written < 0) {
        // swprintf reports a line that did not fit as an error, with the
        // buffer's contents unspecified: keep what is terminated within it.
        line.back() = L'\0';
    }
    return std::wstring(line.data());
}

}  // namespace

int32_t frameWithinSecond(int32_t frameNumber, double frameRate) {
    const double frame = frameNumber;
    const double seconds = std::trunc(frame / frameRate);
    // A rate so close to 0 that the division overflows has no frame within a
    // second either (the product would be infinite and saturate), like 0.
    if (!std::isfinite(seconds)) {
        return 0;
    }
    return saturatingTrunc<int32_t>(frame - seconds * frameRate);
}

namespace {

std::wstring unsignedTimeText(int digitalFormat, const ShownTime& shown, std::string_view freeFormatUtf8) {
    const int64_t h = shown.hours;
    const int64_t m = shown.minutes;
    const int64_t s = shown.seconds;
    const int64_t ms = shown.milliseconds;
    const int64_t minutesOfDay = h * 60 + m;
    switch (digitalFormat) {
        case 0:
            return formatLine(L"%02lld:%02lld:%02lld.%03lld", h, m, s, ms);
        case 1:
            return formatLine(L"%02lld:%02lld:%02lld.%02lld", h, m, s, ms / 10);
        case 2:
            return formatLine(L"%02lld:%02lld:%02lld.%01lld", h, m, s, ms / 100);
        case 3:
            return formatLine(L"%02lld:%02lld:%02lld", h, m, s);
        case 4:
            return formatLine(L"%02lld:%02lld", h, m);
        case 5:
            return formatLine(L"%02lld:%02lld", minutesOfDay, s);
        case 6:
            return formatLine(L"%02lld", minutesOfDay);
        case 7:
            return formatLine(L"%02lld:%02lld.%01lld", minutesOfDay, s, ms / 100);
        case 8:
            return formatLine(L"%02lld.%01lld", minutesOfDay * 60 + s, ms / 100);
        case 9:
            return formatLine(L"%02lld:%02lld:%02lld,%02lld", h, m, s,
                              frameWithinSecond(shown.frameNumber, shown.frameRate));
        case kFramecounterIndex:
            return formatLine(L"%06lld", shown.frameNumber);
        case 11:
            return formatLine(L"%02lld.%02lld.%04lld %02lld:%02lld:%02lld", shown.day, shown.month, shown.year, h, m,
                              s);
        case 12:
            return formatLine(L"%02lld/%02lld/%04lld %02lld:%02lld:%02lld", shown.month, shown.day, shown.year, h, m,
                              s);
        case kFreeFormatIndex:
            return freeFormatText(shown, freeFormatUtf8);
        case kTimecodeIndex:
            return timecodeText(shown, false);
        case kDropFrameTimecodeIndex:
            return timecodeText(shown, true);
        default:
            return {};
    }
}

}  // namespace

std::wstring buildTimeText(int digitalFormat, const ShownTime& shown, std::string_view freeFormatUtf8) {
    std::wstring line = unsignedTimeText(digitalFormat, shown, freeFormatUtf8);
    if (shown.negative && digitalFormat != kFramecounterIndex && !line.empty()) {
        line.insert(line.begin(), L'-');
        if (line.size() > kTimeTextMaxChars) {
            line.resize(kTimeTextMaxChars);
        }
    }
    return line;
}

}  // namespace horavex
