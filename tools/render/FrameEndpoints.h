// Which source and sink a command line asks for. --source: nothing (the
// test pattern, or no source clip at all), PNG files, the raw stream "-",
// or any other file, which is read as a video where video support is built
// (told by content: a PNG file stays a PNG file whatever its name). --out:
// PNG files, the raw stream "-", or a .mp4, .mov, .mkv or .webm video.
#pragma once

#include <cstdint>
#include <memory>

#include "tools/render/Arguments.h"
#include "tools/render/FrameSink.h"
#include "tools/render/FrameSource.h"

namespace horavex::cli {

// True when this build reads and writes video files.
bool videoSupported();

// Throws CliError(kExitFile) for a source that cannot be read.
std::unique_ptr<FrameSource> openFrameSource(const Options& options);

// `rate`: the timeline's exact rate. Throws CliError like the writers.
std::unique_ptr<FrameSink> openFrameSink(const Options& options, FrameSource& source, const host::ImageSpec& layout,
                                         FrameRateRatio rate);

}  // namespace horavex::cli
