// --start-from-file: the clock's start taken from the source's metadata, so
// that it shows when each frame was recorded. The date and time come from
// the creation time (in the local time zone, or UTC); for the timecode
// formats the time comes from the source's timecode instead, so that the
// first frame shows it exactly.
#pragma once

#include <string>
#include <vector>

#include "tools/render/Arguments.h"
#include "tools/render/FrameSource.h"

namespace horavex::cli {

struct StartSettings {
    // "Start Year" ... "Start Second" as --set would give them.
    std::vector<Setting> settings;
    // One line saying what was taken from where; empty when nothing was.
    std::string note;
};

// Throws CliError(kExitFile) when the metadata the format needs is missing
// or cannot be read, unless `how.optional`. `rate` counts the timecode's
// frames.
StartSettings startFromFile(const SourceInfo& info, const StartFromFile& how, bool timecodeFormat,
                            FrameRateRatio rate);

}  // namespace horavex::cli
