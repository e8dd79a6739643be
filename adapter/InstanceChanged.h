// The instance-changed action: only the font button does anything. It opens
// the font chooser on the font in "FontParam" and writes back what the user
// chose, or the font it started from when the chooser was cancelled or could
// not be opened.
#pragma once

#include "ofxapi/OfxApi.h"

namespace horavex {

// What the host is told when the chooser cannot be shown at all.
inline constexpr char kNoFontDialogMessage[] = "No font dialog could be opened.";

// kOfxStatOK when the font button opened the chooser, kOfxStatFailed (with an
// error message to the host) when no chooser could be opened,
// kOfxStatReplyDefault for any other change.
OfxStatus instanceChanged(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs);

}  // namespace horavex
