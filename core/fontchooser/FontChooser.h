// The platform's font chooser, seen from the font button: one modal call.
#pragma once

#include "core/fontchooser/FontChooserProtocol.h"
#include "core/values/LogFont.h"

namespace horavex {

// The chooser program that ships in the bundle, next to the plug-in binary.
inline constexpr char kFontChooserProgramName[] = "horavex-fontchooser";

// Names another chooser program to run instead of the bundled one; tests use
// it to stand in for the user.
inline constexpr char kFontChooserOverrideVariable[] = "HORAVEX_FONT_CHOOSER";

// Opens the chooser on `font` and blocks until the user closes it. When the
// user confirms, `font` holds the choice; otherwise it is left as it was.
FontChooserOutcome chooseFont(LogFont& font);

}  // namespace horavex
