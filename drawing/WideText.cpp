#include "drawing/WideText.h"

#include <cstddef>
#include <cstdint>

namespace horavex {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = kReplacement;
    }
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

template <typename Unit>
std::string fromUtf16Units(const Unit* units, size_t count, bool stopAtNul) {
    std::string out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const char32_t unit = static_cast<char16_t>(units[i]);
        if (unit == 0 && stopAtNul) {
            break;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count) {
            const char32_t next = static_cast<char16_t>(units[i + 1]);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(out, unit);
    }
    return out;
}

}  // namespace

std::string utf8FromWide(std::wstring_view text) {
    if constexpr (sizeof(wchar_t) == 2) {
        return fromUtf16Units(text.data(), text.size(), false);
    } else {
        std::string out;
        out.reserve(text.size());
        for (wchar_t c : text) {
            appendUtf8(out, static_cast<char32_t>(static_cast<uint32_t>(c)));
        }
        return out;
    }
}

std::string utf8FromUtf16(std::u16string_view text) {
    return fromUtf16Units(text.data(), text.size(), true);
}

}  // namespace horavex
