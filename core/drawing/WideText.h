// Text conversions to the UTF-8 that the font engine takes.
#pragma once

#include <string>
#include <string_view>

namespace horavex {

// wchar_t holds UTF-32 on Linux and UTF-16 on Windows; both are accepted.
// Values that are no character (lone surrogates, beyond U+10FFFF, NUL) become
// U+FFFD.
std::string utf8FromWide(std::wstring_view text);

// A face name: stops at the first NUL.
std::string utf8FromUtf16(std::u16string_view text);

}  // namespace horavex
