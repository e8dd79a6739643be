// The render loop: give the instance its images, render each frame as one
// sequence, and write each output image as a PNG file (encoded on other
// threads while the next frames render) or into the raw stream.
#pragma once

#include <optional>

#include "host/Effect.h"
#include "tools/render/Arguments.h"
#include "tools/render/PngIo.h"

namespace horavex::cli {

// The first frame's source as read from --source (with #### expanded);
// nothing without --source. Throws CliError(kExitFile) when it cannot be
// read.
std::optional<RgbaImage> readFirstSource(const Options& options);

// --size, else the source's size, else kDefaultSize. Throws
// CliError(kExitBadCommandLine) when --size and the source disagree.
FrameSize resolveFrameSize(const Options& options, const std::optional<RgbaImage>& firstSource);

// Renders options.frames into options.out. `firstSource` is used for the
// first frame (and all frames when the source name has no ####); without
// it the filter context gets the test pattern. Throws CliError: a render
// status other than OK (kExitRenderFailed), a source or output file
// (kExitFile).
void renderFrames(host::Effect& effect, const Options& options, FrameSize size,
                  const std::optional<RgbaImage>& firstSource, bool showProgress);

}  // namespace horavex::cli
