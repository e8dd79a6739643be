// Reading and writing the font the user chose, kept in "FontParam".
#pragma once

#include "ofxapi/OfxApi.h"
#include "core/values/LogFont.h"
#include "adapter/HostSuites.h"

namespace horavex {

// Zeroes `font`, then decodes the current value of "FontParam" into it.
// Returns decodeFont's status; a string the host does not deliver counts as
// empty.
OfxStatus readFont(const HostSuites& suites, OfxImageEffectHandle instance, LogFont& font);

// Encodes `font` and sets it as the value of "FontParam"; returns the host's
// status of that write.
OfxStatus writeFont(const HostSuites& suites, OfxImageEffectHandle instance, const LogFont& font);

}  // namespace horavex
