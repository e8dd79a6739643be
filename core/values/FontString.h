// The text form of the digital clock's font, kept in the hidden string
// parameter "FontParam": "%i %i %i %i %i %i %s" with lfHeight, lfItalic,
// lfStrikeOut, lfUnderline, lfWeight, lfPitchAndFamily and the face name, its
// blanks written as "_". The face travels as UTF-8, as OFX strings do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ofxapi/OfxApi.h"
#include "core/values/LogFont.h"

namespace horavex {

// The narrow face name's buffer on both sides: 31 bytes and a terminator.
inline constexpr size_t kNarrowFaceSize = 32;

inline constexpr char kDefaultFontString[] = "27 0 0 0 400 34 Arial";

// Fills the six numbers and the face name of `font` from `text`. A null or
// empty text changes nothing; a text that stops early keeps the numbers read
// before the mismatch. Returns kOfxStatOK only when all seven items were read,
// kOfxStatErrFormat otherwise (the face name is then left as it was).
OfxStatus decodeFont(const char* text, LogFont& font);

// Writes the font string into `out`, cut to `size` bytes and terminated
// (nothing when size is 0).
void encodeFont(const LogFont& font, char* out, size_t size);
std::string encodeFont(const LogFont& font);

// The font the dialog starts from when the stored one has no height.
LogFont dialogDefaultFont();

// The face name as UTF-8 and back; the wide name stays terminated and cut at
// a whole character.
std::string faceNameUtf8(const LogFont& font);
void setFaceName(LogFont& font, std::string_view utf8);

// Point size <-> lfHeight at 96 dots per inch, the way the platform's font
// dialog converts: lfHeight = -round(points * 96 / 72); back, the magnitude
// of lfHeight rounded to whole points.
int32_t pointsToLfHeight(double points);
int32_t lfHeightToPoints(int32_t lfHeight);

}  // namespace horavex
