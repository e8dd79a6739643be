// What --text prints: for each frame, its number and the text the digital
// and LED clocks would show in it, computed by the core library's own time
// functions from the instance's parameter values, as the plug-in's render
// computes it.
#pragma once

#include <cstdint>
#include <string>

#include "host/Param.h"
#include "core/values/ClockValues.h"

namespace horavex::cli {

// The fields of the render's snapshot that the time text depends on (start
// and stop time, start date, speed, direction, format, mode, countdown and
// overtime), converted the way
// the snapshot converts them. Fields whose parameter is missing keep
// ClockValues' own values.
ClockValues timeValuesAt(const host::ParamSet& params, double time);

// "<frame> <text>" with the text in UTF-8; a line break inside the text
// (a free format may hold one) is written as "\n".
std::string timeTextLine(const host::ParamSet& params, int64_t frame, double frameRate);

}  // namespace horavex::cli
