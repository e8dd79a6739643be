#include "core/clocktime/FreeFormat.h"

#include <locale.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "core/clocktime/TimeText.h"
#include "core/values/Utf8.h"

namespace horavex {
namespace {

int clampTo(int value, int low, int high) { return std::clamp(value, low, high); }

// Day and month names, AM/PM and the date layouts of %c, %x and %X follow
// LC_TIME; the host may have set any locale for its own process, so we format
// with a private "C" locale instead of the global one.
#ifdef _WIN32
// The Windows C library knows only the conversions of C89, stops the process
// on any other, and has no strftime of its own for a given locale. So every
// conversion but the plain numbers and the time zone name is written out
// here, as the C library of Linux writes it in the "C" locale.
constexpr const char* kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};

void appendName(std::string& out, const char* const* names, int count, int index, bool abbreviated) {
    const std::string_view name = index >= 0 && index < count ? names[index] : "?";
    out += abbreviated ? name.substr(0, 3) : name;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Days since the Monday that starts the calendar's ISO week 1, negative
// before it.
int isoWeekDays(int yday, int wday) {
    constexpr int kBigMultipleOf7 = (366 / 7 + 2) * 7;
    return yday - (yday - wday + 4 + kBigMultipleOf7) % 7 + 3;
}

void appendNumber(std::string& out, int value, const char* format) {
    char digits[16];
    std::snprintf(digits, sizeof digits, format, value);
    out += digits;
}

std::string c89Format(std::string_view format, const std::tm& calendar) {
    const int year = calendar.tm_year + 1900;
    int isoYear = year;
    int days = isoWeekDays(calendar.tm_yday, calendar.tm_wday);
    if (days < 0) {
        --isoYear;
        days = isoWeekDays(calendar.tm_yday + 365 + (isLeapYear(isoYear) ? 1 : 0), calendar.tm_wday);
    } else if (const int next = isoWeekDays(calendar.tm_yday - 365 - (isLeapYear(year) ? 1 : 0), calendar.tm_wday);
               next >= 0) {
        ++isoYear;
        days = next;
    }
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out.push_back(format[i]);
            continue;
        }
        char conversion = format[++i];
        if ((conversion == 'E' || conversion == 'O') && i + 1 < format.size()) {
            conversion = format[++i];
        }
        switch (conversion) {
            case 'C': appendNumber(out, year / 100, "%02d"); break;
            case 'D': out += "%m/%d/%y"; break;
            case 'e': appendNumber(out, calendar.tm_mday, "%2d"); break;
            case 'F': out += "%Y-%m-%d"; break;
            case 'g': appendNumber(out, (isoYear % 100 + 100) % 100, "%02d"); break;
            case 'G': appendNumber(out, isoYear, "%d"); break;
            case 'h': appendName(out, kMonthNames, 12, calendar.tm_mon, true); break;
            case 'n': out += '\n'; break;
            case 'r': out += "%I:%M:%S "; out += calendar.tm_hour < 12 ? "AM" : "PM"; break;
            case 'R': out += "%H:%M"; break;
            case 't': out += '\t'; break;
            case 'T': out += "%H:%M:%S"; break;
            case 'u': appendNumber(out, (calendar.tm_wday + 6) % 7 + 1, "%d"); break;
            case 'V': appendNumber(out, days / 7 + 1, "%02d"); break;
            case 'z': out += "+0000"; break;
            case 'a': appendName(out, kDayNames, 7, calendar.tm_wday, true); break;
            case 'A': appendName(out, kDayNames, 7, calendar.tm_wday, false); break;
            case 'b': appendName(out, kMonthNames, 12, calendar.tm_mon, true); break;
            case 'B': appendName(out, kMonthNames, 12, calendar.tm_mon, false); break;
            case 'p': out += calendar.tm_hour < 12 ? "AM" : "PM"; break;
            case 'x': out += "%m/%d/%y"; break;
            case 'X': out += "%H:%M:%S"; break;
            case 'c':
                appendName(out, kDayNames, 7, calendar.tm_wday, true);
                out += ' ';
                appendName(out, kMonthNames, 12, calendar.tm_mon, true);
                out += ' ';
                appendNumber(out, calendar.tm_mday, "%2d");
                out += " %H:%M:%S %Y";
                break;
            default:
                out.push_back('%');
                out.push_back(conversion);
                break;
        }
    }
    return out;
}

size_t formatInCLocale(char* out, size_t size, const char* format, const std::tm& calendar) {
    const std::string c89 = c89Format(format, calendar);
    return std::strftime(out, size, c89.c_str(), &calendar);
}
#else
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
#endif

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
