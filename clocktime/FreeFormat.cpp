#include "clocktime/FreeFormat.h"

#include <locale.h>
#include <time.h>

#include <algorithm>
#include <array>

#include "clocktime/TimeText.h"
#include "params/Utf8.h"

namespace horavex {
namespace {

int clampTo(int value, int low, int high) { return std::clamp(value, low, high); }

// Day and month names, AM/PM and the date layouts of %c, %x and %X follow
// LC_TIME; the host may have set any locale for its own process, so we format
// with a private "C" locale instead of the global one.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

size_t formatInCLocale(char* out, size_t size, const char* format, const std::tm& calendar) {
    const locale_t locale = cLocale();
    if (locale == static_cast<locale_t>(nullptr)) {
        return std::strftime(out, size, format, &calendar);
    }
    return strftime_l(out, size, format, &calendar, locale);
}

}  // namespace

std::string applyTrailingPercentRule(std::string text) {
    const size_t n = text.size();
    if (n > 0 && text.back() == '%') {
        if (n <= 254) {
            text.push_back('%');
        } else {
            text.back() = ' ';
        }
    }
    return text;
}

std::tm freeFormatCalendar(const ShownTime& shown) {
    std::tm calendar{};
    calendar.tm_hour = clampTo(shown.hours, 0, 23);
    calendar.tm_min = clampTo(shown.minutes, 0, 59);
    calendar.tm_sec = clampTo(shown.seconds, 0, 59);
    calendar.tm_mday = clampTo(shown.day, 1, 31);
    calendar.tm_mon = clampTo(shown.month, 1, 12) - 1;
    calendar.tm_year = clampTo(shown.year, 0, 9999) - 1900;
    calendar.tm_wday = 0;
    calendar.tm_yday = 0;
    calendar.tm_isdst = 0;
    return calendar;
}

bool isStandardStrftimeFormat(std::string_view format) {
    constexpr std::string_view kPlain = "aAbBcCdDeFgGhHIjmMnprRStTuUVwWxXyYzZ%";
    constexpr std::string_view kAfterE = "cCxXyY";
    constexpr std::string_view kAfterO = "deHImMSuUVwWy";
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            continue;
        }
        if (++i >= format.size()) {
            return false;
        }
        std::string_view allowed = kPlain;
        if (format[i] == 'E' || format[i] == 'O') {
            allowed = format[i] == 'E' ? kAfterE : kAfterO;
            if (++i >= format.size()) {
                return false;
            }
        }
        if (allowed.find(format[i]) == std::string_view::npos) {
            return false;
        }
    }
    return true;
}

std::wstring freeFormatText(const ShownTime& shown, std::string_view format) {
    // The host hands a C string: nothing after a terminator belongs to it.
    const std::string_view text = format.substr(0, std::min(format.size(), format.find('\0')));
    const std::string ruled = applyTrailingPercentRule(std::string(text));

    std::array<char, kStrftimeBufferSize> formatted{};
    size_t length = 0;
    if (isStandardStrftimeFormat(ruled)) {
        const std::tm calendar = freeFormatCalendar(shown);
        length = formatInCLocale(formatted.data(), formatted.size(), ruled.c_str(), calendar);
    }
    if (length != 0) {
        return utf8ToWide(std::string_view(formatted.data(), length), kTimeTextMaxChars);
    }
    return utf8ToWide(ruled, kTimeTextMaxChars);
}

}  // namespace horavex
