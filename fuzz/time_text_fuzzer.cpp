// Every time-text format with any shown time (spans, negative ones included) (components far outside
// their ranges included, as a host's out-of-range values can make them), any
// frame rate and any free format text: the line always fits the clock's
// buffer, never holds a terminator, and in-range times print as the format
// says.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "core/clocktime/FreeFormat.h"
#include "core/clocktime/TimeText.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzValues.h"

namespace {

int32_t pick(FuzzedDataProvider& in, int32_t low, int32_t high) {
    // Mostly in range, sometimes anything at all.
    return in.ConsumeBool() ? in.ConsumeIntegral<int32_t>() : in.ConsumeIntegralInRange(low, high);
}

double anyDouble(FuzzedDataProvider& in) {
    return horavex::fuzz::anyDouble(in, {{-1000.0, 1000.0}});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace horavex;
    FuzzedDataProvider in(data, size);
    ShownTime shown;
    shown.hours = pick(in, 0, 23);
    shown.minutes = pick(in, 0, 59);
    shown.seconds = pick(in, 0, 59);
    shown.milliseconds = pick(in, 0, 999);
    shown.day = pick(in, 1, 31);
    shown.month = pick(in, 1, 12);
    shown.year = pick(in, 0, 9999);
    shown.frameNumber = pick(in, 0, 1000000);
    shown.frameRate = anyDouble(in);
    shown.isSpan = in.ConsumeBool();
    shown.negative = in.ConsumeBool();
    shown.overtime = in.ConsumeBool();
    const int format =
        in.ConsumeBool() ? in.ConsumeIntegral<int>() : in.ConsumeIntegralInRange(0, kDigitalFormatCount - 1);
    const std::string freeFormat = in.ConsumeRemainingBytesAsString();

    const std::wstring line = buildTimeText(format, shown, freeFormat);
    FUZZ_CHECK(line.size() <= kTimeTextMaxChars);
    FUZZ_CHECK(line.find(L'\0') == std::wstring::npos);
    if (format < 0 || format >= kDigitalFormatCount) {
        FUZZ_CHECK(line.empty());
    }

    const bool inRange = shown.hours >= 0 && shown.hours <= 23 && shown.minutes >= 0 && shown.minutes <= 59 &&
                         shown.seconds >= 0 && shown.seconds <= 59 && shown.milliseconds >= 0 &&
                         shown.milliseconds <= 999;
    if (inRange && format == 0) {
        wchar_t expected[32];
        std::swprintf(expected, 32, L"%ls%02d:%02d:%02d.%03d", shown.negative ? L"-" : L"", shown.hours,
                      shown.minutes, shown.seconds, shown.milliseconds);
        FUZZ_CHECK(line == expected);
    }
    if (format == 9) {
        const int32_t f = frameWithinSecond(shown.frameNumber, shown.frameRate);
        // The frame within the second never exceeds the frame number itself.
        const int64_t magnitude = shown.frameNumber < 0 ? -int64_t{shown.frameNumber} : shown.frameNumber;
        FUZZ_CHECK((f < 0 ? -int64_t{f} : f) <= magnitude);
    }

    const std::string rule = applyTrailingPercentRule(freeFormat);
    FUZZ_CHECK(rule.size() <= freeFormat.size() + 1);
    const std::tm calendar = freeFormatCalendar(shown);
    FUZZ_CHECK(calendar.tm_hour >= 0 && calendar.tm_hour <= 23 && calendar.tm_min >= 0 && calendar.tm_min <= 59);
    FUZZ_CHECK(calendar.tm_sec >= 0 && calendar.tm_sec <= 59 && calendar.tm_mday >= 1 && calendar.tm_mday <= 31);
    FUZZ_CHECK(calendar.tm_mon >= 0 && calendar.tm_mon <= 11 && calendar.tm_year >= -1900 && calendar.tm_year <= 8099);
    return 0;
}
