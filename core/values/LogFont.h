// The font description that "FontParam" decodes into. On Windows it is the
// platform's LOGFONTW; elsewhere a record of our own with the same field names
// and widths (WCHAR is 16 bits there, so the face name is UTF-16 here too).
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
namespace horavex {
using LogFont = LOGFONTW;
using FaceChar = WCHAR;
}  // namespace horavex
#else
namespace horavex {

using FaceChar = char16_t;
inline constexpr int kLfFaceSize = 32;

struct LOGFONTW {
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    FaceChar lfFaceName[kLfFaceSize];
};
static_assert(sizeof(LOGFONTW) == 92, "LOGFONTW keeps the platform's layout");

using LogFont = LOGFONTW;

}  // namespace horavex
#endif
