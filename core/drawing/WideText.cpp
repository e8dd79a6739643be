#include "core/drawing/WideText.h"

#include "core/values/Utf8.h"

#include <cstddef>
#include <cstdint>

namespace horavex {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The font engine takes NUL-terminated runs, so a NUL inside the text is
// shown as a replacement character rather than ending it.
void appendTextUtf8(std::string& out, char32_t c) {
    appendUtf8(out, c == 0 ? kReplacement : c);
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
                appendTextUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        appendTextUtf8(out, unit);
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
            appendTextUtf8(out, static_cast<char32_t>(static_cast<uint32_t>(c)));
        }
        return out;
    }
}

std::string utf8FromUtf16(std::u16string_view text) {
    return fromUtf16Units(text.data(), text.size(), true);
}

}  // namespace horavex
