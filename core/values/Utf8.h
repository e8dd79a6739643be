// Conversions between the UTF-8 strings OFX hands us and the wide text the
// clock draws (wchar_t) or the font record holds (UTF-16). Invalid input never
// fails: each ill-formed sequence becomes one U+FFFD, and every output stays
// within the limit the caller gives.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace horavex {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Decodes the code point that starts at `pos` and moves `pos` past it. An
// ill-formed sequence yields U+FFFD and consumes its maximal valid prefix (at
// least one byte), as Unicode recommends. Precondition: pos < text.size().
char32_t decodeUtf8At(std::string_view text, size_t& pos);

// Appends the UTF-8 form of `codePoint`; surrogates and values past U+10FFFF
// are written as U+FFFD.
void appendUtf8(std::string& out, char32_t codePoint);

// At most `maxChars` wide characters (code points where wchar_t holds 32 bits,
// UTF-16 units where it holds 16; a pair is never split).
std::wstring utf8ToWide(std::string_view utf8, size_t maxChars);
std::string wideToUtf8(std::wstring_view wide);

// Writes at most size - 1 UTF-16 units and a terminator into `out` (nothing
// when size is 0), never splitting a surrogate pair; returns the units written
// before the terminator.
size_t utf8ToUtf16(std::string_view utf8, char16_t* out, size_t size);

// Reads `in` up to its first terminator or `maxUnits` units, whichever comes
// first; unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(const char16_t* in, size_t maxUnits);

// The longest prefix of `utf8` of at most `maxBytes` bytes that does not end
// inside a multi-byte sequence.
std::string_view utf8Prefix(std::string_view utf8, size_t maxBytes);

}  // namespace horavex
