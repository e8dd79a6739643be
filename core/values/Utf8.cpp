#include "core/values/Utf8.h"

#include <cstdint>
#include <type_traits>

namespace horavex {
namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Surrogates and values past the Unicode range cannot travel in any UTF.
char32_t scalarOrReplacement(char32_t c) {
    return (isSurrogate(c) || c > 0x10FFFF) ? kReplacementChar : c;
}

template <typename Unit>
void appendUtf16(std::basic_string<Unit>& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<Unit>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<Unit>(0xD800 + (c >> 10)));
        out.push_back(static_cast<Unit>(0xDC00 + (c & 0x3FF)));
    }
}

}  // namespace

char32_t decodeUtf8At(std::string_view text, size_t& pos) {
    const auto byteAt = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    size_t length = 0;
    char32_t value = 0;
    // The second byte's range is narrower after some leads: that is what rules
    // out overlong forms, surrogates and values past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0) {
            low = 0xA0;
        } else if (lead == 0xED) {
            high = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
    } else {
        ++pos;
        return kReplacementChar;
    }
    size_t next = pos + 1;
    for (size_t i = 1; i < length; ++i, ++next) {
        if (next >= text.size()) {
            pos = next;
            return kReplacementChar;
        }
        const unsigned char byte = byteAt(next);
        const bool inRange = i == 1 ? (byte >= low && byte <= high) : isContinuation(byte);
        if (!inRange) {
            pos = next;
            return kReplacementChar;
        }
        value = (value << 6) | (byte & 0x3F);
    }
    pos = next;
    return value;
}

void appendUtf8(std::string& out, char32_t c) {
    c = scalarOrReplacement(c);
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::wstring utf8ToWide(std::string_view utf8, size_t maxChars) {
    std::wstring out;
    size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t c = decodeUtf8At(utf8, pos);
        if constexpr (sizeof(wchar_t) >= 4) {
            if (out.size() >= maxChars) {
                break;
            }
            out.push_back(static_cast<wchar_t>(c));
        } else {
            const size_t units = c >= 0x10000 ? 2 : 1;
            if (out.size() + units > maxChars) {
                break;
            }
            appendUtf16(out, c);
        }
    }
    return out;
}

std::string wideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(wide[i]));
        if constexpr (sizeof(wchar_t) == 2) {
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size()) {
                const char32_t second = static_cast<char16_t>(wide[i + 1]);
                if (second >= 0xDC00 && second <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (second - 0xDC00);
                    ++i;
                }
            }
        }
        appendUtf8(out, c);
    }
    return out;
}

size_t utf8ToUtf16(std::string_view utf8, char16_t* out, size_t size) {
    if (out == nullptr || size == 0) {
        return 0;
    }
    const size_t capacity = size - 1;
    size_t written = 0;
    size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t c = decodeUtf8At(utf8, pos);
        if (c >= 0x10000) {
            if (written + 2 > capacity) {
                break;
            }
            const char32_t offset = c - 0x10000;
            out[written++] = static_cast<char16_t>(0xD800 + (offset >> 10));
            out[written++] = static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
        } else {
            if (written + 1 > capacity) {
                break;
            }
            out[written++] = static_cast<char16_t>(c);
        }
    }
    out[written] = u'\0';
    return written;
}

std::string utf16ToUtf8(const char16_t* in, size_t maxUnits) {
    std::string out;
    if (in == nullptr) {
        return out;
    }
    for (size_t i = 0; i < maxUnits && in[i] != u'\0'; ++i) {
        char32_t c = in[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < maxUnits) {
            const char32_t second = in[i + 1];
            if (second >= 0xDC00 && second <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (second - 0xDC00);
                ++i;
            }
        }
        appendUtf8(out, c);
    }
    return out;
}

std::string_view utf8Prefix(std::string_view utf8, size_t maxBytes) {
    if (utf8.size() <= maxBytes) {
        return utf8;
    }
    size_t boundary = 0;
    size_t pos = 0;
    while (pos < utf8.size()) {
        decodeUtf8At(utf8, pos);
        if (pos > maxBytes) {
            break;
        }
        boundary = pos;
    }
    return utf8.substr(0, boundary);
}

}  // namespace horavex
