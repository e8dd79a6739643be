#include "core/values/FontString.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "common/Saturate.h"
#include "core/values/Utf8.h"

namespace horavex {
namespace {

// The blanks of the "C" locale, which is what scanf skips.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int digitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return 99;
}

// Reads the font string the way scanf reads "%i %i %i %i %i %i %31s", but
// with no undefined behaviour: a number beyond the int range saturates
// instead of being whatever the C library makes of it.
class FontStringScanner {
public:
    explicit FontStringScanner(const char* text) : p_(text) {}

    // Like "%i": optional sign, then "0x" for hexadecimal, a leading 0 for
    // octal, decimal otherwise.
    bool readInt(int32_t& value) {
        skipBlanks();
        const char* q = p_;
        bool negative = false;
        if (*q == '+' || *q == '-') {
            negative = *q == '-';
            ++q;
        }
        int base = 10;
        if (q[0] == '0' && (q[1] == 'x' || q[1] == 'X') && digitValue(q[2]) < 16) {
            base = 16;
            q += 2;
        } else if (q[0] == '0') {
            base = 8;
        }
        if (digitValue(*q) >= base) {
            return false;
        }
        constexpr uint64_t kCap = uint64_t{1} << 32;
        uint64_t magnitude = 0;
        for (; digitValue(*q) < base; ++q) {
            magnitude = std::min(kCap, magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digitValue(*q)));
        }
        const int64_t signedValue = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
        value = static_cast<int32_t>(std::clamp<int64_t>(signedValue, std::numeric_limits<int32_t>::min(),
                                                         std::numeric_limits<int32_t>::max()));
        p_ = q;
        return true;
    }

    // Like "%31s" into a 32-byte buffer, except that a token cut at 31 bytes
    // is cut back to a whole UTF-8 character. Ill-formed sequences become
    // U+FFFD before the cut, so that what is kept is exactly what encodes back
    // (a replacement takes three bytes where the bad byte took one).
    bool readToken(char (&token)[kNarrowFaceSize]) {
        skipBlanks();
        const char* start = p_;
        while (*p_ != '\0' && !isBlank(*p_)) {
            ++p_;
        }
        if (p_ == start) {
            return false;
        }
        const std::string_view whole(start, static_cast<size_t>(p_ - start));
        std::string wellFormed;
        for (size_t pos = 0; pos < whole.size() && wellFormed.size() < kNarrowFaceSize;) {
            appendUtf8(wellFormed, decodeUtf8At(whole, pos));
        }
        const std::string_view kept = utf8Prefix(wellFormed, kNarrowFaceSize - 1);
        std::memcpy(token, kept.data(), kept.size());
        token[kept.size()] = '\0';
        return true;
    }

private:
    void skipBlanks() {
        while (isBlank(*p_)) {
            ++p_;
        }
    }

    const char* p_;
};

uint8_t lowByte(int32_t value) { return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu); }

}  // namespace

OfxStatus decodeFont(const char* text, LogFont& font) {
    if (text == nullptr || *text == '\0') {
        return kOfxStatErrFormat;
    }
    FontStringScanner scanner(text);
    int32_t number = 0;
    if (!scanner.readInt(number)) {
        return kOfxStatErrFormat;
    }
    font.lfHeight = number;
    // The flags are stored in the order italic, strike-out, underline.
    uint8_t* const flags[] = {&font.lfItalic, &font.lfStrikeOut, &font.lfUnderline};
    for (uint8_t* flag : flags) {
        if (!scanner.readInt(number)) {
            return kOfxStatErrFormat;
        }
        *flag = lowByte(number);
    }
    if (!scanner.readInt(number)) {
        return kOfxStatErrFormat;
    }
    font.lfWeight = number;
    if (!scanner.readInt(number)) {
        return kOfxStatErrFormat;
    }
    font.lfPitchAndFamily = lowByte(number);

    char narrowFace[kNarrowFaceSize] = {};
    if (!scanner.readToken(narrowFace)) {
        return kOfxStatErrFormat;
    }
    // A blank would end the token, so blanks travel as "_".
    std::replace(std::begin(narrowFace), std::end(narrowFace), '_', ' ');
    setFaceName(font, narrowFace);
    return kOfxStatOK;
}

void encodeFont(const LogFont& font, char* out, size_t size) {
    if (out == nullptr || size == 0) {
        return;
    }
    std::string face(utf8Prefix(faceNameUtf8(font), kNarrowFaceSize - 1));
    std::replace(face.begin(), face.end(), ' ', '_');
    std::snprintf(out, size, "%i %i %i %i %i %i %s", static_cast<int>(font.lfHeight), static_cast<int>(font.lfItalic),
                  static_cast<int>(font.lfStrikeOut), static_cast<int>(font.lfUnderline),
                  static_cast<int>(font.lfWeight), static_cast<int>(font.lfPitchAndFamily), face.c_str());
}

std::string encodeFont(const LogFont& font) {
    // Six numbers of at most 11 characters, six blanks, the face and a terminator.
    char text[6 * 11 + 6 + kNarrowFaceSize] = {};
    encodeFont(font, text, sizeof text);
    return text;
}

LogFont dialogDefaultFont() {
    LogFont font{};
    font.lfHeight = -27;
    font.lfWeight = 400;
    font.lfOutPrecision = 0;
    font.lfClipPrecision = 0;
    font.lfQuality = 0;
    font.lfPitchAndFamily = 34;
    setFaceName(font, "Arial");
    return font;
}

std::string faceNameUtf8(const LogFont& font) {
    return utf16ToUtf8(reinterpret_cast<const char16_t*>(font.lfFaceName), std::size(font.lfFaceName));
}

void setFaceName(LogFont& font, std::string_view utf8) {
    auto* face = reinterpret_cast<char16_t*>(font.lfFaceName);
    const size_t size = std::size(font.lfFaceName);
    const size_t written = utf8ToUtf16(utf8.substr(0, std::min(utf8.size(), utf8.find('\0'))), face, size);
    std::fill(face + written, face + size, u'\0');
}

int32_t pointsToLfHeight(double points) { return saturatingTrunc<int32_t>(-std::round(points * 96.0 / 72.0)); }

int32_t lfHeightToPoints(int32_t lfHeight) {
    const int64_t magnitude = lfHeight < 0 ? -int64_t{lfHeight} : int64_t{lfHeight};
    // Whole points, halves rounded up as the platform's MulDiv does.
    return static_cast<int32_t>((magnitude * 72 + 48) / 96);
}

}  // namespace horavex
