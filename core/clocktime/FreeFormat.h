// The user's own strftime layout for the digital clock ("Free Format").
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

#include "core/clocktime/ShownTime.h"

namespace horavex {

// strftime writes at most this many bytes, terminator included.
inline constexpr size_t kStrftimeBufferSize = 255;

// A lone "%" at the end would be an incomplete conversion: up to 254 bytes a
// second "%" makes it literal; a longer text has it replaced by a blank. Only
// the last byte counts, so a text ending in "%%" gains a third.
std::string applyTrailingPercentRule(std::string text);

// The calendar record strftime formats: each field clamped into its legal
// range; weekday, day of the year and daylight saving stay 0.
std::tm freeFormatCalendar(const ShownTime& shown);

// True when every conversion in `format` is one the C standard defines (with
// the E and O modifiers where it allows them). Anything else is what strftime
// rejects here, whatever extensions the C library would accept.
bool isStandardStrftimeFormat(std::string_view format);

// The line for format 13: the time formatted by the UTF-8 text `format` in the
// "C" locale, or the text itself (cut to 254 wide characters) when the format
// is rejected or its result is empty or longer than 254 bytes.
std::wstring freeFormatText(const ShownTime& shown, std::string_view format);

}  // namespace horavex
