#include "tools/render/StartFromFile.h"

#include <cstdio>
#include <ctime>

extern "C" {
#include <libavutil/parseutils.h>
#include <libavutil/timecode.h>
}

#include "adapter/ParamNames.h"
#include "tools/render/LibavHandles.h"
#include "tools/render/RenderSession.h"

namespace horavex::cli {

namespace {

std::string twoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string secondsText(int64_t milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02lld.%03lld", static_cast<long long>(milliseconds / 1000),
                  static_cast<long long>(milliseconds % 1000));
    return text;
}

void setTime(StartSettings& start, int64_t dayMilliseconds) {
    start.settings.push_back({param::kStartHour, std::to_string(dayMilliseconds / 3'600'000)});
    start.settings.push_back({param::kStartMinute, std::to_string(dayMilliseconds / 60'000 % 60)});
    start.settings.push_back({param::kStartSecond, secondsText(dayMilliseconds % 60'000)});
}

std::string clockText(int64_t dayMilliseconds) {
    return joinText({twoDigits(static_cast<int>(dayMilliseconds / 3'600'000)), ":",
                     twoDigits(static_cast<int>(dayMilliseconds / 60'000 % 60)), ":",
                     secondsText(dayMilliseconds % 60'000)});
}

// The creation time as a date and time of day; false when it cannot be read.
bool fromCreationTime(const std::string& text, bool utc, StartSettings& start) {
    int64_t microseconds = 0;
    if (av_parse_time(&microseconds, text.c_str(), 0) < 0) return false;
    int64_t seconds = microseconds / 1'000'000;
    int64_t rest = microseconds % 1'000'000;
    if (rest < 0) {
        rest += 1'000'000;
        --seconds;
    }
    const std::time_t when = static_cast<std::time_t>(seconds);
    std::tm parts{};
    const bool converted = utc ? gmtime_r(&when, &parts) != nullptr : localtime_r(&when, &parts) != nullptr;
    if (!converted) return false;
    const int64_t day = ((parts.tm_hour * 60 + parts.tm_min) * 60 + parts.tm_sec) * int64_t{1000} + rest / 1000;
    start.settings.push_back({param::kStartYear, std::to_string(parts.tm_year + 1900)});
    start.settings.push_back({param::kStartMonth, std::to_string(parts.tm_mon + 1)});
    start.settings.push_back({param::kStartDay, std::to_string(parts.tm_mday)});
    setTime(start, day);
    start.note = joinText({"start from the creation time ", text, ": ", std::to_string(parts.tm_year + 1900), "-",
                           twoDigits(parts.tm_mon + 1), "-", twoDigits(parts.tm_mday), " ", clockText(day),
                           utc ? " UTC" : " local time"});
    return true;
}

// The timecode's frame count at `rate` as a time of day.
bool fromTimecode(const std::string& text, FrameRateRatio rate, StartSettings& start) {
    if (!rate.usable() || rate.numerator > 1'000'000 || rate.denominator > 1'000'000) return false;
    AVTimecode timecode{};
    const AVRational q{static_cast<int>(rate.numerator), static_cast<int>(rate.denominator)};
    if (av_timecode_init_from_string(&timecode, q, text.c_str(), nullptr) < 0) return false;
    const int64_t frames = timecode.start;
    const int64_t milliseconds =
        (frames * rate.denominator * 2000 + rate.numerator) / (2 * rate.numerator) % (24 * 3'600'000);
    setTime(start, milliseconds);
    start.note = joinText({"start from the timecode ", text, ": ", clockText(milliseconds)});
    return true;
}

}  // namespace

StartSettings startFromFile(const SourceInfo& info, const StartFromFile& how, bool timecodeFormat,
                            FrameRateRatio rate) {
    StartSettings start;
    if (!how.enabled) return start;
    silenceLibav();
    const auto missing = [&](const std::string& what) {
        if (how.optional) {
            start.note = joinText({"the source has no ", what, "; the start is as set"});
            return;
        }
        throw CliError(kExitFile, joinText({"--start-from-file: the source has no ", what,
                                            " (--start-from-file=optional goes on without it)"}));
    };
    if (timecodeFormat) {
        if (!info.timecode) {
            missing("timecode");
        } else if (!fromTimecode(*info.timecode, rate, start)) {
            missing(joinText({"timecode that can be read (", inQuotes(*info.timecode), ")"}));
        }
        return start;
    }
    if (!info.creationTime) {
        missing("creation time");
    } else if (!fromCreationTime(*info.creationTime, how.utc, start)) {
        missing(joinText({"creation time that can be read (", inQuotes(*info.creationTime), ")"}));
    }
    return start;
}

}  // namespace horavex::cli
