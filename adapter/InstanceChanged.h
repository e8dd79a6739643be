// The instance-changed action. The font button opens the font chooser on the
// font in "FontParam" and writes back what the user chose, or the font it
// started from when the chooser was cancelled or could not be opened. A change
// of "Frame Rate" enables "Custom Frame Rate" exactly when it is "Custom".
#pragma once

#include "ofxapi/OfxApi.h"
#include "adapter/HostSuites.h"

namespace horavex {

// What the host is told when the chooser cannot be shown at all.
inline constexpr char kNoFontDialogMessage[] = "No font dialog could be opened.";

// "Custom Frame Rate" enabled exactly when "Frame Rate" is "Custom"; what the
// host refuses is left as it is.
void enableCustomFrameRate(const HostSuites& suites, OfxImageEffectHandle effect);

// kOfxStatOK when the font button opened the chooser or "Frame Rate" changed,
// kOfxStatFailed (with an error message to the host) when no chooser could be
// opened, kOfxStatReplyDefault for any other change.
OfxStatus instanceChanged(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs);

}  // namespace horavex
